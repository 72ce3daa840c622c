#include "diag/collect/command_output.h"

#include "common/text_convert.h"
#include "diag/collect/collect_text.h"

#include <algorithm>

std::wstring decode_command_output(std::string_view bytes, const OemDecoder& oem)
{
    std::string kept;
    kept.reserve(bytes.size());
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(kept), [](char c) { return c != 0; });

    bool ascii = std::none_of(kept.begin(), kept.end(),
                              [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    std::wstring text;
    if (ascii || !decode_utf8_strict(kept, text) || text.empty())
        text = oem ? oem(kept) : std::wstring();
    return diag_text::replace_all(text, L"\r\n", L"\n");
}
