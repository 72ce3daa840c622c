#include "diag/collect/interference_patterns.h"

#include "diag/collect/collect_text.h"

#include <vector>

// Order matters: "AhnLab Safe" (keyboard security) must be found before "AhnLab"
// (antivirus), and "V3 " / "AVG " keep their blank so that they match whole words.
const InterferencePattern interference_patterns[] = {
    {L"원격제어", L"TeamViewer"},
    {L"원격제어", L"AnyDesk"},
    {L"원격제어", L"RustDesk"},
    {L"원격제어", L"VNC"},
    {L"원격제어", L"Splashtop"},
    {L"원격제어", L"LogMeIn"},
    {L"원격제어", L"Radmin"},
    {L"원격제어", L"DameWare"},
    {L"원격제어", L"ScreenConnect"},
    {L"원격제어", L"ConnectWise"},
    {L"원격제어", L"BeyondTrust"},
    {L"원격제어", L"NetSupport"},
    {L"원격제어", L"Zoho Assist"},
    {L"원격제어", L"Parsec"},
    {L"원격제어", L"ToDesk"},
    {L"원격제어", L"Sunlogin"},
    {L"원격제어", L"RSUPPORT"},
    {L"원격제어", L"알서포트"},
    {L"원격제어", L"Ammyy"},
    {L"원격제어", L"Supremo"},
    {L"화면캡처", L"dfmirage"},
    {L"화면캡처", L"DemoForge"},
    {L"화면캡처", L"mirror"},
    {L"화면캡처", L"Duplicate"},
    {L"키보드보안", L"TouchEn"},
    {L"키보드보안", L"RaonSecure"},
    {L"키보드보안", L"nProtect"},
    {L"키보드보안", L"INCA Internet"},
    {L"키보드보안", L"AhnLab Safe"},
    {L"키보드보안", L"ASTx"},
    {L"키보드보안", L"Delfino"},
    {L"키보드보안", L"XecureWeb"},
    {L"키보드보안", L"nxKey"},
    {L"키보드보안", L"KeyCrypt"},
    {L"키보드보안", L"IPinside"},
    {L"키보드보안", L"Interezen"},
    {L"공인인증", L"MagicLine"},
    {L"공인인증", L"Dreamsecurity"},
    {L"공인인증", L"AnySign"},
    {L"공인인증", L"HANCOM WITH"},
    {L"공인인증", L"INISAFE"},
    {L"공인인증", L"Initech"},
    {L"공인인증", L"Veraport"},
    {L"공인인증", L"WIZVERA"},
    {L"공인인증", L"CrossEX"},
    {L"공인인증", L"iniLINE"},
    {L"공인인증", L"Softforum"},
    {L"공인인증", L"XecureSSL"},
    {L"백신", L"AhnLab"},
    {L"백신", L"V3 "},
    {L"백신", L"ESTsoft"},
    {L"백신", L"ALYac"},
    {L"백신", L"알약"},
    {L"백신", L"Hauri"},
    {L"백신", L"ViRobot"},
    {L"백신", L"Symantec"},
    {L"백신", L"Norton"},
    {L"백신", L"McAfee"},
    {L"백신", L"Trellix"},
    {L"백신", L"ESET"},
    {L"백신", L"Kaspersky"},
    {L"백신", L"Avast"},
    {L"백신", L"AVG "},
    {L"백신", L"Avira"},
    {L"백신", L"Bitdefender"},
    {L"백신", L"Sophos"},
    {L"백신", L"Trend Micro"},
    {L"백신", L"Malwarebytes"},
    {L"백신", L"CrowdStrike"},
    {L"백신", L"SentinelOne"},
    {L"백신", L"Carbon Black"},
    {L"백신", L"Cylance"},
    {L"백신", L"Cybereason"},
    {L"백신", L"Palo Alto"},
    {L"백신", L"Cortex"},
    {L"백신", L"Qihoo"},
    {L"백신", L"Dr.Web"},
    {L"백신", L"F-Secure"},
    {L"백신", L"WithSecure"},
    {L"백신", L"Panda Security"},
    {L"백신", L"Comodo"},
    {L"백신", L"G DATA"},
    {L"백신", L"Emsisoft"},
    {L"백신", L"Webroot"},
    {L"백신", L"Seqrite"},
    {L"백신", L"Quick Heal"},
    {L"백신", L"Defender"},
    {L"문서보안", L"Fasoo"},
    {L"문서보안", L"MarkAny"},
    {L"문서보안", L"SoftCamp"},
    {L"문서보안", L"Somansa"},
    {L"문서보안", L"소만사"},
    {L"문서보안", L"지란지교"},
    {L"문서보안", L"Jiran"},
    {L"문서보안", L"Digital Guardian"},
    {L"문서보안", L"Forcepoint"},
    {L"문서보안", L"Netskope"},
    {L"문서보안", L"Zscaler"},
    {L"문서보안", L"Seclore"},
    {L"문서보안", L"Waterwall"},
    {L"문서보안", L"DRM"},
    {L"가상화", L"VMware"},
    {L"가상화", L"VirtualBox"},
    {L"가상화", L"Parallels"},
    {L"가상화", L"Sandboxie"},
    {L"가상화", L"Citrix"},
    {L"가상화", L"QEMU"},
    {L"자산관리", L"Ivanti"},
    {L"자산관리", L"ManageEngine"},
    {L"자산관리", L"Tanium"},
    {L"자산관리", L"BigFix"},
};

const size_t interference_pattern_count = sizeof(interference_patterns) / sizeof(interference_patterns[0]);

namespace {

struct LoweredPattern
{
    const InterferencePattern* row;
    std::wstring lowered;
};

const std::vector<LoweredPattern>& lowered_patterns()
{
    static const std::vector<LoweredPattern> table = [] {
        std::vector<LoweredPattern> rows;
        for (size_t i = 0; i < interference_pattern_count; ++i)
            rows.push_back({&interference_patterns[i], diag_text::lower(interference_patterns[i].pattern)});
        return rows;
    }();
    return table;
}

void match_line(const std::wstring& raw_line, const std::wstring& kind, std::wstring& summary)
{
    std::wstring line = diag_text::trim(raw_line);
    if (line.empty())
        return;
    std::wstring lowered = diag_text::lower(line);
    for (const LoweredPattern& p : lowered_patterns()) {
        if (lowered.find(p.lowered) != std::wstring::npos) {
            summary += L"[";
            summary += p.row->category;
            summary += L"] ";
            summary += diag_text::pad_right(kind, 10);
            summary += L" ";
            summary += line;
            summary += L"\n";
            return;
        }
    }
}

} // namespace

void match_interference_lines(const std::wstring& text, const std::wstring& kind, std::wstring& summary)
{
    size_t pos = 0;
    for (;;) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) {
            match_line(text.substr(pos), kind, summary);
            return;
        }
        match_line(text.substr(pos, end - pos), kind, summary);
        pos = end + 1;
    }
}
