// Packs a folder tree into a new archive, including log files other programs
// hold open (packed from a temporary copy).
#pragma once

#include "diag/archive/zip_writer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantu::zip {

struct ZipFolderReport
{
    bool created = false;            // the archive file was made
    std::uint32_t close_result = kZipOk;
    std::vector<std::wstring> packed;         // entry names of the files added
    std::vector<std::wstring> from_copy;      // of those, the ones packed from a copy
    std::vector<std::wstring> missing;        // source paths that could not be packed
};

struct ZipFolderOptions
{
    ZipOptions zip;
    // Copies a file the writer could not open; empty: the platform's method.
    std::function<bool(const std::wstring& from, const std::wstring& to)> copy_file;
};

// Nothing happens (no archive) when the source is not an existing folder.
ZipFolderReport zip_folder(const std::wstring& source_folder, const std::wstring& archive_path,
                           const ZipFolderOptions& options = {});

// Name of the temporary copy, made in the archive's folder.
inline constexpr const wchar_t* kTempCopyName = L"_temp_zip_file_.tmp";

} // namespace vantu::zip
