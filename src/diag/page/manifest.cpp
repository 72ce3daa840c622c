#include "diag/page/manifest.h"

#include <cstdio>
#include <type_traits>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "common/text_convert.h"

namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void put(Writer& w, const char* key, const std::wstring& value)
{
    const std::string utf8 = to_utf8(value);
    w.Key(key);
    w.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
}

void put(Writer& w, const char* key, const std::string& value)
{
    w.Key(key);
    w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

template <typename Number>
void put_number(Writer& w, const char* key, Number value)
{
    w.Key(key);
    if constexpr (std::is_same_v<Number, bool>)
        w.Bool(value);
    else if constexpr (std::is_same_v<Number, std::int64_t>)
        w.Int64(value);
    else
        w.Uint64(value);
}

void put_counts(Writer& w, const std::vector<std::pair<std::string, std::uint64_t>>& counts)
{
    w.StartObject();
    for (const auto& [kind, count] : counts)
        put_number(w, kind.c_str(), count);
    w.EndObject();
}

void put_redaction(Writer& w, const ManifestRedaction& r)
{
    put_number(w, "redacted", r.on);
    if (!r.on)
        return;
    w.Key("redaction");
    w.StartObject();
    w.Key("looks_for");
    w.StartArray();
    for (const std::string& k : r.kinds)
        w.String(k.c_str());
    w.EndArray();
    put_number(w, "ansi_code_page", std::uint64_t{r.ansi_code_page});
    put_number(w, "pseudonym_limit", r.pseudonym_limit);
    put_number(w, "pseudonym_table_overflowed", r.table_overflowed);
    put_number(w, "user_names", r.user_names);
    put_number(w, "host_names", r.host_names);
    put_number(w, "text_files", r.files);
    put_number(w, "files_changed", r.files_changed);
    w.Key("replaced");
    put_counts(w, r.replaced);
    if (!r.after_the_fact_of.empty())
        put(w, "redacted_afterwards_from", r.after_the_fact_of);
    w.EndObject();
}

void put_entries(Writer& w, const std::vector<ManifestEntry>& entries)
{
    w.StartArray();
    for (const ManifestEntry& e : entries) {
        w.StartObject();
        put(w, "name", e.name);
        put_number(w, "size", e.size);
        put(w, "crc32", crc32_hex(e.crc32));
        put(w, "sha256", e.sha256);
        put(w, "source", e.source);
        put_number(w, "folder", e.folder);
        put_number(w, "from_copy", e.from_copy);
        if (e.redacted) {
            put(w, "encoding", e.encoding);
            w.Key("replaced");
            put_counts(w, e.replaced);
        }
        w.EndObject();
    }
    w.EndArray();
}

} // namespace

std::string crc32_hex(std::uint32_t crc)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc));
    return text;
}

ManifestSummary manifest_summary(const ManifestInput& in)
{
    ManifestSummary s;
    s.entries = static_cast<int>(in.entries.size());
    for (const ManifestInner& inner : in.inner)
        s.inner_entries += static_cast<int>(inner.entries.size());
    s.not_packed = static_cast<int>(in.not_packed.size());
    s.refused = static_cast<int>(in.refused.size());
    return s;
}

std::string manifest_json(const ManifestInput& in)
{
    rapidjson::StringBuffer buffer;
    Writer w(buffer);
    w.SetIndent(' ', 1);
    w.StartObject();
    w.Key("format");
    w.Int(1);
    put(w, "product", in.product_name);
    put(w, "tool_version", in.tool_version);
    put(w, "run_started", in.run_started);
    put(w, "run_ended", in.run_ended);
    put(w, "saved", in.saved);
    put_redaction(w, in.redaction);

    w.Key("entries");
    put_entries(w, in.entries);

    w.Key("inner_archives");
    w.StartArray();
    for (const ManifestInner& inner : in.inner) {
        w.StartObject();
        put(w, "name", inner.name);
        w.Key("entries");
        put_entries(w, inner.entries);
        w.EndObject();
    }
    w.EndArray();

    w.Key("not_packed");
    w.StartArray();
    for (const ManifestSkipped& s : in.not_packed) {
        w.StartObject();
        put(w, "source", s.source);
        put(w, "name", s.name);
        put(w, "reason", s.reason);
        w.EndObject();
    }
    w.EndArray();

    w.Key("refused_folders");
    w.StartArray();
    for (const ManifestRefused& r : in.refused) {
        w.StartObject();
        put(w, "path", r.path);
        put(w, "real_path", r.real_path);
        put(w, "reason", r.reason);
        w.EndObject();
    }
    w.EndArray();

    w.Key("collectors");
    w.StartArray();
    for (const ManifestCollector& c : in.collectors) {
        w.StartObject();
        put(w, "command", c.command);
        put_number(w, "duration_ms", std::uint64_t{c.duration_ms});
        put_number(w, "exit_code", c.exit_code);
        put_number(w, "started", c.started);
        put_number(w, "timed_out", c.timed_out);
        w.EndObject();
    }
    w.EndArray();

    const ManifestSummary s = manifest_summary(in);
    w.Key("summary");
    w.StartObject();
    put_number(w, "entries", std::int64_t{s.entries});
    put_number(w, "inner_entries", std::int64_t{s.inner_entries});
    put_number(w, "not_packed", std::int64_t{s.not_packed});
    put_number(w, "refused_folders", std::int64_t{s.refused});
    w.EndObject();

    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}
