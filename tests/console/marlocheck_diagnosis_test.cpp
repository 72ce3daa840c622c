// Why items fail, as marlocheck.exe tells it under Wine against the test
// server: a resolved name with a hosts-file line, a name that does not resolve,
// a refused port, a reset, a silent server, a dropped connection, an HTTPS
// server with a trusted certificate and one whose certificate comes from a CA
// named like a TLS-inspecting product. Read back from the printed cause lines,
// the JSON file and the report's last section.
#include "console/marlocheck_test_support.h"
#include "support/win/screenshot.h"

#include <wincrypt.h>

#include <rapidjson/document.h>

namespace {

using namespace console_test;

std::wstring system_hosts_path()
{
    wchar_t folder[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\System32\\drivers\\etc\\hosts";
}

// A certificate of the test server (its ordinary one, its expired one) becomes a
// trusted root of this prefix, as a company's own CA is on its PCs.
bool trust_test_certificate(const wchar_t* variable)
{
    const std::string pem = archive_test::read_file(wine_path(env(variable)));
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        return false;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
        return false;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!root)
        return false;
    const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(root, 0);
    return added != FALSE;
}

const rapidjson::Value* item_with_port(const rapidjson::Document& doc, int port, const char* host_start = nullptr)
{
    for (const rapidjson::Value& item : doc["items"].GetArray()) {
        if (item["port"].GetInt() != port)
            continue;
        if (host_start && std::string(item["host"].GetString()).rfind(host_start, 0) != 0)
            continue;
        return &item;
    }
    return nullptr;
}

std::string member(const rapidjson::Value* item, const char* object, const char* key)
{
    if (!item || !item->HasMember("diagnosis"))
        return "<no diagnosis>";
    const rapidjson::Value& d = (*item)["diagnosis"];
    const rapidjson::Value& v = object ? d[object][key] : d[key];
    if (v.IsString())
        return v.GetString();
    if (v.IsBool())
        return v.GetBool() ? "true" : "false";
    if (v.IsInt())
        return std::to_string(v.GetInt());
    return "?";
}

class MarlocheckDiagnosisTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_GT(test_server_port(L"VANTU_TS_HTTP_PORT"), 0) << "the test server's ports are missing";
        ASSERT_FALSE(env(L"VANTU_TS_HTTPS_443_HOST").empty()) << "the test server has no HTTPS on port 443";
        server_call(L"/__control/reset", L"POST");
        m_hosts_before = archive_test::read_file(system_hosts_path());
        m_had_hosts = archive_test::exists(system_hosts_path());
    }
    void TearDown() override
    {
        if (m_had_hosts)
            archive_test::write_file(system_hosts_path(), m_hosts_before);
        else
            DeleteFileW(system_hosts_path().c_str());
    }
    archive_test::ScratchFolder scratch;
    std::string m_hosts_before;
    bool m_had_hosts = false;
};

} // namespace

