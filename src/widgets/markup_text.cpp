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
    explicit Parser(const MarkupStyle& default_style) : default_(default_style), current_(default_style) {}

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
        if (!line_.empty())
            close_line();
        return std::move(document_);
    }

private:
    void add_run(const std::wstring& text)
    {
        MarkupRun run;
        run.text = text;
        run.style = current_;
        run.style.background = background_ == default_.background ? markup_no_background : background_;
        line_.push_back(run);
    }

    void close_line()
    {
        line_.front().line_spacing = spacing_;
        document_.push_back(std::move(line_));
        line_.clear();
    }

    bool set_flag(const std::wstring& tag, const wchar_t* on, const wchar_t* off, uint32_t flag)
    {
        if (tag == on) {
            current_.flags |= flag;
            return true;
        }
        if (tag == off) {
            current_.flags &= ~flag;
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
            if (line_.empty()) {
                MarkupRun empty;
                empty.style = default_;
                line_.push_back(empty);
            }
            close_line();
            spacing_ = -1.0f;
            return true;
        }

        std::wstring value;
        if (tag_value_any(tag, {L"<cr=", L"<ct="}, value)) {
            current_.text_colour = read_markup_colour(value);
            return true;
        }
        if (contains_any(tag, {L"</cr>", L"</ct>"})) {
            current_.text_colour = default_.text_colour;
            return true;
        }
        if (tag_value_any(tag, {L"<cb=", L"<crb="}, value)) {
            background_ = read_markup_colour(value);
            return true;
        }
        if (contains_any(tag, {L"</cb>", L"</crb>"})) {
            background_ = default_.background;
            return true;
        }
        if (tag_value_any(tag, {L"<f=", L"<font=", L"<name=", L"<fontname="}, value)) {
            current_.face = value.substr(0, markup_face_max);
            return true;
        }
        if (contains_any(tag, {L"</f>", L"</font>", L"</name>", L"</fontname>"})) {
            current_.face = default_.face;
            return true;
        }
        if (tag_value_any(tag, {L"<sz=", L"<size=", L"<fontsize="}, value)) {
            current_.size = static_cast<float>(read_decimal_int(value));
            return true;
        }
        if (contains_any(tag, {L"</sz>", L"</size>", L"</fontsize>"})) {
            current_.size = default_.size;
            return true;
        }
        if (tag_value(tag, L"<ls=", value)) {
            if (!line_.empty())
                close_line();
            spacing_ = read_float(value);
            return true;
        }
        return false;
    }

    const MarkupStyle& default_;
    MarkupStyle current_;
    uint32_t background_ = default_.background;
    float spacing_ = -1.0f;
    MarkupLine line_;
    MarkupDocument document_;
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
