#include "diag/archive/redact_archive.h"

#include "common/file_utils.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "diag/archive/archive_front_page.h"
#include "diag/archive/base64.h"
#include "diag/archive/save_logs.h"
#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_reader.h"
#include "diag/archive/zip_writer.h"

#include <rapidjson/document.h>

#include <cstdio>
#include <cwctype>
#include <map>

namespace {

using vantu::zip::ReadFailure;

std::wstring lower(std::wstring s)
{
    for (auto& c : s)
        c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool ends_with_zip(const std::wstring& name)
{
    const std::wstring l = lower(name);
    return l.size() > 4 && l.compare(l.size() - 4, 4, L".zip") == 0;
}

std::wstring json_text(const rapidjson::Value& object, const char* key)
{
    if (!object.IsObject())
        return std::wstring();
    const auto it = object.FindMember(key);
    if (it == object.MemberEnd() || !it->value.IsString())
        return std::wstring();
    return from_utf8(std::string_view(it->value.GetString(), it->value.GetStringLength()));
}

bool write_file(const std::wstring& path, std::string_view bytes)
{
    FILE* f = open_file_stream(path, L"wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool read_small_file(const std::wstring& path, std::string& out, std::uint64_t limit)
{
    const std::int64_t size = file_size(path);
    if (size < 0 || static_cast<std::uint64_t>(size) > limit)
        return false;
    FILE* f = open_file_stream(path, L"rb");
    if (!f)
        return false;
    out.resize(static_cast<std::size_t>(size));
    const bool ok = std::fread(out.data(), 1, out.size(), f) == out.size();
    std::fclose(f);
    return ok;
}

// Extracts one entry into a file, bounded by the reader's expansion limit.
ReadFailure extract_to_file(vantu::zip::ZipReader& reader, const vantu::zip::ReadEntry& e, const std::wstring& path)
{
    FILE* f = open_file_stream(path, L"wb");
    if (!f)
        return ReadFailure::sink_failed;
    const ReadFailure r = reader.extract(e, [f](const unsigned char* data, std::size_t n) {
        return std::fwrite(data, 1, n, f) == n;
    });
    const bool closed = std::fclose(f) == 0;
    return r == ReadFailure::none && !closed ? ReadFailure::sink_failed : r;
}

// The old manifest's sources by entry name, for the new one.
std::map<std::wstring, std::wstring> sources_of(const rapidjson::Value& entries)
{
    std::map<std::wstring, std::wstring> out;
    if (!entries.IsArray())
        return out;
    for (const rapidjson::Value& e : entries.GetArray())
        out[json_text(e, "name")] = json_text(e, "source");
    return out;
}

class ScratchFolder
{
public:
    explicit ScratchFolder(std::wstring path) : m_path(std::move(path)) {}
    ~ScratchFolder() { delete_folder_tree(m_path); }
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

RedactArchiveResult failure(const std::wstring& line)
{
    RedactArchiveResult r;
    r.error = line;
    SCLOG(3, L"%s", line.c_str());
    return r;
}

} // namespace

RedactArchiveResult redact_archive(const std::wstring& in, const std::wstring& out,
                                   const vantu::redact::RedactNames& extra_names)
{
    const std::wstring in_name = path_part(in, path_part_file_name);
    ReadFailure why = ReadFailure::none;
    std::unique_ptr<vantu::zip::ZipReader> reader = vantu::zip::ZipReader::open(in, why);
    if (!reader)
        return failure(in_name + L": " + vantu::zip::read_failure_text(why) + L"; nothing written.");
    const vantu::zip::ReadEntry* manifest_found = reader->find(kManifestName);
    if (!manifest_found)
        return failure(in_name + L": not an archive of this tool (it has no manifest.json); nothing written.");
    std::string manifest_bytes;
    if (ReadFailure r = reader->extract_to_string(*manifest_found, manifest_bytes, kMaxPageBytes);
        r != ReadFailure::none)
        return failure(in_name + L": manifest.json " + vantu::zip::read_failure_text(r) + L"; nothing written.");
    rapidjson::Document old;
    old.Parse(manifest_bytes.data(), manifest_bytes.size());
    if (old.HasParseError() || !old.IsObject() || !old.HasMember("format") || !old.HasMember("entries") ||
        !old["entries"].IsArray())
        return failure(in_name + L": not an archive of this tool (its manifest.json is not ours); nothing written.");

    std::wstring out_folder = path_part(out, path_part_folder);
    if (out_folder.empty())
        out_folder = L".";
    ScratchFolder scratch(out_folder + path_separator + L"_" + path_part(out, path_part_title) + L"_redacting.tmp");
    delete_folder_tree(scratch.path());
    if (!ensure_folder(scratch.path()))
        return failure(L"cannot make the scratch folder " + scratch.path() + L"; nothing written.");
    const wchar_t sep = path_separator;

    // Every entry read back into the scratch folder (checked, bounded) first:
    // a damaged or hostile archive is refused before anything is written.
    struct Outer
    {
        const vantu::zip::ReadEntry* entry;
        std::wstring file;
    };
    std::vector<Outer> outer;
    int n = 0;
    for (const vantu::zip::ReadEntry& e : reader->entries()) {
        if (e.folder || e.name == kManifestName)
            continue;
        const std::wstring file = scratch.path() + sep + L"e" + std::to_wstring(n++);
        if (ReadFailure r = extract_to_file(*reader, e, file); r != ReadFailure::none)
            return failure(in_name + L": " + e.name + L" " + vantu::zip::read_failure_text(r) + L"; nothing written.");
        outer.push_back({&e, file});
    }
    struct Inner
    {
        std::wstring name;
        std::vector<vantu::zip::ZipItem> items;
    };
    std::map<std::wstring, Inner> inner;
    for (const Outer& o : outer) {
        if (!ends_with_zip(o.entry->name))
            continue;
        std::unique_ptr<vantu::zip::ZipReader> nested = vantu::zip::ZipReader::open(o.file, why);
        if (!nested)
            return failure(in_name + L": the inner archive " + o.entry->name + L" is " +
                           vantu::zip::read_failure_text(why) + L"; nothing written.");
        Inner listed{o.entry->name, {}};
        int k = 0;
        for (const vantu::zip::ReadEntry& e : nested->entries()) {
            std::wstring name = e.name;
            if (e.folder) {
                while (!name.empty() && name.back() == L'/')
                    name.pop_back();
                listed.items.push_back({name, L"", true});
                continue;
            }
            const std::wstring file = o.file + L"_" + std::to_wstring(k++);
            if (ReadFailure r = extract_to_file(*nested, e, file); r != ReadFailure::none)
                return failure(in_name + L": in the inner archive " + o.entry->name + L", " + e.name + L" " +
                               vantu::zip::read_failure_text(r) + L"; nothing written.");
            listed.items.push_back({name, file, false});
        }
        inner[o.file] = std::move(listed);
    }

    // Names: this PC's, the caller's, and those the archive's own texts give.
    std::vector<std::wstring> texts;
    for (const Outer& o : outer) {
        std::string bytes;
        if (o.entry->name == L"check_result.txt" && read_small_file(o.file, bytes, kMaxPageBytes)) {
            if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
                bytes.erase(0, 3);
            texts.push_back(from_utf8(bytes));
        } else if (o.entry->name == kSysteminfoName && read_small_file(o.file, bytes, kMaxPageBytes)) {
            std::string ansi;
            if (base64_decode(bytes, ansi))
                texts.push_back(from_system_narrow(ansi));
        }
    }
    ArchiveRedaction redaction(merged_names(merged_names(this_pc_names(), extra_names), names_in_texts(texts)),
                               system_ansi_code_page());

    // Inner archives again, redacted as a save packs them.
    std::map<std::wstring, std::vector<vantu::zip::ArchiveEntryRecord>> inner_records;
    std::vector<vantu::zip::SkippedFile> not_packed;
    std::map<std::wstring, std::wstring> old_sources = sources_of(old["entries"]);
    for (auto& [file, listed] : inner) {
        vantu::zip::ZipOptions options;
        options.filter = redaction.filter_maker();
        options.rename = redaction.namer();
        const std::wstring remade = file + L".zip";
        vantu::zip::ZipArchivePtr zip = vantu::zip::zip_create(remade, options);
        if (!zip || vantu::zip::zip_add_items(zip.get(), listed.items) != vantu::zip::kZipOk)
            return failure(L"cannot write " + remade + L"; nothing written.");
        std::vector<vantu::zip::ArchiveEntryRecord> records = vantu::zip::zip_entry_records(zip.get());
        for (vantu::zip::ArchiveEntryRecord& r : records) {
            redaction.count(r);
            r.source_path.clear(); // a scratch file; the original is named in the old manifest
        }
        for (vantu::zip::SkippedFile s : vantu::zip::zip_skipped_files(zip.get())) {
            s.source_path = listed.name + L"/" + s.name;
            not_packed.push_back(s);
        }
        if (vantu::zip::zip_close(zip.get()) != vantu::zip::kZipOk)
            return failure(L"cannot write " + remade + L"; nothing written.");
        inner_records[listed.name] = std::move(records);
    }

    // The texts, the front page last so that its note can count the others.
    std::map<std::wstring, std::wstring> packed_from;         // scratch file -> what goes in
    std::map<std::wstring, vantu::zip::ArchiveEntryRecord> described; // by new entry name
    std::map<std::wstring, std::wstring> new_name;            // scratch file -> entry name
    const Outer* page = nullptr;
    for (const Outer& o : outer) {
        new_name[o.file] = redaction.redact_name(o.entry->name);
        if (inner.count(o.file)) {
            packed_from[o.file] = o.file + L".zip";
            continue;
        }
        if (o.entry->name == kFrontPageName) {
            page = &o;
            continue;
        }
        FileRedaction done = redaction.redact_file(o.file, o.file + L".r", o.entry->name == kSysteminfoName);
        if (!done.ok) {
            not_packed.push_back({o.entry->name, new_name[o.file], done.reason, done.bytes_read});
            continue;
        }
        packed_from[o.file] = o.file + L".r";
        described[new_name[o.file]] = done.described;
    }
    if (page) {
        FileRedaction done = redaction.redact_file(page->file, page->file + L".r", false);
        std::string html;
        if (done.ok && read_small_file(page->file + L".r", html, kMaxPageBytes)) {
            const std::size_t body = html.find("<body>");
            if (html.find("id=\"redaction\"") == std::string::npos && body != std::string::npos)
                html.insert(body + 6, redaction_note_html(page_redaction(redaction.totals())));
            if (!write_file(page->file + L".r", html))
                return failure(L"cannot write " + page->file + L".r; nothing written.");
            packed_from[page->file] = page->file + L".r";
            described[new_name[page->file]] = done.described;
        } else {
            not_packed.push_back({page->entry->name, page->entry->name, done.reason, done.bytes_read});
        }
    }

    vantu::zip::ZipArchivePtr zip = vantu::zip::zip_create(out);
    if (!zip)
        return failure(L"cannot create " + out + L"; nothing written.");
    auto add = [&](const Outer& o) {
        const auto it = packed_from.find(o.file);
        if (it == packed_from.end())
            return true;
        return vantu::zip::zip_add_file(zip.get(), new_name[o.file], it->second) == vantu::zip::kZipOk;
    };
    bool written = true;
    if (page)
        written = add(*page);
    for (const Outer& o : outer)
        if (&o != page)
            written = add(o) && written;

    ManifestInput m;
    m.product_name = json_text(old, "product");
    m.tool_version = json_text(old, "tool_version");
    m.run_started = json_text(old, "run_started");
    m.run_ended = json_text(old, "run_ended");
    m.saved = json_text(old, "saved");
    std::map<std::wstring, std::wstring> old_name_of; // new entry name -> old
    for (const Outer& o : outer)
        old_name_of[new_name[o.file]] = o.entry->name;
    for (vantu::zip::ArchiveEntryRecord r : vantu::zip::zip_entry_records(zip.get())) {
        if (const auto d = described.find(r.name); d != described.end()) {
            r.filtered = true;
            r.replaced = d->second.replaced;
            r.encoding = d->second.encoding;
        }
        r.source_path = old_sources[old_name_of[r.name]];
        m.entries.push_back(manifest_entry(r));
    }
    for (const auto& [name, records] : inner_records) {
        ManifestInner listed{redaction.redact_name(name), {}};
        for (const vantu::zip::ArchiveEntryRecord& r : records)
            listed.entries.push_back(manifest_entry(r));
        m.inner.push_back(std::move(listed));
    }
    if (old.HasMember("not_packed") && old["not_packed"].IsArray())
        for (const rapidjson::Value& s : old["not_packed"].GetArray())
            m.not_packed.push_back({json_text(s, "source"), json_text(s, "name"), json_text(s, "reason")});
    for (const vantu::zip::SkippedFile& s : not_packed)
        m.not_packed.push_back({s.source_path, s.name, vantu::zip::skip_reason_text(s)});
    if (old.HasMember("refused_folders") && old["refused_folders"].IsArray())
        for (const rapidjson::Value& r : old["refused_folders"].GetArray())
            m.refused.push_back({json_text(r, "path"), json_text(r, "real_path"), json_text(r, "reason")});
    if (old.HasMember("collectors") && old["collectors"].IsArray()) {
        for (const rapidjson::Value& c : old["collectors"].GetArray()) {
            ManifestCollector collector;
            collector.command = json_text(c, "command");
            if (c.HasMember("duration_ms") && c["duration_ms"].IsUint())
                collector.duration_ms = c["duration_ms"].GetUint();
            if (c.HasMember("exit_code") && c["exit_code"].IsInt64())
                collector.exit_code = c["exit_code"].GetInt64();
            if (c.HasMember("started") && c["started"].IsBool())
                collector.started = c["started"].GetBool();
            if (c.HasMember("timed_out") && c["timed_out"].IsBool())
                collector.timed_out = c["timed_out"].GetBool();
            m.collectors.push_back(collector);
        }
    }
    redact_manifest_strings(m, redaction);
    m.redaction = manifest_redaction(redaction);
    m.redaction.after_the_fact_of = redaction.redact_name(in_name);

    const std::wstring manifest_file = scratch.path() + sep + L"manifest";
    if (!write_file(manifest_file, manifest_json(m)))
        return failure(L"cannot write " + manifest_file + L"; nothing written.");
    written = written && vantu::zip::zip_add_file(zip.get(), kManifestName, manifest_file) == vantu::zip::kZipOk;
    const bool closed = vantu::zip::zip_close(zip.get()) == vantu::zip::kZipOk;
    zip.reset();
    if (!written || !closed) {
        vantu::zip::delete_file(out);
        return failure(L"cannot write " + out + L"; nothing written.");
    }
    RedactArchiveResult result;
    result.ok = true;
    result.totals = redaction.totals();
    result.not_packed = static_cast<int>(not_packed.size());
    return result;
}
