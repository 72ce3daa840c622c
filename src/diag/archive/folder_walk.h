// Listing a folder tree for packing. Linked folders (junctions, symbolic links,
// and links the system does not mark, such as Unix links seen through Wine) are
// followed, but every real folder is entered once: folders are remembered by
// volume serial and file id, so a link back to a parent ends there and a second
// path to the same folder adds nothing. Every subfolder is judged by the folder
// guard on its real path before it is entered, so a link cannot lead the walk
// to a drive root, the Windows folder or a user's Documents.
#pragma once

#include "diag/archive/folder_guard.h"

#include <functional>
#include <string>
#include <vector>

namespace vantu::zip {

struct FolderWalk
{
    std::vector<std::wstring> files;   // full paths, in descending natural order
    std::vector<std::wstring> repeats; // folders reached again (loops, second paths): not entered
    std::vector<RefusedFolder> refused; // subfolders the guard refused (links to protected folders)
};

// `judge` gives the guard's decision on a subfolder; empty: none is judged.
// `mask` (a file-name wildcard) applies to files and subfolders alike.
FolderWalk walk_folder(const std::wstring& root, const std::function<RefusedFolder(const std::wstring&)>& judge,
                       const std::wstring& mask = L"*");

// The same walk with this machine's folder guard judging every subfolder: what
// the listings and the crash-log search read, so that they see the folders
// that packing sees.
FolderWalk walk_guarded_folder(const std::wstring& root, const std::wstring& mask = L"*");

} // namespace vantu::zip
