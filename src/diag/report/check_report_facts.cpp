// The parts of the report's figures that work the same on every platform.
#include "diag/report/check_report_facts.h"

#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/text_file.h"
#include "diag/archive/zip_platform.h"

std::wstring file_time_text(const std::wstring& path)
{
    local_time t;
    if (!file_modified_time(path, t))
        t = local_time_from_unix(0);
    return format_date_time(t, date_time_mode_both, true, L" ", true, true);
}

DirectoryTestOutcome run_directory_test(const std::wstring& base)
{
    DirectoryTestOutcome o;
    std::wstring root = base;
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/')
        root += path_separator;
    o.folder = root + L"__test_for_create_folder__";
    o.file = o.folder + path_separator + L"__test_for_create_file__.txt";
    o.folder_created = ensure_folder(o.folder);
    o.file_written = write_text_file(o.file, L"access test", true);
    o.file_deleted = vantu::zip::delete_file(o.file);
    if (!o.file_deleted)
        o.file_delete_error = file_operation_error_code();
    o.folder_deleted = delete_folder_tree(o.folder);
    if (!o.folder_deleted)
        o.folder_delete_error = file_operation_error_code();
    return o;
}
