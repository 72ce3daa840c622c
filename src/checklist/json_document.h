// A small wrapper around the JSON parser's document, used for the check list.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class JsonDocument
{
public:
    JsonDocument();
    ~JsonDocument();
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;

    // Parses UTF-8 text (a leading byte-order mark is skipped); text whose
    // strings are not UTF-8 is read in the system's code page instead. True when
    // the text is one valid JSON value.
    bool load(std::string_view utf8);
    bool is_object() const;

    // The member's string value, or `def` when there is no such member or it is
    // not a string. With duplicate names the first member counts.
    std::wstring get_string(const std::wstring& key, const std::wstring& def = L"") const;

    // True when the member exists and is an array; its string elements in order
    // go to `out` (elements of other types are skipped).
    bool get_string_array(const std::wstring& key, std::vector<std::wstring>& out) const;

    // True only when the member exists and is the literal true.
    bool get_true(const std::wstring& key) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
