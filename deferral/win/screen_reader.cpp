#include "screen_reader.h"

#include <string>

#include "countdown.h"
#include "resource.h"
#include "wide_cast.h"

namespace {

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ItemText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }

}  // namespace

void ScreenReaderTexts::Annotate(HWND dialog) {
    // MSAA would name a textless control after the static before it in z-order: the slider
    // would get no name and the bar "sec". The message box is named after the caption.
    m_names.SetName(::GetDlgItem(dialog, IDC_SLIDER), ItemText(dialog, IDC_POSTPONE_LABEL).c_str());
    m_names.SetName(::GetDlgItem(dialog, IDC_PROGRESS), ItemText(dialog, IDC_COUNTDOWN_LABEL).c_str());
    m_names.SetName(::GetDlgItem(dialog, IDC_MESSAGE), TextOf(dialog).c_str());
    // Read with the dialog's name as it opens.
    m_names.SetDescription(dialog, ItemText(dialog, IDC_MESSAGE).c_str());
    m_names.SetPoliteLiveRegion(::GetDlgItem(dialog, IDC_COUNTDOWN_LABEL));
}

void ScreenReaderTexts::TellTimeLeft(HWND dialog, std::int32_t seconds, bool announce) {
    const std::wstring time = vantrel::ToWin(vantrel::SpokenTimeLeft(
        vantrel::FromWin(ItemText(dialog, IDC_MINUTES_UNIT)),
        vantrel::FromWin(ItemText(dialog, IDC_SECONDS_UNIT)), seconds));
    const HWND label = ::GetDlgItem(dialog, IDC_COUNTDOWN_LABEL);
    m_names.SetValue(::GetDlgItem(dialog, IDC_PROGRESS), time.c_str());
    m_names.SetName(label, (TextOf(label) + L" " + time).c_str());
    if (!announce) return;
    constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED, Windows 8
    ::NotifyWinEvent(kLiveRegionChanged, label, OBJID_CLIENT, CHILDID_SELF);
}
