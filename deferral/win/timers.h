#pragma once
// The dialog's window timers.

#include <windows.h>

constexpr UINT_PTR kTimerCountdown = 1;   // the first countdown
constexpr UINT_PTR kTimerPostponed = 2;   // a postponed countdown
constexpr UINT_PTR kTimerCancelFlag = 3;  // polls for cancel.flag
constexpr UINT kTimerPeriodMs = 1000;
