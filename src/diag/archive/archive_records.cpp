#include "diag/archive/archive_records.h"

#include "common/format.h"

namespace vantu::zip {

std::wstring skip_reason_text(const SkippedFile& s)
{
    const auto bytes = static_cast<unsigned long long>(s.bytes_read);
    switch (s.reason) {
    case SkipReason::locked: return L"held by another program (not even a copy could be read)";
    case SkipReason::vanished: return L"no longer there";
    case SkipReason::read_error: return format_text(L"read error after %llu bytes", bytes);
    case SkipReason::shrank: return format_text(L"ended early, after %llu bytes", bytes);
    case SkipReason::path_too_long: return L"path too long";
    case SkipReason::refused_by_guard: return L"refused by the folder guard";
    case SkipReason::not_text: return L"not text: left out of a redacted archive";
    }
    return L"";
}

std::wstring skip_reason_korean(const SkippedFile& s)
{
    const auto bytes = static_cast<unsigned long long>(s.bytes_read);
    switch (s.reason) {
    case SkipReason::locked: return L"다른 프로그램이 사용 중";
    case SkipReason::vanished: return L"파일이 없어짐";
    case SkipReason::read_error: return format_text(L"%llu 바이트를 읽은 뒤 읽기 오류", bytes);
    case SkipReason::shrank: return format_text(L"%llu 바이트에서 파일이 줄어듦", bytes);
    case SkipReason::path_too_long: return L"경로가 너무 김";
    case SkipReason::refused_by_guard: return L"보호 폴더라서 제외";
    case SkipReason::not_text: return L"텍스트가 아니라서 개인정보 가림 보관 파일에서 제외";
    }
    return L"";
}

} // namespace vantu::zip
