#pragma once
// The prompt's one dialog: template 102, topmost, counting down to the restart.

#include <windows.h>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "countdown.h"
#include "winbase/diagnostic_log.h"
#include "dialog_texts.h"
#include "framework/message_map.h"
#include "mac_progress_ctrl.h"
#include "postpone_slider.h"
#include "prompt_state.h"
#include "screen_reader.h"
#include "task_paths.h"
#include "text_catalogue.h"
#include "win_platform.h"

class CVantrelDlg : public fw::Dialog {
public:
    CVantrelDlg();
    ~CVantrelDlg() override = default;

    // The texts read are of a right-to-left language: the dialog is to be made mirrored.
    bool RightToLeft() const { return m_catalogue.RightToLeft(); }

protected:
    void DoDataExchange(fw::DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool ReadTaskSettings();
    void WriteFeedback(bool afterPostpone);
    void InitDialogTexts();
    void UpdatePostponeAndCountdown();
    // Carries out what the countdown rules decided, in their order.
    void Apply(const vantrel::Effects& effects);
    void SetBarColor(std::uint32_t colour);
    vantrel::WideString GetText(const char* section, const char* key, const char* fallback);
    // GetText over the dialog's section: every text the dialog shows is looked up through it.
    vantrel::TextLookup DialogLookup();

    bool OnPaint(WPARAM, LPARAM, LRESULT& result);
    bool OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result);
    bool OnTimerMessage(WPARAM wParam, LPARAM, LRESULT& result);
    bool OnShowWindow(WPARAM wParam, LPARAM, LRESULT&);
    bool OnDestroy(WPARAM, LPARAM, LRESULT&);
    // Draws the user's eye and a screen reader's ear, as the prompt appears or returns urgent.
    void Announce();
    bool OnActivate(WPARAM wParam, LPARAM, LRESULT& result);
    bool OnDpiChanged(WPARAM wParam, LPARAM, LRESULT&);
    // The bar's bevel and the icons for the window's DPI.
    void ApplyDpi(int dpi);
    bool OnSetFocus(WPARAM, LPARAM, LRESULT& result);
    void OnCancelClicked();
    void OnMessageChange() {}
    void OnSliderValueClicked() {}
    void OnActNow();
    void OnPostpone();
    void OnProgressCustomDraw(NMHDR*, LRESULT* result) { *result = 0; }
    void OnSliderNotify(NMHDR* notification, LRESULT* result);
    void OnTimer(UINT_PTR id);
    // The task files are known; without them nothing may be written or run.
    bool HasTaskFiles() const { return !m_paths.m_szCfgPath.empty(); }

    static const fw::MessageMapEntry<CVantrelDlg> kMessageMap[];

    fw::UniqueIcon m_hIcon;
    fw::UniqueIcon m_hSmallIcon;
    // The countdown's digits, set every second: looked up once (a round trip under Wine).
    HWND m_hMinutes = nullptr;
    HWND m_hSeconds = nullptr;
    CMacProgressCtrl m_progress;
    CPostponeSlider m_slider;
    vantrel::PromptState m_state;
    vantrel::TaskPaths m_paths;
    vantrel::ShortText m_szCountdownLabel;
    vantrel::WinPlatform m_platform;  // before the catalogue, which reads through it
    vantrel::TextCatalogue m_catalogue{m_platform};
    winbase::DiagnosticLog m_log{L"PLIMSAY_LOG", "plimsay"};
    ScreenReaderTexts m_accessible;
    bool m_bAnnounced = false;  // the first showing
};
