#include "vantrel_dlg.h"

#include "feedback.h"
#include "framework/app.h"
#include "framework/gdi.h"
#include "number.h"
#include "resource.h"
#include "task_settings.h"
#include "timers.h"
#include "wide_cast.h"

using vantrel::WideString;

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
    fw::MapNotify(IDC_SLIDER, NM_CUSTOMDRAW, &CVantrelDlg::OnSliderNotify),
    fw::MapNotify(IDC_SLIDER, NM_RELEASEDCAPTURE, &CVantrelDlg::OnSliderNotify),
};

CVantrelDlg::CVantrelDlg() : fw::Dialog(IDD_VANTREL_DIALOG) {
    m_hIcon = ::LoadIconW(fw::WinApp::Current()->m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
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

    wchar_t modulePath[vantrel::kPathSize] = {};
    const DWORD reported = ::GetModuleFileNameW(nullptr, modulePath, vantrel::kPathSize);
    const WideString path = vantrel::FromWin(std::wstring_view(modulePath, vantrel::kPathSize));
    if (!vantrel::BuildTaskPaths(path.c_str(), reported, m_paths)) {
        // Without its own directory the prompt can neither read its task nor report on it:
        // no click may start a countdown or the restart. Esc still closes the dialog.
        for (int id : {IDC_SLIDER, IDC_POSTPONE, IDC_ACT_NOW}) EnableDlgItem(id, FALSE);
        return FALSE;
    }

    ReadTaskSettings();
    m_state.m_bCancel = false;
    m_state.m_nCountdownLength = m_state.m_nDelay;
    InitDialogTexts();
    UpdatePostponeAndCountdown();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetTimer(kTimerCountdown, kTimerPeriodMs);
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(kTimerCancelFlag, kTimerPeriodMs);
    return TRUE;
}

bool CVantrelDlg::ReadTaskSettings() {
    vantrel::ReadTaskSettings(m_platform, m_paths, m_state);
    return true;
}

void CVantrelDlg::WriteFeedback(bool afterPostpone) {
    if (!HasTaskFiles()) return;
    const std::int32_t postponeTime = vantrel::SaturatingMultiply(m_slider.GetPos(), 60);
    vantrel::WriteFeedbackFile(m_platform, m_paths,
                               vantrel::BuildFeedback(m_state, afterPostpone, postponeTime));
}

void CVantrelDlg::InitDialogTexts() {}

void CVantrelDlg::UpdatePostponeAndCountdown() {}

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
    ::DrawIcon(dc.get(), x, y, m_hIcon);
    return true;
}

bool CVantrelDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}

bool CVantrelDlg::OnTimerMessage(WPARAM wParam, LPARAM, LRESULT&) {
    OnTimer(static_cast<UINT_PTR>(wParam));
    return false;  // every tick goes on to the default processing
}

void CVantrelDlg::OnTimer(UINT_PTR) {}

void CVantrelDlg::OnActNow() {}

void CVantrelDlg::OnPostpone() {}

void CVantrelDlg::OnSliderNotify(NMHDR*, LRESULT* result) { *result = 0; }
