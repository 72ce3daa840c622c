// A small writer of HTML text: elements, attributes and text, every text from
// outside escaped on the way in. Markup of our own (the style sheet, drawings)
// goes in through raw(). The result is UTF-8.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Text made safe for an element's content and for a quoted attribute value: & < >
// " ' become entities; control characters other than tab and line feed, and
// unpaired surrogates, become U+FFFD.
std::string html_escape(std::wstring_view text);

class HtmlWriter
{
public:
    using Attributes = std::initializer_list<std::pair<const char*, std::wstring>>;

    // <tag a="v" ...>; attribute names are ours, values are escaped.
    HtmlWriter& open(const char* tag, Attributes attributes = {});
    // </tag> of the innermost open element, which must be `tag`.
    HtmlWriter& close(const char* tag);
    // <tag ...>text</tag>
    HtmlWriter& element(const char* tag, std::wstring_view text, Attributes attributes = {});
    HtmlWriter& text(std::wstring_view text);
    HtmlWriter& raw(std::string_view markup);

    // The page so far, with every element still open closed.
    std::string finish();

private:
    void start_tag(const char* tag, Attributes attributes);

    std::string m_out;
    std::vector<const char*> m_open;
};
