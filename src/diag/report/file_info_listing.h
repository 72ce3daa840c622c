// The table of every file below a product install folder with its date, size
// and version strings (fileinfo_*.txt in the log archive).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FileInfoRow
{
    std::wstring name;        // file name with extension, no folder
    std::wstring date_time;   // local last-modification time
    std::uint64_t size = 0;
    std::wstring file_version;
    std::wstring product_version;
    std::wstring description;
};

// "12,345"
std::wstring thousands_text(std::uint64_t value);

// The listing's text ("\n" line ends) for the folder and its rows in order.
std::wstring file_info_listing_text(const std::wstring& product_name, const std::wstring& folder,
                                    const std::vector<FileInfoRow>& rows);

// The rows of every file below the folder, in descending natural order of the
// full paths.
std::vector<FileInfoRow> collect_file_info(const std::wstring& folder);

inline constexpr const wchar_t* kListingCreateFailed =
    L"설치된 제품의 파일정보 저장을 위한 파일을 생성할 수 없습니다.";

enum class ListingOutcome
{
    written,
    no_folder,      // empty or missing folder: no file
    cannot_create,  // the caller shows kListingCreateFailed
};

// Writes the listing of `folder` to `output` as UTF-8 with byte-order mark and
// CR LF line ends.
ListingOutcome write_file_info_listing(const std::wstring& output, const std::wstring& product_name,
                                       const std::wstring& folder);
