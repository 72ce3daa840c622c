// Parsing and formatting of the diagnostic texts: task list order, the
// interference summary, event selection and sections.
#include "diag/collect/diag_section.h"
#include "diag/collect/event_filter.h"
#include "diag/collect/interference_patterns.h"
#include "diag/collect/tasklist_sort.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

TEST(FormatSection, TitleNoteBodyAndOneEmptyLine)
{
    EXPECT_EQ(format_section(L"hosts", L"", L"127.0.0.1 localhost"), L"[hosts]\n127.0.0.1 localhost\n\n");
    EXPECT_EQ(format_section(L"WinHTTP Proxy", L"  - 서비스 / 시스템 계정이 사용", L"direct"),
              L"[WinHTTP Proxy]\n  - 서비스 / 시스템 계정이 사용\ndirect\n\n");
}

TEST(FormatSection, BodyIsTrimmedAndLineEndsUnified)
{
    EXPECT_EQ(format_section(L"t", L"", L"\r\n\r\n  a\r\nb\r\n\r\n \t"), L"[t]\na\nb\n\n");
    // A lone CR inside the body is not a line end and stays.
    EXPECT_EQ(format_section(L"t", L"", L"a\rb"), L"[t]\na\rb\n\n");
    // An empty body still gives the title: every section is always present.
    EXPECT_EQ(format_section(L"route print", L"", L""), L"[route print]\n\n\n");
    EXPECT_EQ(format_section(L"t", L"  note", L"  \r\n"), L"[t]\n  note\n\n\n");
}

TEST(SortTasklist, RowsBelowSeparatorSortedByImageNameIgnoringCase)
{
    std::wstring text =
        L"\r\n"
        L"Image Name   PID\r\n"
        L"============ ====\r\n"
        L"svchost.exe  800\r\n"
        L"System       4\r\n"
        L"explorer.exe 1200\r\n"
        L"VantuViewer.exe 77\r\n";
    // The empty piece after the last line end sorts first below the separator.
    EXPECT_EQ(sort_tasklist(text),
              L"\n"
              L"Image Name   PID\n"
              L"============ ====\n"
              L"\n"
              L"explorer.exe 1200\n"
              L"svchost.exe  800\n"
              L"System       4\n"
              L"VantuViewer.exe 77");
}

TEST(SortTasklist, EqualLinesKeepTheirOrderAndCaseDecidesNothing)
{
    EXPECT_EQ(sort_tasklist(L"=====\nB x\nb 1\na\nb X"), L"=====\na\nb 1\nB x\nb X");
    EXPECT_EQ(sort_tasklist(L"=====\nb\nB\nA"), L"=====\nA\nb\nB");
    EXPECT_EQ(sort_tasklist(L"=====\nB\nb\nA"), L"=====\nA\nB\nb");
}

TEST(SortTasklist, WithoutSeparatorTheTextIsKeptAsItIs)
{
    std::wstring text = L"정보: 지정된 조건에 맞는 작업이 없습니다.\r\nz\r\na\r\n";
    EXPECT_EQ(sort_tasklist(text), text);
    // Four "=" are not a separator; the separator must start the line.
    EXPECT_EQ(sort_tasklist(L"====\nb\na"), L"====\nb\na");
    EXPECT_EQ(sort_tasklist(L" =====\nb\na"), L" =====\nb\na");
    EXPECT_EQ(sort_tasklist(L""), L"");
}

TEST(SortTasklist, SeparatorAsLastLine)
{
    EXPECT_EQ(sort_tasklist(L"Name\r\n====="), L"Name\n=====");
}

TEST(MatchInterference, AnyDeskServiceLineGivesOneSummaryLine)
{
    std::wstring summary;
    match_interference_lines(L"  AnyDesk                      philandro Software GmbH      AnyDesk Service  \r\n",
                             L"서비스", summary);
    EXPECT_EQ(summary, L"[원격제어] 서비스        AnyDesk                      philandro Software GmbH      AnyDesk Service\n");
}

TEST(MatchInterference, FirstRowWinsSoOneLinePerInputLine)
{
    std::wstring summary;
    match_interference_lines(L"MsMpEng Defender Fasoo Enterprise", L"프로세스", summary);
    EXPECT_EQ(summary, L"[백신] 프로세스       MsMpEng Defender Fasoo Enterprise\n");

    summary.clear();
    match_interference_lines(L"astx  AhnLab Safe Transaction", L"서비스", summary);
    EXPECT_EQ(summary, L"[키보드보안] 서비스        astx  AhnLab Safe Transaction\n");
}

TEST(MatchInterference, IgnoresCaseAndAppendsInLineOrder)
{
    std::wstring summary = L"[가상화] 드라이버       vmci VMware\n";
    match_interference_lines(L"ANYDESK.EXE  philandro\n\n   \nnotepad++  Don Ho\nteamviewer_service TeamViewer",
                             L"프로세스", summary);
    EXPECT_EQ(summary,
              L"[가상화] 드라이버       vmci VMware\n"
              L"[원격제어] 프로세스       ANYDESK.EXE  philandro\n"
              L"[원격제어] 프로세스       teamviewer_service TeamViewer\n");
}

