#include "console/results_json.h"

#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/distinguished_name.h"
#include "check/diagnosis/failure_kind.h"
#include "check/diagnosis/proxy_route.h"
#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "check/run/result_text.h"
#include "checklist/mask_host.h"
#include "common/format.h"
#include "common/text_convert.h"
#include "console/console_view.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void put(Writer& w, const char* key, const std::wstring& value)
{
    const std::string utf8 = to_utf8(value);
    w.Key(key);
    w.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
}

void put(Writer& w, const char* key, int value)
{
    w.Key(key);
    w.Int(value);
}

void put(Writer& w, const char* key, const char* value)
{
    w.Key(key);
    w.String(value);
}

void put(Writer& w, const char* key, bool value)
{
    w.Key(key);
    w.Bool(value);
}

const char* trust_name(CertificateTrust trust)
{
    switch (trust) {
    case CertificateTrust::trusted: return "yes";
    case CertificateTrust::untrusted: return "no";
    case CertificateTrust::unknown: break;
    }
    return "unknown";
}

// The item's diagnosis and its attempts; addresses masked as in the report.
void put_diagnosis(Writer& w, const ItemDiagnosis& d, const std::vector<AttemptRecord>& attempt_log)
{
    w.Key("diagnosis");
    w.StartObject();
    put(w, "cause", d.cause);

    w.Key("name");
    w.StartObject();
    put(w, "host", mask_host(d.name.host));
    put(w, "outcome", lookup_outcome_name(d.name.outcome));
    w.Key("addresses");
    w.StartArray();
    for (const std::string& a : d.name.addresses) {
        const std::string masked = to_utf8(mask_host(from_utf8(a)));
        w.String(masked.data(), static_cast<rapidjson::SizeType>(masked.size()));
    }
    w.EndArray();
    put(w, "lookup_ms", d.name.lookup_ms);
    put(w, "error", d.name.error_code);
    w.EndObject();

    w.Key("hosts_file");
    w.StartObject();
    put(w, "state", hosts_state_name(d.hosts.state));
    put(w, "mapped", d.hosts.mapped);
    put(w, "address", mask_host(from_utf8(d.hosts.address)));
    put(w, "line", d.hosts.line);
    put(w, "differs", hosts_address_differs(d));
    w.EndObject();

    w.Key("failure");
    w.StartObject();
    put(w, "kind", failure_kind_name(d.failure));
    put(w, "phase", failure_phase_name(d.phase));
    put(w, "party", failure_party(d));
    put(w, "error", d.error_code);
    put(w, "http_status", d.http_status);
    // The classification probe's finding, "" when none was needed.
    put(w, "probe", probe_outcome_name(d.probe));
    w.EndObject();

    put(w, "local_address", masked_endpoint(d.local_address));

    w.Key("attempt_log");
    w.StartArray();
    for (const AttemptRecord& a : attempt_log) {
        w.StartObject();
        put(w, "ms", a.ms);
        put(w, "code", a.code);
        w.EndObject();
    }
    w.EndArray();

    if (!d.url.empty()) {
        w.Key("certificate");
        w.StartObject();
        put(w, "seen", d.tls.seen);
        put(w, "subject", masked_distinguished_name(d.tls.subject));
        put(w, "issuer", masked_distinguished_name(d.tls.issuer));
        put(w, "valid_from", d.tls.valid_from);
        put(w, "valid_to", d.tls.valid_to);
        put(w, "pc_time", d.tls.pc_time);
        put(w, "outside_validity", d.tls.outside_validity);
        put(w, "trusted", trust_name(d.tls.trust));
        put(w, "untrusted_reason", untrusted_reason_name(d.tls.untrusted_reason));
        put(w, "inspected", d.tls.inspected);
        put(w, "inspected_by", d.tls.inspected_by);
        put(w, "error", d.tls.wininet_error);
        w.EndObject();

        w.Key("proxy");
        w.StartObject();
        put(w, "known", d.proxy.known);
        put(w, "via_proxy", d.proxy.via_proxy);
        put(w, "proxy", masked_endpoint(to_utf8(d.proxy.proxy)));
        put(w, "auto_config_url", masked_config_url(d.proxy.auto_config_url));
        put(w, "auto_detect", d.proxy.auto_detect);
        put(w, "pac", pac_outcome_name(d.proxy.pac));
        put(w, "pac_proxy", masked_endpoint(to_utf8(d.proxy.pac_proxy)));
        w.EndObject();
    }
    w.EndObject();
}

