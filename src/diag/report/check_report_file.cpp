// Writing the report file; the machine's figures come from the platform file.
#include "diag/report/check_report.h"

#include "common/file_utils.h"
#include "common/log.h"
#include "diag/report/check_report_facts.h"

#include <cstdio>

bool write_bytes_file(const std::wstring& path, const std::string& bytes)
{
    FILE* f = open_file_stream(path, L"wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

bool write_check_result(const std::wstring& path, const CheckReportInput& input, CheckReportFacts* facts_out)
{
    // Create the file first: when it cannot be made, nothing else happens (the
    // folder access test included).
    FILE* f = open_file_stream(path, L"wb");
    if (!f) {
        SCLOG(3, L"cannot create %s", path.c_str());
        return false;
    }
    const CheckReportFacts facts = gather_check_report_facts(input.service_name);
    const std::string bytes = utf8_file_bytes(check_result_text(input, facts));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
        SCLOG(3, L"writing %s failed", path.c_str());
    if (facts_out)
        *facts_out = facts;
    return written && closed;
}
