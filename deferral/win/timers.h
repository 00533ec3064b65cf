#pragma once
// The dialog's window timers, as the countdown rules number them.

#include <windows.h>

#include "countdown.h"

constexpr UINT_PTR kTimerCountdown = static_cast<UINT_PTR>(vantrel::TimerId::kCountdown);
constexpr UINT_PTR kTimerPostponed = static_cast<UINT_PTR>(vantrel::TimerId::kPostponed);
constexpr UINT_PTR kTimerCancelFlag = static_cast<UINT_PTR>(vantrel::TimerId::kCancelFlag);
constexpr UINT kTimerPeriodMs = 1000;
