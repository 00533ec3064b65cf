#include "vantrel_dlg.h"

#include <utility>

#include "attention_policy.h"
#include "dialog_texts.h"
#include "feedback.h"
#include "framework/app.h"
#include "framework/dpi.h"
#include "framework/gdi.h"
#include "log_text.h"
#include "number.h"
#include "resource.h"
#include "task_settings.h"
#include "text_conversion.h"
#include "timers.h"
#include "vantrel_version.h"
#include "wide_cast.h"
#include "winbase/start_hardening.h"

using vantrel::WideString;

namespace {

constexpr char kLanguageDirectory[] = "c:\\windows\\kestrond\\i18n\\plimsayui";

int ControlOf(vantrel::TextTarget target) {
    using T = vantrel::TextTarget;
    switch (target) {
        case T::kMessage: return IDC_MESSAGE;
        case T::kCountdownLabel: return IDC_COUNTDOWN_LABEL;
        case T::kActNow: return IDC_ACT_NOW;
        case T::kPostponeLabel: return IDC_POSTPONE_LABEL;
        case T::kMinutesUnit: return IDC_MINUTES_UNIT;
        case T::kSecondsUnit: return IDC_SECONDS_UNIT;
        case T::kSliderUnit: return IDC_SLIDER_UNIT;
        case T::kCaption: break;
    }
    return 0;
}

// A static repaints at every new text, even an equal one, and the minutes change only once
// a minute: a text that is already shown is not set again.
void SetChangedText(HWND control, const std::wstring& text) {
    wchar_t shown[16] = {};
    ::GetWindowTextW(control, shown, 16);
    if (text != shown) ::SetWindowTextW(control, text.c_str());
}

}  // namespace

const fw::MessageMapEntry<CVantrelDlg> CVantrelDlg::kMessageMap[] = {
    fw::MapMessage(WM_PAINT, &CVantrelDlg::OnPaint),
    fw::MapMessage(WM_QUERYDRAGICON, &CVantrelDlg::OnQueryDragIcon),
    fw::MapCommand(IDCANCEL, BN_CLICKED, &CVantrelDlg::OnCancelClicked),
    fw::MapCommand(IDC_MESSAGE, EN_CHANGE, &CVantrelDlg::OnMessageChange),
    fw::MapNotify(IDC_PROGRESS, NM_CUSTOMDRAW, &CVantrelDlg::OnProgressCustomDraw),
    fw::MapCommand(IDC_SLIDER_VALUE, BN_CLICKED, &CVantrelDlg::OnSliderValueClicked),
    fw::MapCommand(IDC_ACT_NOW, BN_CLICKED, &CVantrelDlg::OnActNow),
    fw::MapCommand(IDC_POSTPONE, BN_CLICKED, &CVantrelDlg::OnPostpone),
    fw::MapMessage(WM_TIMER, &CVantrelDlg::OnTimerMessage),
    fw::MapMessage(WM_SHOWWINDOW, &CVantrelDlg::OnShowWindow),
    fw::MapMessage(WM_ACTIVATE, &CVantrelDlg::OnActivate),
    fw::MapMessage(WM_SETFOCUS, &CVantrelDlg::OnSetFocus),
    fw::MapMessage(WM_DPICHANGED, &CVantrelDlg::OnDpiChanged),
    fw::MapMessage(WM_DESTROY, &CVantrelDlg::OnDestroy),
    fw::MapNotify(IDC_SLIDER, NM_CUSTOMDRAW, &CVantrelDlg::OnSliderNotify),
    fw::MapNotify(IDC_SLIDER, NM_RELEASEDCAPTURE, &CVantrelDlg::OnSliderNotify),
};

CVantrelDlg::CVantrelDlg() : fw::Dialog(IDD_VANTREL_DIALOG) {
    // Read before the dialog is made: its language decides whether it is mirrored.
    m_catalogue.m_szDirectory = kLanguageDirectory;
    m_catalogue.m_propFile.KeepOnly(vantrel::kDialogSection, {std::begin(vantrel::kDialogKeys),
                                                              std::end(vantrel::kDialogKeys)});
    m_catalogue.Load();  // without it every text is its default
}

void CVantrelDlg::DoDataExchange(fw::DataExchange& exchange) {
    fw::DDX_Control(exchange, IDC_PROGRESS, m_progress);
    fw::DDX_Control(exchange, IDC_SLIDER, m_slider);
}

bool CVantrelDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return fw::DispatchMessageMap(*this, kMessageMap, message, wParam, lParam, result);
}

