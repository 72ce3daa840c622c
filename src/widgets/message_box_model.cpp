#include "widgets/message_box_model.h"

#include <cwchar>

namespace {

enum : int { id_ok = 1, id_cancel, id_abort, id_retry, id_ignore, id_yes, id_no, id_close, id_help, id_tryagain, id_continue };

struct Label {
    const wchar_t* english;
    const wchar_t* korean;
};

const Label kLabels[] = {
    {L"Ok", L"확인"},       {L"Cancel", L"취소"}, {L"Stop", L"중지"},   {L"Retry", L"재시도"},
    {L"Ignore", L"무시"},   {L"Yes", L"예"},      {L"No", L"아니오"},  {L"Close", L"닫기"},
    {L"Help", L"도움말"},   {L"Try Again", L"다시 시도"}, {L"Continue", L"계속"},
};

}  // namespace

std::vector<int> message_box_buttons(unsigned style)
{
    std::vector<int> buttons;
    switch (style & 0x0F) {
    case 1: buttons = {id_ok, id_cancel}; break;
    case 2: buttons = {id_abort, id_retry, id_ignore}; break;
    case 3: buttons = {id_yes, id_no, id_cancel}; break;
    case 4: buttons = {id_yes, id_no}; break;
    case 5: buttons = {id_retry, id_cancel}; break;
    case 6: buttons = {id_cancel, id_tryagain, id_continue}; break;
    default: buttons = {id_ok}; break;
    }
    if (style & 0x4000)
        buttons.push_back(id_help);
    return buttons;
}

int message_box_enter_result(unsigned style)
{
    switch (style & 0x0F) {
    case 2:
    case 5: return id_retry;
    case 3:
    case 4: return id_yes;
    default: return id_ok;
    }
}

std::wstring message_box_label(int result_id, bool korean)
{
    if (result_id < 1 || result_id > 11)
        return std::wstring();
    const Label& label = kLabels[result_id - 1];
    return korean ? label.korean : label.english;
}

unsigned message_box_icon(unsigned style)
{
    unsigned icon = style & 0xF0;
    return icon >= 0x10 && icon <= 0x40 ? icon : 0;
}

std::wstring message_box_caption(const std::wstring& title, int seconds_left)
{
    if (seconds_left <= 0)
        return title;
    return title + L" (" + std::to_wstring(seconds_left) + L")";
}
