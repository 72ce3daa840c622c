#include "diag/archive/zip_folder.h"

#include "common/file_utils.h"
#include "common/log.h"
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

    const std::vector<std::wstring> files = find_files(source_folder, L"*", L"", false, L"", true, true);

    std::wstring root = source_folder;
    while (!root.empty() && is_separator(root.back()))
        root.pop_back();

    ZipArchivePtr archive = zip_create(archive_path, options.zip);
    if (!archive) {
        SCLOG(3, L"cannot create %s", archive_path.c_str());
        return report;
    }
    report.created = true;

    const std::wstring archive_folder = folder_of(archive_path);
    const std::wstring temp_copy =
        (archive_folder.empty() ? std::wstring() : archive_folder + separator_in(archive_path)) + kTempCopyName;

    for (const std::wstring& file : files) {
        std::wstring relative = file.substr(root.size());
        while (!relative.empty() && is_separator(relative.front()))
            relative.erase(0, 1);
        const std::size_t last = relative.find_last_of(L"\\/");
        if (last != std::wstring::npos) {
            const std::wstring sub = relative.substr(0, last);
            zip_add_folder(archive.get(), sub, root + separator_in(file) + sub);
        }
        std::uint32_t result = zip_add_file(archive.get(), relative, file);
        if (result == kZipCannotOpenSource) {
            // Typically a log file a running product process keeps open: pack a copy
            // under the name the file itself would have had.
            const bool copied = options.copy_file ? options.copy_file(file, temp_copy)
                                                  : copy_held_file(file, temp_copy);
            if (copied) {
                result = zip_add_file(archive.get(), relative, temp_copy);
                if (result == kZipOk)
                    report.from_copy.push_back(relative);
            }
            delete_file(temp_copy);
            SCLOG(result == kZipOk ? 0 : 3, L"%s is held open: %s", file.c_str(),
                  result == kZipOk ? L"packed from a copy" : L"not packed");
        }
        if (result == kZipOk) {
            report.packed.push_back(relative);
        } else {
            report.missing.push_back(file);
            if (result != kZipCannotOpenSource)
                SCLOG(3, L"adding %s to %s failed: 0x%x", file.c_str(), archive_path.c_str(), result);
        }
    }
    report.close_result = zip_close(archive.get());
    return report;
}

} // namespace vantu::zip