BOOL CVantrelDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    m_hMinutes = ::GetDlgItem(m_hWnd, IDC_MINUTES);
    m_hSeconds = ::GetDlgItem(m_hWnd, IDC_SECONDS);

    wchar_t modulePath[vantrel::kPathSize] = {};
    const DWORD reported = ::GetModuleFileNameW(nullptr, modulePath, vantrel::kPathSize);
    const WideString path = vantrel::FromWin(std::wstring_view(modulePath, vantrel::kPathSize));
    m_log.Write("start: version " VANTREL_VERSION_TEXT ", program " +
                QuotedText(vantrel::FromWin(
                    std::wstring_view(modulePath, reported < vantrel::kPathSize ? reported : 0))));
    m_log.Write(winbase::HardeningNote());
    m_log.Write(FolderNote(modulePath));
    winbase::DetachInputContexts(m_hWnd);
    if (!vantrel::BuildTaskPaths(path.c_str(), reported, m_paths)) {
        // Without its own directory the prompt can neither read its task nor report on it:
        // no click may start a countdown or the restart. Esc still closes the dialog.
        for (int id : {IDC_SLIDER, IDC_POSTPONE, IDC_ACT_NOW}) EnableDlgItem(id, FALSE);
        m_log.Write("no task files: the program's path is missing or too long; only Esc works");
        attention::Show(m_hWnd);
        return FALSE;
    }

    ReadTaskSettings();
    m_state.m_bCancel = false;
    m_state.m_nCountdownLength = m_state.m_nDelay;
    InitDialogTexts();
    m_accessible.Annotate(m_hWnd);
    UpdatePostponeAndCountdown();

    ApplyDpi(fw::WindowDpi(m_hWnd));
    SetTimer(kTimerCountdown, kTimerPeriodMs);
    attention::RaiseOnTop(m_hWnd);
    SetTimer(kTimerCancelFlag, kTimerPeriodMs);
    // Shown here without activation, so that the dialog manager finds it shown and does not
    // show it activated; no focus either, which would activate it. The message gets the
    // focus once the user comes to the dialog.
    attention::Show(m_hWnd);
    return FALSE;
}

bool CVantrelDlg::ReadTaskSettings() {
    const bool customised = vantrel::ReadTaskSettings(m_platform, m_paths, m_state);
    m_log.Write("settings: Action=" + QuotedText(m_state.m_szAction.view()) + " from " +
                QuotedText(m_paths.m_szCfgPath.view()) + "; countdown " +
                vantrel::FormatDecimal(m_state.m_nDelay) + " s and " +
                vantrel::FormatDecimal(m_state.m_nRemainPostpone) + " postpones from " +
                QuotedText(customised ? m_paths.m_szCustomCfgPath.view() : m_paths.m_szCfgPath.view()));
    return true;
}

void CVantrelDlg::WriteFeedback(bool afterPostpone) {
    if (!HasTaskFiles()) return;
    const std::int32_t postponeTime = vantrel::SaturatingMultiply(m_slider.GetPos(), 60);
    const vantrel::FeedbackWrite write = vantrel::WriteFeedbackFile(
        m_platform, m_paths, vantrel::BuildFeedback(m_state, afterPostpone, postponeTime));
    std::string note = write.last.outcome == vantrel::WriteOutcome::kWritten
                           ? "feedback written"
                           : "feedback not written, error " + vantrel::FormatDecimal(write.last.error);
    if (write.retries > 0) {
        note += " after " + vantrel::FormatDecimal(write.retries) + " retries (defer.cfg was busy)";
    }
    if (!write.locked) note += "; defer.lock could not be made";
    m_log.Write(note);
}

void CVantrelDlg::InitDialogTexts() {
    const vantrel::DialogTextPlan plan =
        vantrel::PlanDialogTexts(m_platform, m_paths, m_state.m_szAction.view(), DialogLookup());
    for (const vantrel::DialogText& text : plan.texts) {
        const std::wstring shown = vantrel::ToWin(text.text);
        if (text.target == vantrel::TextTarget::kCaption) {
            SetWindowTextW(shown.c_str());
        } else {
            SetDlgItemTextW(ControlOf(text.target), shown.c_str());
        }
    }
    m_szCountdownLabel = plan.countdownLabel;
    m_log.Write("texts: language " + LanguageId(m_platform.UserUiLanguage()) + " from " +
                (m_catalogue.m_szLoadedFile.empty() ? std::string("the built-in English")
                                                    : m_catalogue.m_szLoadedFile) +
                "; " + (m_state.m_szAction == u"Reboot" ? "reboot" : "shutdown") +
                " wording; slider 1 to " + vantrel::FormatDecimal(plan.sliderMaximum) + " min, at " +
                vantrel::FormatDecimal(plan.sliderPosition));

    SetBarColor(vantrel::kBarRed);
    m_state.m_bBarRed = true;
    m_slider.SetRange(1, plan.sliderMaximum, FALSE);
    m_slider.SetPageSize(1);
    m_slider.SetPos(plan.sliderPosition, TRUE);
}

