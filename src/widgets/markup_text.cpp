#include "widgets/markup_text.h"

#include "widgets/markup_colour.h"

#include <cwchar>

namespace {

std::wstring replace_all(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::wstring::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

bool starts_with(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// The value of a tag recognised by its opening text: from just after the opening
// text to the end of the token, less its last character (the ">").
bool tag_value(const std::wstring& token, const wchar_t* opening, std::wstring& value)
{
    size_t pos = token.find(opening);
    if (pos == std::wstring::npos)
        return false;
    size_t start = pos + wcslen(opening);
    size_t end = token.empty() ? 0 : token.size() - 1;
    value = start < end ? token.substr(start, end - start) : std::wstring();
    return true;
}

bool tag_value_any(const std::wstring& token, std::initializer_list<const wchar_t*> openings, std::wstring& value)
{
    for (const wchar_t* opening : openings) {
        if (tag_value(token, opening, value))
            return true;
    }
    return false;
}

bool contains_any(const std::wstring& token, std::initializer_list<const wchar_t*> texts)
{
    for (const wchar_t* text : texts) {
        if (token.find(text) != std::wstring::npos)
            return true;
    }
    return false;
}

float read_float(const std::wstring& text)
{
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    double value = wcstod(begin, &end);
    return end == begin ? 0.0f : static_cast<float>(value);
}

class Parser {
public:
    explicit Parser(const MarkupStyle& default_style) : m_default(default_style), m_current(default_style) {}

    void token(const MarkupToken& token)
    {
        if (!token.is_tag) {
            add_run(token.text);
            return;
        }
        // A tag that matches nothing is shown as it was read: normalised.
        const std::wstring tag = normalise_markup_tag(token.text);
        if (!apply_tag(tag))
            add_run(tag);
    }

    MarkupDocument finish()
    {
        if (!m_line.empty())
            close_line();
        return std::move(m_document);
    }

private:
    void add_run(const std::wstring& text)
    {
        MarkupRun run;
        run.text = text;
        run.style = m_current;
        run.style.background = m_background == m_default.background ? std::nullopt : m_background;
        m_line.push_back(run);
    }

    void close_line()
    {
        m_line.front().line_spacing = m_spacing;
        m_document.push_back(std::move(m_line));
        m_line.clear();
    }

    bool set_flag(const std::wstring& tag, const wchar_t* on, const wchar_t* off, uint32_t flag)
    {
        if (tag == on) {
            m_current.flags |= flag;
            return true;
        }
        if (tag == off) {
            m_current.flags &= ~flag;
            return true;
        }
        return false;
    }

    bool apply_tag(const std::wstring& tag)
    {
        if (set_flag(tag, L"<b>", L"</b>", markup_bold) || set_flag(tag, L"<i>", L"</i>", markup_italic) ||
            set_flag(tag, L"<u>", L"</u>", markup_underline) || set_flag(tag, L"<s>", L"</s>", markup_strikeout))
            return true;
        if (tag == L"<br>") {
            if (m_line.empty()) {
                MarkupRun empty;
                empty.style = m_default;
                m_line.push_back(empty);
            }
            close_line();
            m_spacing = -1.0f;
            return true;
        }

        std::wstring value;
        if (tag_value_any(tag, {L"<cr=", L"<ct="}, value)) {
            m_current.text_colour = read_markup_colour(value);
            return true;
        }
        if (contains_any(tag, {L"</cr>", L"</ct>"})) {
            m_current.text_colour = m_default.text_colour;
            return true;
        }
        if (tag_value_any(tag, {L"<cb=", L"<crb="}, value)) {
            m_background = read_markup_colour(value);
            return true;
        }
        if (contains_any(tag, {L"</cb>", L"</crb>"})) {
            m_background = m_default.background;
            return true;
        }
        if (tag_value_any(tag, {L"<f=", L"<font=", L"<name=", L"<fontname="}, value)) {
            m_current.face = value.substr(0, markup_face_max);
            return true;
        }
        if (contains_any(tag, {L"</f>", L"</font>", L"</name>", L"</fontname>"})) {
            m_current.face = m_default.face;
            return true;
        }
        if (tag_value_any(tag, {L"<sz=", L"<size=", L"<fontsize="}, value)) {
            m_current.size = static_cast<float>(read_decimal_int(value));
            return true;
        }
        if (contains_any(tag, {L"</sz>", L"</size>", L"</fontsize>"})) {
            m_current.size = m_default.size;
            return true;
        }
        if (tag_value(tag, L"<ls=", value)) {
            if (!m_line.empty())
                close_line();
            m_spacing = read_float(value);
            return true;
        }
        return false;
    }

    const MarkupStyle& m_default;
    MarkupStyle m_current;
    OptionalColour m_background = m_default.background;
    float m_spacing = -1.0f;
    MarkupLine m_line;
    MarkupDocument m_document;
};

}  // namespace

std::wstring markup_line_breaks(const std::wstring& text)
{
    std::wstring result = replace_all(text, L"\r\n", L"<br>");
    result = replace_all(result, L"\r", L"<br>");
    return replace_all(result, L"\n", L"<br>");
}

std::vector<MarkupToken> markup_tokens(const std::wstring& text)
{
    std::vector<MarkupToken> tokens;
    std::wstring current;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'<') {
            if (!current.empty()) {
                tokens.push_back({current, false});
                current.clear();
            }
            size_t close = text.find(L'>', i);
            size_t end = close == std::wstring::npos ? text.size() : close + 1;
            tokens.push_back({text.substr(i, end - i), true});
            i = end;
        } else {
            current += text[i++];
        }
    }
    if (!current.empty())
        tokens.push_back({current, false});
    return tokens;
}

std::wstring normalise_markup_tag(const std::wstring& tag)
{
    std::wstring result;
    result.reserve(tag.size());
    for (wchar_t c : tag) {
        if (c != L'_' && c != L'-')
            result += c;
    }
    // Face names keep their blanks ("Segoe UI"); "<font_name=" counts once its "_" is gone.
    bool keep_blanks = starts_with(result, L"<f=") || starts_with(result, L"<font=") ||
                       starts_with(result, L"<name=") || starts_with(result, L"<fontname=");
    if (!keep_blanks) {
        std::wstring compact;
        compact.reserve(result.size());
        for (wchar_t c : result) {
            if (c != L' ')
                compact += c;
        }
        result.swap(compact);
    }
    return result;
}

MarkupDocument parse_markup(const std::wstring& text, const MarkupStyle& default_style)
{
    Parser parser(default_style);
    for (const MarkupToken& token : markup_tokens(markup_line_breaks(text)))
        parser.token(token);
    return parser.finish();
}
