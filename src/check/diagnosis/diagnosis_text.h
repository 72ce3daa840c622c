// The diagnosis as the report's last section and as one log line; addresses
// masked as the report masks them.
#pragma once

#include <string>
#include <vector>

#include "check/diagnosis/item_diagnosis.h"

// Where an item's block stands in the report's section.
enum class DiagnosisOrder
{
    failed = 0,
    unstable = 1,
    other = 2,
};

struct DiagnosedItem
{
    std::wstring category; // the log page's column 0
    std::wstring verdict;  // column 5: "Ok", "Ok (2/3)", "Fail", ...
    DiagnosisOrder order = DiagnosisOrder::other;
    ItemDiagnosis diagnosis;
    AttemptTally tally;
};

// "[Server Diagnosis]" and one block per item, failed items first, then the
// unstable ones, then the rest, each group in list order.
std::wstring diagnosis_report_section(const std::vector<DiagnosedItem>& items);

// The block of one item, without the section title.
std::wstring diagnosis_block(const DiagnosedItem& item);

// One line for the log file.
std::wstring diagnosis_log_line(const ItemDiagnosis& d);

// "example***** -> 10*******5, fe80*****1" and the other value texts.
std::wstring name_resolution_text(const NameResolution& name);
std::wstring hosts_match_text(const ItemDiagnosis& d);
std::wstring certificate_text(const TlsCertificate& tls);
std::wstring proxy_route_text(const ProxyRoute& proxy);
// "10*******5:50123": the address masked, the port kept.
std::wstring masked_endpoint(const std::string& endpoint);
