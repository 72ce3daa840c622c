// The texts of the download error help, kept apart from its window.
#pragma once

#include <cstdint>
#include <string>

// Markup of the headline and of the explanation of likely causes.
extern const wchar_t kHelpHeadlineMarkup[];
extern const wchar_t kHelpExplanationMarkup[];

// The text shown for a code that the system has no message for.
extern const wchar_t kUnknownErrorText[];

// "에러코드 : <code> <text>"; a system text that is empty after trimming reads
// "unknown error".
std::wstring help_error_line(std::int32_t code, const std::wstring& system_text);
