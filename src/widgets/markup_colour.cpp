#include "widgets/markup_colour.h"

#include <cwctype>
#include <vector>

namespace {

struct NamedColour {
    const wchar_t* name;
    uint32_t rgb;
};

// The CSS Color Module Level 3 names, without the "grey" spellings; the lookup
// walks this order and takes the first match.
const NamedColour kCssColours[] = {
    {L"AliceBlue", 0xF0F8FF}, {L"AntiqueWhite", 0xFAEBD7}, {L"Aqua", 0x00FFFF},
    {L"Aquamarine", 0x7FFFD4}, {L"Azure", 0xF0FFFF}, {L"Beige", 0xF5F5DC},
    {L"Bisque", 0xFFE4C4}, {L"Black", 0x000000}, {L"BlanchedAlmond", 0xFFEBCD},
    {L"Blue", 0x0000FF}, {L"BlueViolet", 0x8A2BE2}, {L"Brown", 0xA52A2A},
    {L"BurlyWood", 0xDEB887}, {L"CadetBlue", 0x5F9EA0}, {L"Chartreuse", 0x7FFF00},
    {L"Chocolate", 0xD2691E}, {L"Coral", 0xFF7F50}, {L"CornflowerBlue", 0x6495ED},
    {L"Cornsilk", 0xFFF8DC}, {L"Crimson", 0xDC143C}, {L"Cyan", 0x00FFFF},
    {L"DarkBlue", 0x00008B}, {L"DarkCyan", 0x008B8B}, {L"DarkGoldenrod", 0xB8860B},
    {L"DarkGray", 0xA9A9A9}, {L"DarkGreen", 0x006400}, {L"DarkKhaki", 0xBDB76B},
    {L"DarkMagenta", 0x8B008B}, {L"DarkOliveGreen", 0x556B2F}, {L"DarkOrange", 0xFF8C00},
    {L"DarkOrchid", 0x9932CC}, {L"DarkRed", 0x8B0000}, {L"DarkSalmon", 0xE9967A},
    {L"DarkSeaGreen", 0x8FBC8F}, {L"DarkSlateBlue", 0x483D8B}, {L"DarkSlateGray", 0x2F4F4F},
    {L"DarkTurquoise", 0x00CED1}, {L"DarkViolet", 0x9400D3}, {L"DeepPink", 0xFF1493},
    {L"DeepSkyBlue", 0x00BFFF}, {L"DimGray", 0x696969}, {L"DodgerBlue", 0x1E90FF},
    {L"FireBrick", 0xB22222}, {L"FloralWhite", 0xFFFAF0}, {L"ForestGreen", 0x228B22},
    {L"Fuchsia", 0xFF00FF}, {L"Gainsboro", 0xDCDCDC}, {L"GhostWhite", 0xF8F8FF},
    {L"Gold", 0xFFD700}, {L"Goldenrod", 0xDAA520}, {L"Gray", 0x808080},
    {L"Green", 0x008000}, {L"GreenYellow", 0xADFF2F}, {L"Honeydew", 0xF0FFF0},
    {L"HotPink", 0xFF69B4}, {L"IndianRed", 0xCD5C5C}, {L"Indigo", 0x4B0082},
    {L"Ivory", 0xFFFFF0}, {L"Khaki", 0xF0E68C}, {L"Lavender", 0xE6E6FA},
    {L"LavenderBlush", 0xFFF0F5}, {L"LawnGreen", 0x7CFC00}, {L"LemonChiffon", 0xFFFACD},
    {L"LightBlue", 0xADD8E6}, {L"LightCoral", 0xF08080}, {L"LightCyan", 0xE0FFFF},
    {L"LightGoldenrodYellow", 0xFAFAD2}, {L"LightGray", 0xD3D3D3}, {L"LightGreen", 0x90EE90},
    {L"LightPink", 0xFFB6C1}, {L"LightSalmon", 0xFFA07A}, {L"LightSeaGreen", 0x20B2AA},
    {L"LightSkyBlue", 0x87CEFA}, {L"LightSlateGray", 0x778899}, {L"LightSteelBlue", 0xB0C4DE},
    {L"LightYellow", 0xFFFFE0}, {L"Lime", 0x00FF00}, {L"LimeGreen", 0x32CD32},
    {L"Linen", 0xFAF0E6}, {L"Magenta", 0xFF00FF}, {L"Maroon", 0x800000},
    {L"MediumAquamarine", 0x66CDAA}, {L"MediumBlue", 0x0000CD}, {L"MediumOrchid", 0xBA55D3},
    {L"MediumPurple", 0x9370DB}, {L"MediumSeaGreen", 0x3CB371}, {L"MediumSlateBlue", 0x7B68EE},
    {L"MediumSpringGreen", 0x00FA9A}, {L"MediumTurquoise", 0x48D1CC}, {L"MediumVioletRed", 0xC71585},
    {L"MidnightBlue", 0x191970}, {L"MintCream", 0xF5FFFA}, {L"MistyRose", 0xFFE4E1},
    {L"Moccasin", 0xFFE4B5}, {L"NavajoWhite", 0xFFDEAD}, {L"Navy", 0x000080},
    {L"OldLace", 0xFDF5E6}, {L"Olive", 0x808000}, {L"OliveDrab", 0x6B8E23},
    {L"Orange", 0xFFA500}, {L"OrangeRed", 0xFF4500}, {L"Orchid", 0xDA70D6},
    {L"PaleGoldenrod", 0xEEE8AA}, {L"PaleGreen", 0x98FB98}, {L"PaleTurquoise", 0xAFEEEE},
    {L"PaleVioletRed", 0xDB7093}, {L"PapayaWhip", 0xFFEFD5}, {L"PeachPuff", 0xFFDAB9},
    {L"Peru", 0xCD853F}, {L"Pink", 0xFFC0CB}, {L"Plum", 0xDDA0DD},
    {L"PowderBlue", 0xB0E0E6}, {L"Purple", 0x800080}, {L"Red", 0xFF0000},
    {L"RosyBrown", 0xBC8F8F}, {L"RoyalBlue", 0x4169E1}, {L"SaddleBrown", 0x8B4513},
    {L"Salmon", 0xFA8072}, {L"SandyBrown", 0xF4A460}, {L"SeaGreen", 0x2E8B57},
    {L"SeaShell", 0xFFF5EE}, {L"Sienna", 0xA0522D}, {L"Silver", 0xC0C0C0},
    {L"SkyBlue", 0x87CEEB}, {L"SlateBlue", 0x6A5ACD}, {L"SlateGray", 0x708090},
    {L"Snow", 0xFFFAFA}, {L"SpringGreen", 0x00FF7F}, {L"SteelBlue", 0x4682B4},
    {L"Tan", 0xD2B48C}, {L"Teal", 0x008080}, {L"Thistle", 0xD8BFD8},
    {L"Tomato", 0xFF6347}, {L"Turquoise", 0x40E0D0}, {L"Violet", 0xEE82EE},
    {L"Wheat", 0xF5DEB3}, {L"White", 0xFFFFFF}, {L"WhiteSmoke", 0xF5F5F5},
    {L"Yellow", 0xFFFF00}, {L"YellowGreen", 0x9ACD32},
};

const uint32_t kOpaqueBlack = 0xFF000000u;

bool equal_ignoring_case(const std::wstring& a, const wchar_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

bool all_hex_digits(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F')))
            return false;
    }
    return true;
}

// Reads hex digits; non-hex characters count as 0 so a malformed value cannot fail.
uint32_t hex_value(const std::wstring& text)
{
    uint32_t value = 0;
    for (wchar_t c : text) {
        uint32_t digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        value = (value << 4) | digit;
    }
    return value;
}

uint32_t read_hex_colour(const std::wstring& digits)
{
    if (digits.size() == 6)
        return 0xFF000000u | hex_value(digits);
    if (digits.size() == 8)
        return hex_value(digits);
    return 0;
}

}  // namespace

