#include "diag/report/file_info_listing.h"

#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/format.h"
#include "common/log.h"
#include "common/version_info.h"
#include "diag/report/check_report.h"
#include "diag/report/check_report_facts.h"
#include "diag/archive/folder_walk.h"

std::wstring thousands_text(std::uint64_t value)
{
    std::wstring digits = std::to_wstring(value);
    std::wstring out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        const std::size_t left = n - i - 1;
        if (left > 0 && left % 3 == 0)
            out += L',';
    }
    return out;
}

namespace {

std::wstring row_line(const std::wstring& name, const std::wstring& date, const std::wstring& size,
                      const std::wstring& fv, const std::wstring& pv, const std::wstring& desc)
{
    return format_text(L"%-30s  %-19s  %16s  %-20s  %-20s  %-40s\n", name.c_str(), date.c_str(), size.c_str(),
                       fv.c_str(), pv.c_str(), desc.c_str());
}

} // namespace

std::wstring file_info_listing_text(const std::wstring& product_name, const std::wstring& folder,
                                    const std::vector<FileInfoRow>& rows)
{
    const std::wstring dashes = std::wstring(123, L'-') + L"\n";
    std::wstring out;
    out += format_text(L"[%s File Information]\n\n", product_name.c_str());
    out += format_text(L"install folder : %s\n\n", folder.c_str());
    out += row_line(L"filename", L"date/time", L"size(B)", L"file version", L"product version", L"description");
    out += dashes;
    for (const FileInfoRow& r : rows)
        out += row_line(r.name, r.date_time, thousands_text(r.size), r.file_version, r.product_version,
                        r.description);
    out += dashes;
    return out;
}

std::vector<FileInfoRow> collect_file_info(const std::wstring& folder)
{
    std::vector<FileInfoRow> rows;
    // Linked folders are followed once, as packing follows them, so a product
    // folder behind a junction is listed as well as packed.
    for (const std::wstring& path : vantu::zip::walk_guarded_folder(folder).files) {
        FileInfoRow r;
        r.name = path_part(path, path_part_file_name);
        r.date_time = file_time_text(path);
        const std::int64_t size = file_size(path);
        r.size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
        r.file_version = get_version_string(path, L"FileVersion");
        r.product_version = get_version_string(path, L"ProductVersion");
        r.description = get_version_string(path, L"FileDescription");
        rows.push_back(std::move(r));
    }
    return rows;
}

ListingOutcome write_file_info_listing(const std::wstring& output, const std::wstring& product_name,
                                       const std::wstring& folder)
{
    if (folder.empty() || !folder_exists(folder))
        return ListingOutcome::no_folder;
    const std::vector<FileInfoRow> rows = collect_file_info(folder);
    if (!write_bytes_file(output, utf8_file_bytes(file_info_listing_text(product_name, folder, rows)))) {
        SCLOG(3, L"cannot write %s", output.c_str());
        return ListingOutcome::cannot_create;
    }
    return ListingOutcome::written;
}
