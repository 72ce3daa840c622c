// Certificate names read attribute by attribute, and what of them and of an
// automatic-configuration URL is shown.
#include "check/diagnosis/distinguished_name.h"
#include "check/diagnosis/item_diagnosis.h"
#include "check/diagnosis/tls_inspectors.h"

#include <gtest/gtest.h>

TEST(DistinguishedName, AttributesQuotedEscapedAndMultiValued)
{
    const std::vector<NameAttribute> a =
        split_distinguished_name(L"CN=gw.corp.local, OU=\"IT, Seoul\"; o=Vantu\\, Bank + L=Palo Alto, C=KR");
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[0].key, L"CN");
    EXPECT_EQ(a[0].value, L"gw.corp.local");
    EXPECT_EQ(a[1].value, L"IT, Seoul");
    EXPECT_EQ(a[2].key, L"O");
    EXPECT_EQ(a[2].value, L"Vantu, Bank");
    EXPECT_EQ(a[3].value, L"Palo Alto");
    EXPECT_EQ(identity_fields(L"CN=R3, O=Let's Encrypt, L=Palo Alto, C=US"), L"R3\nLet's Encrypt\n");
    EXPECT_TRUE(split_distinguished_name(L"").empty());
    EXPECT_TRUE(split_distinguished_name(L"no attributes here").empty());
}

TEST(DistinguishedName, HostsAndAddressesAreMaskedOrganisationsStay)
{
    EXPECT_EQ(masked_distinguished_name(L"CN=gw.corp.local, OU=IT, O=\"Vantu Bank, Ltd.\", C=KR"),
              L"CN=gw***********, OU=IT, O=\"Vantu Bank, Ltd.\", C=KR");
    EXPECT_EQ(masked_distinguished_name(L"CN=10.20.30.40, DC=corp, DC=local"), L"CN=10******40, DC=*****, DC=******");
    EXPECT_EQ(masked_distinguished_name(L"E=kim@corp.local, CN=FortiGate CA"), L"E=***@corp******, CN=FortiGate CA");
    // A locality that names a product's home town is no product.
    TlsCertificate c;
    c.seen = true;
    c.trust = CertificateTrust::trusted;
    c.issuer = L"CN=Vantu Issuing CA, O=Vantu Inc., L=Palo Alto, C=US";
    assess_certificate(c);
    EXPECT_FALSE(c.inspected);
    c.issuer = L"CN=Palo Alto Networks Forward Trust, O=Bank";
    assess_certificate(c);
    EXPECT_EQ(c.inspected_by, L"Palo Alto Networks");
}

TEST(DistinguishedName, AutoConfigurationUrlsShowTheirMaskedHostAndFile)
{
    EXPECT_EQ(masked_config_url(L"http://wpad.corp.local/proxy.pac"), L"http://wpad***********/proxy.pac");
    EXPECT_EQ(masked_config_url(L"http://user:pw@10.1.2.3:8080/pac/v2/proxy.pac?token=abc"),
              L"http://10****3:8080/…/proxy.pac");
    EXPECT_EQ(masked_config_url(L"file://C:/Users/kim/proxy.pac"), L"proxy.pac");
    EXPECT_EQ(masked_config_url(L"file:///C:/Users/kim/AppData/pac.js"), L"pac.js");
    EXPECT_EQ(masked_config_url(L""), L"");
}

TEST(DistinguishedName, HostileNamesEndInAResultNotACrash)
{
    // Empty fields, a 64 KB value, separators without keys, an unclosed quote.
    for (const std::wstring& name : {std::wstring(L"CN=, O=, OU="), L"CN=" + std::wstring(65536, L'a') + L".corp",
                                     std::wstring(L",,,;;;+++"), std::wstring(L"CN=\"unclosed, O=x"),
                                     std::wstring(L"=value, =, CN"), std::wstring(65536, L',')}) {
        TlsCertificate c;
        c.seen = true;
        c.trust = CertificateTrust::untrusted;
        c.subject = c.issuer = name;
        assess_certificate(c, {L"Vantu Issuing CA"});
        EXPECT_TRUE(c.inspected) << "an issuer the list does not name";
        EXPECT_EQ(c.inspected_by, L"");
        const std::wstring shown = masked_distinguished_name(name);
        EXPECT_LE(shown.size(), name.size() + 16);
    }
    const std::wstring long_host = L"CN=" + std::wstring(65536, L'a') + L".corp";
    EXPECT_EQ(masked_distinguished_name(long_host).find(L".corp"), std::wstring::npos) << "the host is masked";
    EXPECT_EQ(split_distinguished_name(L"CN=\"unclosed, O=x").front().value, L"unclosed, O=x");
}