TEST(MatchInterference, PatternsWithTrailingBlankNeedTheBlank)
{
    std::wstring summary;
    match_interference_lines(L"V3Lite.exe\nAVGUI\nAhnLab V3 Lite\nAVG Technologies", L"프로세스", summary);
    EXPECT_EQ(summary,
              L"[백신] 프로세스       AhnLab V3 Lite\n"
              L"[백신] 프로세스       AVG Technologies\n");
    summary.clear();
    // "V3 " inside the trimmed line still needs a following blank.
    match_interference_lines(L"  drv  V3 ", L"드라이버", summary);
    EXPECT_EQ(summary, L"");
}

TEST(MatchInterference, KoreanNamesAndNothingFound)
{
    std::wstring summary;
    match_interference_lines(L"ASDSvc 알약 서비스\nsmsvc 소만사", L"서비스", summary);
    EXPECT_EQ(summary, L"[백신] 서비스        ASDSvc 알약 서비스\n[문서보안] 서비스        smsvc 소만사\n");
    summary.clear();
    match_interference_lines(L"Name  Company\nnotepad  Notepad\n", L"프로세스", summary);
    EXPECT_TRUE(summary.empty());
}

namespace {
const std::wstring kScmEvents =
    L"\r\nEvent[0]:\n  Log Name: System\n  Source: Service Control Manager\n"
    L"  Description: \nThe VantuHostSvr service terminated unexpectedly.\n"
    L"Event[1]:\n  Log Name: System\n  Source: Service Control Manager\n"
    L"  Description: \nThe Print Spooler service terminated.\n"
    L"Event[2]:\n  Description: \nFaulting application name: vantumanager.exe\n";
}

TEST(FilterEvents, KeepsBlocksNamingAKeywordIgnoringCase)
{
    std::deque<std::wstring> keywords{L"VantuManager.exe"};
    EXPECT_EQ(filter_events(kScmEvents, keywords),
              L"Event[2]:\n  Description: \nFaulting application name: vantumanager.exe\n");

    keywords = {L"VantuHostSvr", L"VantuManager.exe"};
    EXPECT_EQ(filter_events(kScmEvents, keywords),
              L"Event[0]:\n  Log Name: System\n  Source: Service Control Manager\n"
              L"  Description: \nThe VantuHostSvr service terminated unexpectedly."
              L"Event[2]:\n  Description: \nFaulting application name: vantumanager.exe\n");
}

TEST(FilterEvents, NothingBeforeTheFirstEventAndNoEventsAtAll)
{
    std::deque<std::wstring> keywords{L"VantuViewer.exe"};
    EXPECT_EQ(filter_events(L"VantuViewer.exe crashed\nEvent[0]:\n other", keywords), L"");
    EXPECT_EQ(filter_events(L"VantuViewer.exe mentioned but no events", keywords), L"");
    EXPECT_EQ(filter_events(L"", keywords), L"");
    EXPECT_EQ(filter_events(kScmEvents, {}), L"");
    EXPECT_EQ(filter_events(kScmEvents, {L""}), L"");
}

TEST(BuildEventlogText, FourSectionsWithTheProductsEventsFirst)
{
    DiagTexts texts;
    texts.scm_events_text = kScmEvents;
    texts.system_events_text = L"Event[0]:\n  Description: disk error\n";
    texts.application_events_text = L"Event[0]:\n  Faulting application name: VantuViewer.exe\n";
    std::deque<std::wstring> processes{L"VantuHostSvr.exe", L"VantuServer.exe", L"VantuManager.exe", L"VantuViewer.exe"};

    std::wstring text = build_eventlog_text(L"Vantu", processes, texts);
    EXPECT_EQ(text,
              L"[Vantu 관련 이벤트]\n"
              L"  대상 : VantuHostSvr.exe, VantuServer.exe, VantuManager.exe, VantuViewer.exe\n"
              L"Event[0]:\n  Faulting application name: VantuViewer.exe\n"
              L"Event[2]:\n  Description: \nFaulting application name: vantumanager.exe\n\n"
              L"[Application - 크래시 / 응답없음 / .NET 예외]\n  최근 90일\n"
              L"Event[0]:\n  Faulting application name: VantuViewer.exe\n\n"
              L"[System - 심각 / 오류]\n  최근 90일\nEvent[0]:\n  Description: disk error\n\n"
              L"[System - Service Control Manager]\n  최근 90일, 경고 포함\n" + kScmEvents.substr(2) + L"\n");
}

TEST(BuildEventlogText, NoProductEventsSaysSo)
{
    DiagTexts texts;
    std::wstring text = build_eventlog_text(L"Vantu", {L"VantuViewer.exe"}, texts);
    EXPECT_EQ(text.find(L"[Vantu 관련 이벤트]\n  대상 : VantuViewer.exe\n관련 이벤트가 없습니다.\n\n"), 0u);
    EXPECT_NE(text.find(L"[System - Service Control Manager]\n  최근 90일, 경고 포함\n\n\n"), std::wstring::npos);
}

TEST(InterferencePatterns, RowsAreTheDocumentedOnesInOrder)
{
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
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
    ASSERT_EQ(interference_pattern_count, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(interference_patterns[i].category, expected[i].first) << "row " << i;
        EXPECT_EQ(interference_patterns[i].pattern, expected[i].second) << "row " << i;
    }
}
