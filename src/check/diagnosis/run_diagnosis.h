// What the diagnoses of one check run share: one name look-up per distinct
// host and one read of the hosts file per run. Each item's diagnosis is kept
// with its outcome by the run.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "check/diagnosis/item_diagnosis.h"

class HostsFileTable;

class RunDiagnosis
{
public:
    RunDiagnosis();
    ~RunDiagnosis();

    // Forgets the last run: items, look-ups and the hosts file. `hosts_path`
    // empty: the system's hosts file.
    void reset(const std::wstring& hosts_path);

    // An item's diagnosis as the attempts start: its name looked up (once per
    // host and run) and the hosts file's line for it.
    ItemDiagnosis begin_item(const std::wstring& host, int port);

private:
    NameResolution look_up(const std::wstring& host);

    mutable std::mutex m_lock;
    std::map<std::wstring, NameResolution> m_lookups;
    std::unique_ptr<HostsFileTable> m_hosts;
    std::wstring m_hosts_path;
};

// Why a check list's host is no host name: empty for a usable one.
std::wstring invalid_host_reason(const std::wstring& host);

