// One item of the check list and the list itself: the account check first, then
// one group per server kind.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class CCheckRun;
struct CCheckParam;

// The check an item runs. Receives the run (check list, channel, flags) and the
// item's record; returns true when the item passed.
using CheckFunction = std::function<bool(CCheckRun&, CCheckParam&)>;

struct CCheckItem
{
    std::wstring title;          // shown name, such as L"세션 서버"
    std::wstring host;           // as read from the entry; empty for the account item
    std::int32_t port = 0;       // 0 for the account item
    std::int32_t kind_index = -1; // position of the kind in the server kinds; -1: account item
    bool socket_test = true;     // socket connection test; false: HTTP request
    std::int32_t list_row = -1;  // row in the log page; -1 until the rows are built
    CheckFunction check;
};

// A server item tested with an HTTP request: its HTTP statuses read as status names.
inline bool is_web_check_item(const CCheckItem* item)
{
    return item && item->kind_index >= 0 && !item->socket_test;
}

using CheckGroup = std::deque<CCheckItem>;
// The type of `m_check_groups`.
using CheckGroups = std::deque<CheckGroup>;

// Title of the account item, the first item of every check list.
inline constexpr const wchar_t* kAccountItemTitle = L"계정 권한";
