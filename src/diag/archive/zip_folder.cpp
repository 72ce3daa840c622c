#include "diag/archive/zip_folder.h"

#include "common/file_utils.h"
#include "common/log.h"
#include "diag/archive/folder_walk.h"
#include "diag/archive/zip_platform.h"

namespace vantu::zip {
namespace {

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring folder_of(const std::wstring& path)
{
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

wchar_t separator_in(const std::wstring& path)
{
    return path.find(L'\\') != std::wstring::npos ? L'\\' : L'/';
}

} // namespace

ZipFolderReport zip_folder(const std::wstring& source_folder, const std::wstring& archive_path,
                           const ZipFolderOptions& options)
{
    ZipFolderReport report;
    if (!folder_exists(source_folder))
        return report;

    FolderWalk walk = options.judge_folder ? walk_folder(source_folder, options.judge_folder)
                                           : walk_guarded_folder(source_folder);
    report.refused = std::move(walk.refused);
    report.repeats = std::move(walk.repeats);

    std::wstring root = source_folder;
    while (!root.empty() && is_separator(root.back()))
        root.pop_back();

    ZipArchivePtr archive = zip_create(archive_path, options.zip);
    if (!archive) {
        SCLOG(3, L"cannot create %s", archive_path.c_str());
        return report;
    }
    report.created = true;

    std::vector<ZipItem> items;
    for (const std::wstring& file : walk.files) {
        std::wstring relative = file.substr(root.size());
        while (!relative.empty() && is_separator(relative.front()))
            relative.erase(0, 1);
        const std::size_t last = relative.find_last_of(L"\\/");
        if (last != std::wstring::npos) {
            // A folder entry before every file of a subfolder, as the format asks.
            const std::wstring sub = relative.substr(0, last);
            items.push_back(ZipItem{sub, root + separator_in(file) + sub, true});
        }
        items.push_back(ZipItem{relative, file, false});
    }

    const std::wstring archive_folder = folder_of(archive_path);
    HeldFileCopy held;
    held.temp_path =
        (archive_folder.empty() ? std::wstring() : archive_folder + separator_in(archive_path)) + kTempCopyName;
    held.copy = options.copy_file ? options.copy_file : copy_held_file;

    const std::uint32_t added = zip_add_items(archive.get(), items, held);
    if (added != kZipOk)
        SCLOG(3, L"writing %s failed: 0x%x", archive_path.c_str(), added);
    report.records = zip_entry_records(archive.get());
    report.skipped = zip_skipped_files(archive.get());
    for (const ArchiveEntryRecord& r : report.records) {
        if (r.folder)
            continue;
        report.packed.push_back(r.name);
        if (r.from_copy) {
            report.from_copy.push_back(r.name);
            SCLOG(0, L"%s is held open: packed from a copy", r.source_path.c_str());
        }
    }
    for (const SkippedFile& s : report.skipped) {
        report.missing.push_back(s.source_path);
        SCLOG(3, L"%s not packed: %s", s.source_path.c_str(), skip_reason_text(s).c_str());
    }
    report.close_result = zip_close(archive.get());
    return report;
}

} // namespace vantu::zip
