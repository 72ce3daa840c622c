#include "diag/page/html_writer.h"

#include <cstring>

#include "common/text_convert.h"

std::string html_escape(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = static_cast<char32_t>(text[i]);
        // A surrogate pair stays as it is; a half of one does not.
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out += text[i];
            out += text[++i];
            continue;
        }
        switch (c) {
        case '&': out += L"&amp;"; continue;
        case '<': out += L"&lt;"; continue;
        case '>': out += L"&gt;"; continue;
        case '"': out += L"&quot;"; continue;
        case '\'': out += L"&#39;"; continue;
        case '\r': continue; // CR LF and LF read the same in a page
        default: break;
        }
        const bool control = (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F || (c >= 0x80 && c < 0xA0);
        const bool broken = (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF;
        out += control || broken ? L'\uFFFD' : text[i];
    }
    return to_utf8(out);
}

void HtmlWriter::start_tag(const char* tag, Attributes attributes)
{
    m_out += '<';
    m_out += tag;
    for (const auto& [name, value] : attributes) {
        m_out += ' ';
        m_out += name;
        m_out += "=\"";
        m_out += html_escape(value);
        m_out += '"';
    }
    m_out += '>';
}

HtmlWriter& HtmlWriter::open(const char* tag, Attributes attributes)
{
    start_tag(tag, attributes);
    m_open.push_back(tag);
    return *this;
}

HtmlWriter& HtmlWriter::close(const char* tag)
{
    // Closing what is not innermost would make a page the browser repairs in
    // its own way: close up to the named element instead.
    while (!m_open.empty()) {
        const char* last = m_open.back();
        m_open.pop_back();
        m_out += "</";
        m_out += last;
        m_out += '>';
        if (std::strcmp(last, tag) == 0)
            break;
    }
    return *this;
}

HtmlWriter& HtmlWriter::element(const char* tag, std::wstring_view text, Attributes attributes)
{
    start_tag(tag, attributes);
    m_out += html_escape(text);
    m_out += "</";
    m_out += tag;
    m_out += '>';
    return *this;
}

HtmlWriter& HtmlWriter::text(std::wstring_view text)
{
    m_out += html_escape(text);
    return *this;
}

HtmlWriter& HtmlWriter::raw(std::string_view markup)
{
    m_out += markup;
    return *this;
}

std::string HtmlWriter::finish()
{
    while (!m_open.empty())
        close(m_open.back());
    return m_out;
}
