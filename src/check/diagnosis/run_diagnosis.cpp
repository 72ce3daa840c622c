#include "check/diagnosis/run_diagnosis.h"

#include <chrono>
#include <cwchar>

#include "check/channel/socket_api.h"
#include "check/diagnosis/hosts_file_table.h"
#include "common/hosts_file_path.h"
#include "common/text_convert.h"

namespace {

LookupOutcome outcome_of(socket_api::lookup_status status)
{
    switch (status) {
    case socket_api::lookup_status::literal: return LookupOutcome::literal;
    case socket_api::lookup_status::resolved: return LookupOutcome::resolved;
    case socket_api::lookup_status::not_found: return LookupOutcome::not_found;
    case socket_api::lookup_status::no_data: return LookupOutcome::no_data;
    case socket_api::lookup_status::temporary_failure: return LookupOutcome::temporary_failure;
    case socket_api::lookup_status::failed: break;
    }
    return LookupOutcome::failed;
}

// The name to look up: a web item's host may be written as a URL.
std::wstring host_part(const std::wstring& host)
{
    std::wstring name = host;
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        if (name.rfind(scheme, 0) == 0) {
            name.erase(0, std::wcslen(scheme));
            const std::size_t end = name.find_first_of(L":/");
            if (end != std::wstring::npos)
                name.erase(end);
            break;
        }
    }
    return name;
}

} // namespace

std::wstring invalid_host_reason(const std::wstring& host)
{
    if (host.empty())
        return L"비어 있음";
    // 253 characters is the longest name DNS can carry.
    if (host.size() > 253)
        return L"253자보다 김";
    for (wchar_t c : host) {
        if (c == L' ' || c == L'\t')
            return L"공백이 있음";
        if (c < 0x20 || c == 0x7F)
            return L"제어 문자가 있음";
        if (c > 0x7E)
            return L"ASCII가 아닌 문자가 있음 (국제화 도메인 이름은 Punycode로 적어야 함)";
    }
    return std::wstring();
}

RunDiagnosis::RunDiagnosis() = default;
RunDiagnosis::~RunDiagnosis() = default;

void RunDiagnosis::reset(const std::wstring& hosts_path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_lookups.clear();
    m_hosts.reset();
    m_hosts_path = hosts_path;
}

NameResolution RunDiagnosis::look_up(const std::wstring& host)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (const auto it = m_lookups.find(host); it != m_lookups.end())
            return it->second;
    }
    NameResolution name;
    name.host = host;
    name.invalid_reason = invalid_host_reason(host);
    if (!name.invalid_reason.empty()) {
        name.outcome = LookupOutcome::invalid_name;
    } else {
        const auto start = std::chrono::steady_clock::now();
        socket_api::address_lookup found = socket_api::lookup_addresses(to_utf8(host));
        name.lookup_ms = static_cast<std::int32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        name.outcome = outcome_of(found.status);
        name.addresses = std::move(found.addresses);
        name.error_code = found.error;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_lookups.emplace(host, name);
    return name;
}

ItemDiagnosis RunDiagnosis::begin_item(const std::wstring& host, int port)
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.port = port;
    d.name = look_up(host_part(host));
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_hosts) {
        const std::wstring path = m_hosts_path.empty() ? system_hosts_file_path() : m_hosts_path;
        m_hosts = std::make_unique<HostsFileTable>(HostsFileTable::read(path));
    }
    d.hosts = m_hosts->find(d.name.host);
    return d;
}

