// The folder guard: the check list names the folders that are packed, and it
// arrives over plain HTTP first, so a tampered list must not make the tool pack
// a folder the user never meant to send. Every folder from the check list, and
// every linked folder met while packing, is judged on its real path (links
// resolved) before anything in it is read.
//
// Refused: a drive root; a network path; the Windows folder and everything in
// it but the trees where services keep their files (its Temp, the AppData of the
// system and service profiles); the Program Files roots; the ProgramData root;
// the user-profile root and its known folders (Desktop, Documents, Downloads,
// Pictures, Music, Videos); and any folder that holds one of these (packing
// C:\Users would pack every profile). Their subfolders, such as
// Documents\Vantu\Logs or Program Files\<maker>\<product>, are allowed: the
// guard keeps a tampered list away from private and system folders; it does
// not second-guess where a product was installed.
#pragma once

#include <string>
#include <vector>

namespace vantu::zip {

enum class GuardVerdict {
    allowed,
    drive_root,
    network_path,
    windows_folder,
    program_files,
    program_data,
    user_profile,
    known_folder,
    holds_protected, // an ancestor of one of the folders above
};

// The machine's protected folders, as the platform reports them.
struct ProtectedFolders
{
    std::wstring windows;
    std::vector<std::wstring> program_files; // Program Files, Program Files (x86)
    std::wstring program_data;
    std::wstring user_profile;
    std::vector<std::wstring> known;         // Desktop, Documents, Downloads, Pictures, Music, Videos
};

// Judges a real (link-resolved, absolute) folder path. `network` is what the
// system says of the path's volume (a mapped network drive); UNC paths are
// recognised from the text.
GuardVerdict judge_folder(const std::wstring& real_path, bool network, const ProtectedFolders& folders);

// The rule in the log's English ("the Windows folder") and in the report's Korean.
const wchar_t* guard_verdict_text(GuardVerdict verdict);
const wchar_t* guard_verdict_korean(GuardVerdict verdict);

// A folder the guard kept out, for the save's result and the report.
struct RefusedFolder
{
    std::wstring path;      // as the check list named it (or the link met while packing)
    std::wstring real_path; // where it leads
    GuardVerdict verdict = GuardVerdict::allowed;
};

// The platform's side: the machine's protected folders, a folder's real path
// (links resolved; the path itself when it cannot be resolved) and whether it
// lies on a network volume.
ProtectedFolders system_protected_folders();
std::wstring real_folder_path(const std::wstring& path);
bool on_network_volume(const std::wstring& real_path);

// Resolves and judges a folder on this machine.
RefusedFolder guard_folder(const std::wstring& path);
// The same with the protected folders read once, for judging many folders.
RefusedFolder guard_folder(const std::wstring& path, const ProtectedFolders& folders);

} // namespace vantu::zip
