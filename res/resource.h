// Resource identifiers of MarloCheckTool.exe.
#pragma once

#define IDD_ABOUTBOX                100
#define IDS_ABOUTBOX                101
#define IDD_MARLOCHECKTOOL_DIALOG   102
#define IDS_CHECK_OK                102
#define IDS_CHECK_NO_SERVER_INFO    103
#define IDS_CHECK_SOCKET_CREATE     104
#define IDS_CHECK_CONNECT           105
#define IDS_CHECK_START_SEND        106
#define IDS_CHECK_START_RECV        107
#define IDS_CHECK_WRONG_ANSWER      108
#define IDS_CHECK_CRYPT_INIT        109
#define IDS_CHECK_CANCELLED         110
#define IDS_CHECK_NOT_ADMIN         111
#define IDD_DIAG_LOG                131
#define IDD_DIAG_RESULT             132
#define IDD_DIAG_ERROR_CODE         159
#define IDD_DOWNLOAD_ERROR_HELP     160
#define IDR_MAINFRAME               166
#define IDR_GIF_CHECKING            167
#define IDB_BROWSER_CHROME          174
#define IDB_BROWSER_EDGE            175
#define IDB_BROWSER_FIREFOX         176
#define IDB_BROWSER_SAFARI          178

#define IDC_START_BUTTON            1009
#define IDC_SAVE_BUTTON             1010
#define IDC_TAB                     1011
#define IDC_LIST                    1012
#define IDC_PROGRESS                1027
#define IDC_LIST_TITLE              1028
#define IDC_STEPS                   1031
#define IDC_ANIMATION               1032
#define IDC_HELP_HEADLINE           1041
#define IDC_HELP_HTTP_URL           1042
#define IDC_HELP_HTTPS_URL          1043
#define IDC_HELP_OPEN_HTTP          1044
#define IDC_HELP_OPEN_HTTPS         1045
#define IDC_HELP_ERROR_LINE         1046
#define IDC_HELP_EXPLANATION        1047
#define IDC_ABOUT_ICON              1050
#define IDC_ABOUT_TEXT              1051

// The system menu command of the about box.
#define IDM_ABOUTBOX                0x0010

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif
