#include "diag/archive/folder_walk.h"

#include "common/file_utils.h"
#include "common/log.h"
#include "diag/archive/zip_platform.h"

#include <algorithm>
#include <set>

namespace vantu::zip {
namespace {

// Beyond this depth a tree whose folders have no identity is not followed
// further: without identities a loop could not be told from a deep tree.
constexpr int kMaxDepthWithoutIdentity = 64;

class Walker
{
public:
    Walker(FolderWalk& out, const std::function<RefusedFolder(const std::wstring&)>& judge, const std::wstring& mask)
        : m_out(out), m_judge(judge), m_mask(mask.empty() ? L"*" : mask)
    {
    }

    void walk(const std::wstring& folder, int depth)
    {
        const std::optional<FolderId> id = folder_identity(folder);
        if (id && !m_seen.insert(*id).second) {
            SCLOG(1, L"%s leads to a folder already packed: not entered again", folder.c_str());
            m_out.repeats.push_back(folder);
            return;
        }
        if (!id && depth > kMaxDepthWithoutIdentity) {
            SCLOG(3, L"%s is too deep to follow", folder.c_str());
            m_out.repeats.push_back(folder);
            return;
        }
        std::vector<folder_entry> entries;
        if (!list_folder(folder, m_mask, entries))
            return;
        // In packing order, so that of two paths to one folder the one packed is
        // the one met first in the archive.
        std::sort(entries.begin(), entries.end(), [](const folder_entry& a, const folder_entry& b) {
            return natural_compare(a.name, b.name) > 0;
        });
        std::wstring prefix = folder;
        if (prefix.empty() || (prefix.back() != L'\\' && prefix.back() != L'/'))
            prefix += path_separator;
        for (const folder_entry& entry : entries) {
            const std::wstring full = prefix + entry.name;
            if (!entry.is_folder) {
                m_out.files.push_back(full);
                continue;
            }
            // Every subfolder is judged, not only those marked as links: a Unix
            // link seen through Wine looks like a plain folder.
            if (m_judge) {
                RefusedFolder verdict = m_judge(full);
                if (verdict.verdict != GuardVerdict::allowed) {
                    SCLOG(3, L"%s leads to %s (%s): not packed", full.c_str(), verdict.real_path.c_str(),
                          guard_verdict_text(verdict.verdict));
                    m_out.refused.push_back(std::move(verdict));
                    continue;
                }
            }
            walk(full, depth + 1);
        }
    }

private:
    FolderWalk& m_out;
    const std::function<RefusedFolder(const std::wstring&)>& m_judge;
    const std::wstring m_mask;
    std::set<FolderId> m_seen;
};

} // namespace

FolderWalk walk_folder(const std::wstring& root, const std::function<RefusedFolder(const std::wstring&)>& judge,
                       const std::wstring& mask)
{
    FolderWalk out;
    Walker(out, judge, mask).walk(root, 0);
    sort_descending_natural(out.files);
    return out;
}

FolderWalk walk_guarded_folder(const std::wstring& root, const std::wstring& mask)
{
    const ProtectedFolders protected_folders = system_protected_folders();
    return walk_folder(
        root, [&protected_folders](const std::wstring& path) { return guard_folder(path, protected_folders); }, mask);
}

} // namespace vantu::zip