// The kind key of an item ("session", "web"...), "account" for the account item.
std::wstring kind_key(const CCheckRun& run, const CCheckItem& item)
{
    if (item.kind_index < 0)
        return L"account";
    int index = 0;
    for (const auto& kind : run.m_server_kinds) {
        if (index++ == item.kind_index)
            return kind.first;
    }
    return std::wstring();
}

} // namespace

std::wstring iso_local_time(const local_time& t)
{
    return format_text(L"%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string results_json(const ResultsJsonInfo& info, const CCheckRun& run, ConsoleCheckView& view)
{
    rapidjson::StringBuffer buffer;
    Writer w(buffer);
    w.StartObject();
    put(w, "source", info.source);
    put(w, "start", iso_local_time(info.started));
    put(w, "end", iso_local_time(info.ended));
    w.Key("completed");
    w.Bool(view.finished() && view.completed());
    put(w, "failed", view.failed_count());
    put(w, "unstable", view.unstable_count());
    w.Key("items");
    w.StartArray();
    for (size_t g = 0; g < run.m_check_groups.size(); ++g) {
        for (size_t i = 0; i < run.m_check_groups[g].size(); ++i) {
            const CCheckItem& item = run.m_check_groups[g][i];
            // What the item printed as it finished.
            const ItemOutcome o = view.outcome(static_cast<int>(g), static_cast<int>(i));
            const bool ran = o.verdict != ItemVerdict::not_run;
            w.StartObject();
            put(w, "group", static_cast<int>(g));
            put(w, "title", item.title);
            put(w, "host", mask_host(item.host));
            put(w, "port", item.port);
            put(w, "kind", kind_key(run, item));
            w.Key("ran");
            w.Bool(ran);
            put(w, "verdict", log_row_result(o).verdict);
            put(w, "attempts", o.attempts);
            put(w, "successes", o.successes);
            put(w, "longest_ms", o.longest_ms);
            put(w, "total_ms", o.total_ms);
            put(w, "result_code", o.code);
            std::wstring text, hint;
            if (ran) {
                text = o.code != 0 ? result_text(o.code, is_web_check_item(&item)) : check_code_text(CHECK_OK);
                if (o.code != 0)
                    hint = result_hint(o.code);
            }
            put(w, "result_text", text);
            put(w, "hint", hint);
            if (o.diagnosis)
                put_diagnosis(w, *o.diagnosis, o.attempt_log);
            w.EndObject();
        }
    }
    w.EndArray();
    if (info.save_tried) {
        w.Key("archive");
        w.StartObject();
        put(w, "path", info.archive_path);
        put(w, "created", info.archive_created);
        put(w, "entries", info.manifest.entries);
        put(w, "inner_entries", info.manifest.inner_entries);
        put(w, "not_packed", info.manifest.not_packed);
        put(w, "refused_folders", info.manifest.refused);
        w.EndObject();
    }
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string failure_json(const ResultsJsonInfo& info, const std::wstring& error)
{
    rapidjson::StringBuffer buffer;
    Writer w(buffer);
    w.StartObject();
    put(w, "source", info.source);
    put(w, "start", iso_local_time(info.started));
    put(w, "end", iso_local_time(info.ended));
    w.Key("completed");
    w.Bool(false);
    put(w, "error", error);
    w.Key("items");
    w.StartArray();
    w.EndArray();
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}
