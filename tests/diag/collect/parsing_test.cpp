// Parsing and formatting of the diagnostic texts: task list order, the
// interference summary, event selection and sections.
#include "diag/collect/diag_section.h"
#include "diag/collect/event_filter.h"
#include "diag/collect/interference_patterns.h"
#include "diag/collect/tasklist_sort.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

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

TEST(InterferencePatterns, TableHasAllRowsInCategoryOrder)
{
    ASSERT_EQ(interference_pattern_count, 111u);
    std::map<std::wstring, int> per_category;
    std::vector<std::wstring> order;
    for (size_t i = 0; i < interference_pattern_count; ++i) {
        std::wstring category = interference_patterns[i].category;
        if (order.empty() || order.back() != category)
            order.push_back(category);
        ++per_category[category];
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"원격제어", L"화면캡처", L"키보드보안", L"공인인증", L"백신",
                                                L"문서보안", L"가상화", L"자산관리"}));
    EXPECT_EQ(per_category[L"원격제어"], 20);
    EXPECT_EQ(per_category[L"화면캡처"], 4);
    EXPECT_EQ(per_category[L"키보드보안"], 12);
    EXPECT_EQ(per_category[L"공인인증"], 12);
    EXPECT_EQ(per_category[L"백신"], 39);
    EXPECT_EQ(per_category[L"문서보안"], 14);
    EXPECT_EQ(per_category[L"가상화"], 6);
    EXPECT_EQ(per_category[L"자산관리"], 4);
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