void CVantrelDlg::UpdatePostponeAndCountdown() {
    Apply(vantrel::UpdatePostponeAndCountdown(m_state));
}

void CVantrelDlg::SetBarColor(std::uint32_t colour) {
    m_progress.SetBarColor(colour);
    m_progress.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CVantrelDlg::Apply(const vantrel::Effects& effects) {
    using Kind = vantrel::Effect::Kind;
    for (const vantrel::Effect& effect : effects) {
        const auto value = static_cast<std::int32_t>(effect.value);
        switch (effect.kind) {
            case Kind::kSetPostponeText: {
                const WideString text = vantrel::PostponeButtonText(DialogLookup(), value);
                SetDlgItemTextW(IDC_POSTPONE, vantrel::ToWin(text).c_str());
                break;
            }
            case Kind::kDisablePostpone:
                EnableDlgItem(IDC_POSTPONE, FALSE);
                EnableDlgItem(IDC_SLIDER, FALSE);
                // The focus was on one of them (Windows leaves it there, Wine drops it).
                if (!::IsWindowEnabled(::GetFocus())) attention::PlaceFocus(m_hWnd, IDC_MESSAGE);
                break;
            case Kind::kShowCountdown: {
                const vantrel::CountdownDigits digits = vantrel::FormatCountdown(value);
                SetChangedText(m_hMinutes, vantrel::ToWin(digits.minutes));
                SetChangedText(m_hSeconds, vantrel::ToWin(digits.seconds));
                break;
            }
            case Kind::kSetBarRange:
                // 32 bits, so that no countdown length leaves the bar an empty range.
                m_progress.SendMessageW(PBM_SETRANGE32, 0, value);
                break;
            case Kind::kSetBarPos:
                m_progress.SendMessageW(PBM_SETPOS, static_cast<WPARAM>(value), 0);
                break;
            case Kind::kSetBarColor:
                SetBarColor(static_cast<std::uint32_t>(effect.value));
                break;
            case Kind::kMinimize:
                ShowWindow(SW_MINIMIZE);
                break;
            case Kind::kRestore:
                // Wine leaves a minimised window active: back, its focus is the message's.
                if (attention::Restore(m_hWnd)) attention::PlaceFocus(m_hWnd, IDC_MESSAGE);
                break;
            case Kind::kRaise:
                attention::RaiseOnTop(m_hWnd);
                m_accessible.TellTimeLeft(m_hWnd, m_state.m_nSecondsLeft, false);
                break;
            case Kind::kKillTimer:
                KillTimer(static_cast<UINT_PTR>(effect.value));
                break;
            case Kind::kSetTimer:
                SetTimer(static_cast<UINT_PTR>(effect.value), kTimerPeriodMs);
                break;
            case Kind::kWriteFeedback:
                WriteFeedback(effect.value != 0);
                break;
            case Kind::kRunRestart: {
                // Only logged: whether the restart happens is the system's to say.
                const vantrel::ProgramRun run = m_platform.RunSystemProgram(
                    vantrel::kRestartProgram, vantrel::kRestartCommandLine);
                if (run.startError != 0) {
                    m_log.Write("restart command did not start, error " +
                                vantrel::FormatDecimal(run.startError));
                } else if (run.ended) {
                    m_log.Write("restart command started; it ended with exit code " +
                                vantrel::FormatDecimal(run.exitCode));
                } else {
                    m_log.Write("restart command started; it did not end within 30 s");
                }
                break;
            }
            case Kind::kEndDialog:
                OnOK();
                break;
        }
    }
}

bool CVantrelDlg::OnPaint(WPARAM, LPARAM, LRESULT&) {
    if (!IsIconic()) return false;
    fw::PaintDc dc(m_hWnd);
    SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_hIcon.get());
    return true;
}

bool CVantrelDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_hIcon.get());
    return true;
}

// The dialog manager would give the focus back to the control that had it, or to the first
// tab stop: a "Reboot now" focused long ago, or "Postpone", would then take the next Space
// or Enter typed for another program. The focus the dialog places is always the message's.
bool CVantrelDlg::OnActivate(WPARAM wParam, LPARAM, LRESULT& result) {
    if (LOWORD(wParam) == WA_INACTIVE) return false;
    attention::PlaceFocus(m_hWnd, IDC_MESSAGE);
    result = 0;
    return true;
}

bool CVantrelDlg::OnSetFocus(WPARAM, LPARAM, LRESULT& result) {
    attention::PlaceFocus(m_hWnd, IDC_MESSAGE);
    result = 0;
    return true;
}

