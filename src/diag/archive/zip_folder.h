// Packs a folder tree into a new archive: linked folders followed once, every
// subfolder judged by the folder guard, files compressed in parallel, log files
// other programs hold open packed from a temporary copy where the system's copy
// can read them, and every file that could not be packed listed with its reason.
#pragma once

#include "diag/archive/archive_records.h"
#include "diag/archive/folder_guard.h"
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
    std::vector<ArchiveEntryRecord> records;  // every entry, folders included, in archive order
    std::vector<SkippedFile> skipped;         // the files behind `missing`, with reasons
    std::vector<RefusedFolder> refused;       // subfolders the folder guard kept out
    std::vector<std::wstring> repeats;        // folders reached a second time, not entered again
};

struct ZipFolderOptions
{
    ZipOptions zip;
    // Copies a file the writer could not open; empty: the platform's method.
    std::function<bool(const std::wstring& from, const std::wstring& to)> copy_file;
    // Judges each subfolder; empty: the folder guard of this machine.
    std::function<RefusedFolder(const std::wstring&)> judge_folder;
};

// Nothing happens (no archive) when the source is not an existing folder.
ZipFolderReport zip_folder(const std::wstring& source_folder, const std::wstring& archive_path,
                           const ZipFolderOptions& options = {});

// Name of the temporary copy, made in the archive's folder.
inline constexpr const wchar_t* kTempCopyName = L"_temp_zip_file_.tmp";

} // namespace vantu::zip
