#include "checklist/json_document.h"

#include <type_traits>

#include <rapidjson/document.h>
#include <rapidjson/encodings.h>

#include "common/text_convert.h"

namespace {

// Strings are transcoded straight from UTF-8 into wide text while parsing, so
// no character is lost on a code page and invalid UTF-8 is a parse error.
using WideEncoding =
    std::conditional_t<sizeof(wchar_t) == 2, rapidjson::UTF16<wchar_t>, rapidjson::UTF32<wchar_t>>;
using WideDocument = rapidjson::GenericDocument<WideEncoding>;
using WideValue = rapidjson::GenericValue<WideEncoding>;

// Iterative parsing: a deeply nested document cannot exhaust the stack.
constexpr unsigned kParseFlags = rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag;

std::wstring to_wstring(const WideValue& v)
{
    return std::wstring(v.GetString(), v.GetStringLength());
}

} // namespace

struct JsonDocument::Impl
{
    WideDocument doc;
    bool loaded = false;

    const WideValue* find(const std::wstring& key) const
    {
        if (!loaded || !doc.IsObject())
            return nullptr;
        // First member of that name, compared with its full length.
        for (auto it = doc.MemberBegin(); it != doc.MemberEnd(); ++it) {
            const WideValue& name = it->name;
            if (name.GetStringLength() == key.size() && std::wstring_view(name.GetString(), name.GetStringLength()) == key)
                return &it->value;
        }
        return nullptr;
    }
};

JsonDocument::JsonDocument() : m_impl(std::make_unique<Impl>()) {}
JsonDocument::~JsonDocument() = default;

bool JsonDocument::load(std::string_view utf8)
{
    if (utf8.size() >= 3 && static_cast<unsigned char>(utf8[0]) == 0xEF && static_cast<unsigned char>(utf8[1]) == 0xBB &&
        static_cast<unsigned char>(utf8[2]) == 0xBF)
        utf8.remove_prefix(3);
    m_impl->doc.Parse<kParseFlags, rapidjson::UTF8<>>(utf8.data(), utf8.size());
    if (m_impl->doc.GetParseError() == rapidjson::kParseErrorStringInvalidEncoding) {
        // Not UTF-8: a server that still serves the list in the system's code page
        // (as older tools read it) is read that way instead of being rejected.
        const std::string converted = to_utf8(from_system_narrow(utf8));
        m_impl->doc.Parse<kParseFlags, rapidjson::UTF8<>>(converted.data(), converted.size());
    }
    m_impl->loaded = !m_impl->doc.HasParseError();
    return m_impl->loaded;
}

bool JsonDocument::is_object() const
{
    return m_impl->loaded && m_impl->doc.IsObject();
}

std::wstring JsonDocument::get_string(const std::wstring& key, const std::wstring& def) const
{
    const WideValue* v = m_impl->find(key);
    if (!v || !v->IsString())
        return def;
    return to_wstring(*v);
}

bool JsonDocument::get_true(const std::wstring& key) const
{
    const WideValue* v = m_impl->find(key);
    return v && v->IsBool() && v->GetBool();
}

bool JsonDocument::get_string_array(const std::wstring& key, std::vector<std::wstring>& out) const
{
    const WideValue* v = m_impl->find(key);
    if (!v || !v->IsArray())
        return false;
    for (const WideValue& element : v->GetArray()) {
        if (element.IsString())
            out.push_back(to_wstring(element));
    }
    return true;
}
