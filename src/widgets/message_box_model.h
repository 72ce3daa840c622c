// The message box's rules that do not need a window: buttons of a style, their
// labels, the answers to Enter, the caption text.
#pragma once

#include <string>
#include <vector>

constexpr int message_box_button_id_base = 1147;  // button for result n has id 1147 + n

// Result ids of the buttons a style shows, left to right.
std::vector<int> message_box_buttons(unsigned style);
// The result that Enter gives for a style.
int message_box_enter_result(unsigned style);
// The result that Escape gives.
constexpr int message_box_escape_result = 2;
// Label of a result id's button; Korean when `korean` (UI language 1042).
std::wstring message_box_label(int result_id, bool korean);
// Icon bits of the style: 0x10 stop, 0x20 question, 0x30 exclamation, 0x40 information; 0 none.
unsigned message_box_icon(unsigned style);
// "title (seconds)" while a countdown runs, the title alone otherwise.
std::wstring message_box_caption(const std::wstring& title, int seconds_left);
