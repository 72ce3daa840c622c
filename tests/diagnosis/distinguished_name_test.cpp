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