void CVantrelDlg::Announce() {
    attention::AskForAttention(m_hWnd);
    m_accessible.TellTimeLeft(m_hWnd, m_state.m_nSecondsLeft, true);
}

bool CVantrelDlg::OnShowWindow(WPARAM wParam, LPARAM, LRESULT&) {
    if (wParam != FALSE && !m_bAnnounced) {
        m_bAnnounced = true;
        Announce();
    }
    return false;
}

bool CVantrelDlg::OnDestroy(WPARAM, LPARAM, LRESULT&) {
    m_accessible.Clear();
    return false;
}

void CVantrelDlg::ApplyDpi(int dpi) {
    m_progress.SetDpi(dpi);
    HINSTANCE instance = fw::WinApp::Current()->m_hInstance;
    fw::UniqueIcon big = fw::LoadIconForDpi(instance, IDR_MAINFRAME, 32, dpi);
    fw::UniqueIcon small = fw::LoadIconForDpi(instance, IDR_MAINFRAME, 16, dpi);
    // The window lets go of the old icons before they are destroyed.
    SetIcon(big.get(), TRUE);
    SetIcon(small.get(), FALSE);
    m_hIcon = std::move(big);
    m_hSmallIcon = std::move(small);
}

// Per-monitor aware, the dialog moved to a monitor of another scale: the system rescales
// the template dialog, its font and its controls; the bar's bevel and the icons are ours.
bool CVantrelDlg::OnDpiChanged(WPARAM wParam, LPARAM, LRESULT&) {
    ApplyDpi(HIWORD(wParam));
    return false;
}

bool CVantrelDlg::OnTimerMessage(WPARAM wParam, LPARAM, LRESULT&) {
    OnTimer(static_cast<UINT_PTR>(wParam));
    return false;  // every tick goes on to the default processing
}

void CVantrelDlg::OnTimer(UINT_PTR id) {
    if (!HasTaskFiles()) return;
    const bool cancelFlag =
        id == kTimerCancelFlag && m_platform.FileExists(m_paths.m_szCancelFlagPath.c_str());
    const bool wasRed = m_state.m_bBarRed;
    const vantrel::Effects effects =
        vantrel::OnTimer(m_state, static_cast<vantrel::TimerId>(id), cancelFlag);
    if (m_state.m_phase == vantrel::Phase::kClosed && !effects.empty()) {
        m_log.Write(id == kTimerCancelFlag ? "cancel flag seen" : "countdown ran out");
    }
    Apply(effects);
    // Back from a postpone, urgent: the one other moment to draw attention.
    if (!wasRed && m_state.m_bBarRed && m_state.m_phase == vantrel::Phase::kPostponedUrgent) Announce();
}

void CVantrelDlg::OnActNow() {
    if (!HasTaskFiles() || !attention::PressedItself(m_hWnd, IDC_ACT_NOW)) return;
    m_log.Write("act now clicked");
    Apply(vantrel::OnActNow(m_state));
}

void CVantrelDlg::OnPostpone() {
    if (!HasTaskFiles() || !attention::PressedItself(m_hWnd, IDC_POSTPONE)) return;
    const int minutes = m_slider.GetPos();
    const vantrel::Effects effects = vantrel::OnPostpone(m_state, minutes);
    if (!effects.empty()) {
        m_log.Write("postponed by " + vantrel::FormatDecimal(minutes) + " min (" +
                    vantrel::FormatDecimal(m_state.m_nCountdownLength) + " s); " +
                    vantrel::FormatDecimal(m_state.m_nRemainPostpone) + " postpones left");
    }
    Apply(effects);
    if (effects.empty()) return;
    // The cancel flag's timer restarts with the postponed countdown's, so that the two wake
    // the prompt together rather than twice a second; the flag is checked now for the second
    // that restart skips.
    SetTimer(kTimerCancelFlag, kTimerPeriodMs);
    OnTimer(kTimerCancelFlag);
}

void CVantrelDlg::OnCancelClicked() {
    m_log.Write("dismissed with Esc: no feedback, no restart");
    OnCancel();
}

void CVantrelDlg::OnSliderNotify(NMHDR*, LRESULT* result) {
    SetDlgItemTextW(IDC_SLIDER_VALUE, vantrel::ToWin(vantrel::SliderLabel(m_slider.GetPos())).c_str());
    *result = 0;
}

WideString CVantrelDlg::GetText(const char* section, const char* key, const char* fallback) {
    return vantrel::Utf8ToWide(m_platform, m_catalogue.Lookup(section, key, fallback));
}

vantrel::TextLookup CVantrelDlg::DialogLookup() {
    return [this](const char* key, const char* fallback) {
        return GetText(vantrel::kDialogSection, key, fallback);
    };
}