int read_decimal_int(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFFLL)  // saturate rather than overflow
            value = 0x80000000LL;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return static_cast<int>(value);
}

bool find_css_colour(const std::wstring& name, uint32_t& argb)
{
    for (const NamedColour& colour : kCssColours) {
        if (equal_ignoring_case(name, colour.name)) {
            argb = 0xFF000000u | colour.rgb;
            return true;
        }
    }
    return false;
}

uint32_t read_markup_colour(const std::wstring& value)
{
    if (value.empty())
        return kOpaqueBlack;

    if (value[0] == L'#') {
        if (value.size() <= 5)
            return kOpaqueBlack;
        return read_hex_colour(value.substr(1));
    }

    size_t commas = 0;
    for (wchar_t c : value)
        commas += c == L',';
    if (commas >= 2) {
        std::vector<uint32_t> parts;
        size_t start = 0;
        while (true) {
            size_t comma = value.find(L',', start);
            std::wstring part = value.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
            parts.push_back(static_cast<uint32_t>(read_decimal_int(part)) & 0xFFu);
            if (comma == std::wstring::npos)
                break;
            start = comma + 1;
        }
        if (parts.size() == 3)
            return 0xFF000000u | (parts[0] << 16) | (parts[1] << 8) | parts[2];
        if (parts.size() == 4)
            return (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
        return kOpaqueBlack;
    }

    if ((value.size() == 6 || value.size() == 8) && all_hex_digits(value))
        return read_hex_colour(value);

    // Names are matched in any case, "honeydew" and "hotpink" included.
    uint32_t argb = 0;
    if (find_css_colour(value, argb))
        return argb;
    return kOpaqueBlack;
}
