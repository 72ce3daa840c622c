// iconv from glibc, which knows the Windows code pages as "CP949" and the like.
#include "diag/redact/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace vantu::redact {

std::optional<std::string> utf8_to_code_page(std::string_view utf8, unsigned code_page)
{
    const std::string target = "CP" + std::to_string(code_page);
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in(utf8);
    std::string out(in.size() * 4 + 8, '\0');
    char* src = in.data();
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    // Any character that needed a substitute counts as having no form.
    if (rc != 0 || src_left != 0)
        return std::nullopt;
    out.resize(out.size() - dst_left);
    return out;
}

} // namespace vantu::redact