TEST_F(MarlocheckDiagnosisTest, EachFailureIsExplainedInTheConsoleTheJsonAndTheReport)
{
    ASSERT_TRUE(trust_test_certificate(L"VANTU_TS_CERT_FILE"));
    ASSERT_TRUE(trust_test_certificate(L"VANTU_TS_EXPIRED_CERT_FILE"));
    // A stale line sends localhost to another address than the resolver's.
    CreateDirectoryW((system_hosts_path().substr(0, system_hosts_path().rfind(L'\\'))).c_str(), nullptr);
    archive_test::write_file(system_hosts_path(), m_hosts_before + "\r\n# added by a test\r\n127.0.0.9\tLocalHost\r\n");

    const int ok = test_server_port(L"VANTU_TS_TQS_OK_PORT");
    const int reset = test_server_port(L"VANTU_TS_TQS_RESET_PORT");
    const int silent = test_server_port(L"VANTU_TS_TQS_SILENT_PORT");
    const int drop = test_server_port(L"VANTU_TS_TQS_DROP_PORT");
    const int closed = test_server_port(L"VANTU_TS_CLOSED_PORT");
    const std::string https = to_utf8(env(L"VANTU_TS_HTTPS_443_HOST"));
    const std::string inspected = to_utf8(env(L"VANTU_TS_INSPECTED_443_HOST"));
    const std::string expired = to_utf8(env(L"VANTU_TS_EXPIRED_443_HOST"));
    serve_checklist(check_list(
        " \"session\": [\"localhost:" + std::to_string(ok) + "\", " + entry(L"VANTU_TS_TQS_RESET_PORT") + ", " +
        entry(L"VANTU_TS_TQS_SILENT_PORT") + ", " + entry(L"VANTU_TS_TQS_DROP_PORT") +
        ", \"no-such-host.invalid:7001\", \"127.0.0.1:" + std::to_string(closed) + "\"],\n"
        " \"web\": [\"" + https + ":443\", \"" + inspected + ":443\", \"" + expired + ":443\"]"));
    server_call(L"/__control/rule?path=/&status=200&body=ok&times=30", L"POST");

    const std::wstring json = scratch / L"diagnosis.json";
    const RunResult r = run_marlocheck(web_host_option() + L" --json \"" + json + L"\" --save");
    EXPECT_EQ(r.status, 1u) << r.out << r.err;

    // The console: the cause under each failed item.
    EXPECT_TRUE(contains(r.out, L"            원인: " + std::to_wstring(closed) +
                                    L"번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다."))
        << r.out;
    EXPECT_TRUE(contains(r.out, L"원인: 연결은 되었지만 암호화 키 교환 중 서버가 10초 안에 응답하지 않았습니다.")) << r.out;
    EXPECT_TRUE(contains(r.out, L"원인: " + std::to_wstring(drop) + L"번 포트가 2초 안에 응답하지 않았습니다")) << r.out;
    EXPECT_TRUE(contains(r.out, L"원인: DNS에서 서버 이름(no-such-host********)을 찾을 수 없습니다.")) << r.out;
    // The web check passed on the expired certificate; the PC's clock is named.
    EXPECT_TRUE(contains(r.out, L"            주의: 이 PC의 시계(")) << r.out;

    // The JSON file: one diagnosis per server item.
    rapidjson::Document doc;
    doc.Parse(archive_test::read_file(json).c_str());
    ASSERT_TRUE(doc.IsObject()) << archive_test::read_file(json);

    const rapidjson::Value* named = item_with_port(doc, ok);
    EXPECT_EQ(member(named, "name", "outcome"), "resolved");
    EXPECT_EQ(member(named, "hosts_file", "mapped"), "true");
    EXPECT_EQ(member(named, "hosts_file", "address"), "127****9");
    EXPECT_EQ(member(named, "hosts_file", "differs"), "true");
    EXPECT_EQ(member(named, "failure", "kind"), "none");
    EXPECT_EQ(member(named, nullptr, "local_address").rfind("127****1:", 0), 0u) << member(named, nullptr, "local_address");

    // Wine hands a reset that arrives before the first read to the program as an
    // orderly close (no error, none pending); Windows reports WSAECONNRESET, and
    // the native test of the same server sees "reset" (check_server_test).
    const std::string reset_kind = member(item_with_port(doc, reset), "failure", "kind");
    EXPECT_TRUE(reset_kind == "reset" || reset_kind == "closed-by-peer") << reset_kind;
    EXPECT_EQ(member(item_with_port(doc, reset), "failure", "phase"), "key-exchange");
    EXPECT_EQ(member(item_with_port(doc, silent), "failure", "kind"), "timed-out");
    EXPECT_EQ(member(item_with_port(doc, silent), "failure", "phase"), "key-exchange");
    EXPECT_EQ(member(item_with_port(doc, drop), "failure", "kind"), "timed-out");
    EXPECT_EQ(member(item_with_port(doc, drop), "failure", "phase"), "connect");
    EXPECT_EQ(member(item_with_port(doc, closed), "failure", "kind"), "refused");
    const rapidjson::Value* unknown = item_with_port(doc, 7001);
    EXPECT_EQ(member(unknown, "failure", "kind"), "name-not-resolved");
    EXPECT_EQ(member(unknown, "name", "outcome"), "not-found");

    const rapidjson::Value* plain = item_with_port(doc, 443, https.substr(0, 3).c_str());
    ASSERT_TRUE(plain);
    EXPECT_EQ(member(plain, "failure", "kind"), "none");
    EXPECT_EQ(member(plain, "certificate", "seen"), "true");
    EXPECT_EQ(member(plain, "certificate", "subject"), "CN=localhost");
    EXPECT_EQ(member(plain, "certificate", "inspected"), "false");
    EXPECT_EQ(member(plain, "proxy", "via_proxy"), "false");

    // The three web items are told apart by the last digit of their masked address.
    const auto web_item = [&doc](char last) -> const rapidjson::Value* {
        for (const rapidjson::Value& item : doc["items"].GetArray()) {
            const std::string host = item["host"].GetString();
            if (item["port"].GetInt() == 443 && !host.empty() && host.back() == last)
                return &item;
        }
        return nullptr;
    };
    EXPECT_EQ(web_item('2'), plain);
    EXPECT_EQ(member(plain, "certificate", "outside_validity"), "false");
    const rapidjson::Value* checked = web_item('3');
    EXPECT_EQ(member(checked, "certificate", "inspected"), "true");
    EXPECT_EQ(member(checked, "certificate", "inspected_by"), "Fortinet FortiGate");
    EXPECT_NE(member(checked, "certificate", "issuer").find("FortiGate CA Test"), std::string::npos);
    // Expired in 2020 but from a trusted root: the PC's clock is outside its
    // validity, and that alone is not taken for inspection.
    const rapidjson::Value* outdated = web_item('4');
    EXPECT_EQ(member(outdated, "failure", "kind"), "none");
    EXPECT_EQ(member(outdated, "certificate", "valid_to").rfind("2020-02-0", 0), 0u)
        << member(outdated, "certificate", "valid_to");
    EXPECT_EQ(member(outdated, "certificate", "outside_validity"), "true");
    EXPECT_EQ(member(outdated, "certificate", "inspected"), "false");

    // The report: its last section, failed items first, masked as the rest.
    std::wstring archive;
    for (const std::string& line : r.lines)
        if (line.find(".zip") != std::string::npos)
            archive = from_utf8(line);
    ASSERT_FALSE(archive.empty()) << r.out;
    // For the native check that reads it with independent tools and opens its
    // front page in a browser (tests/page/check-saved-archive).
    CreateDirectoryW(artifacts_dir().c_str(), nullptr);
    const std::wstring kept = artifacts_dir() + L"\\saved-archive.zip";
    EXPECT_TRUE(CopyFileW(archive.c_str(), kept.c_str(), FALSE)) << to_utf8(kept);
    const archive_test::ZipView zip = archive_test::read_zip(archive);
    ASSERT_TRUE(zip.ok);
    ASSERT_GE(zip.entries.size(), 3u);
    EXPECT_EQ(zip.entries.front().name, "report.html");
    EXPECT_EQ(zip.entries.back().name, "manifest.json");
    std::string report, page;
    for (const archive_test::ZipEntryView& e : zip.entries) {
        if (e.name == "check_result.txt")
            report = e.data;
        else if (e.name == "report.html")
            page = e.data;
    }
    EXPECT_NE(page.find("<div class=\"caution\">주의: 이 PC의 시계("), std::string::npos);
    const std::size_t section = report.find("[Server Diagnosis]\r\nFail        세션  127****1:");
    ASSERT_NE(section, std::string::npos) << report.substr(report.size() > 3000 ? report.size() - 3000 : 0);
    EXPECT_EQ(report.find("Service Control Manager Events") < section, true) << "the diagnosis comes last";
    EXPECT_NE(report.find("  hosts file  : line ", section), std::string::npos);
    EXPECT_NE(report.find("not among the resolved addresses: yes", section), std::string::npos);
    EXPECT_NE(report.find("inspected: yes (Fortinet FortiGate)", section), std::string::npos);
    EXPECT_NE(report.find("is outside the validity, inspected: no", section), std::string::npos);
    EXPECT_EQ(report.find("127.0.0.1", section), std::string::npos) << "addresses are masked";
}
