// The diagnoses of one check run: one name look-up per distinct host and one
// read of the hosts file per run, and each item's diagnosis once it is done.
// The worker writes, the dialog's tool tip and the report read: it locks.
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

    void store(int group, int item, ItemDiagnosis diagnosis);
    std::optional<ItemDiagnosis> find(int group, int item) const;

private:
    NameResolution look_up(const std::wstring& host);

    mutable std::mutex m_lock;
    std::map<std::pair<int, int>, ItemDiagnosis> m_items;
    std::map<std::wstring, NameResolution> m_lookups;
    std::unique_ptr<HostsFileTable> m_hosts;
    std::wstring m_hosts_path;
};

// Why a check list's host is no host name: empty for a usable one.
std::wstring invalid_host_reason(const std::wstring& host);

// "<system folder>\drivers\etc\hosts" on Windows, /etc/hosts elsewhere.
std::wstring system_hosts_file_path();
