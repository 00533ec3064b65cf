// Identifiers shared by plimsay.rc and the code.
#pragma once

#define IDD_VANTREL_DIALOG 102
#define IDR_MAINFRAME 137

#define IDC_MESSAGE 1000          // message box
#define IDC_COUNTDOWN_LABEL 1001  // "System will reboot in:"
#define IDC_PROGRESS 1002         // countdown bar
#define IDC_SLIDER 1003           // postpone minutes
#define IDC_POSTPONE 1004         // "Postpone (Remain: n)"
#define IDC_ACT_NOW 1005          // "Reboot now" / "Shutdown now"
#define IDC_POSTPONE_LABEL 1006   // "Postpone reboot by:"
#define IDC_SLIDER_VALUE 1007     // slider minutes, two digits
#define IDC_SLIDER_UNIT 1008      // "min"
#define IDC_MINUTES 1009          // minutes left
#define IDC_MINUTES_UNIT 1010     // "min"
#define IDC_SECONDS 1011          // seconds left
#define IDC_SECONDS_UNIT 1012     // "sec"
