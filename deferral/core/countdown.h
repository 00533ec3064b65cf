#pragma once
// The countdown, postpone and action rules: events in, effects out. The dialog applies the
// effects in order with the matching window calls.

#include <cstdint>
#include <vector>

#include "fixed_text.h"
#include "prompt_state.h"

namespace vantrel {

inline constexpr std::uint32_t kBarRed = 0x0000FF;   // COLORREF red 255
inline constexpr std::uint32_t kBarBlue = 0xFF8000;  // red 0, green 128, blue 255

// The system's forced restart, run for every action word.
inline constexpr WideView kRestartProgram = u"shutdown.exe";
inline constexpr WideView kRestartCommandLine = u"shutdown /r /f";

enum class TimerId : std::uint32_t { kCountdown = 1, kPostponed = 2, kCancelFlag = 3 };

struct Effect {
    enum class Kind {
        kSetPostponeText,  // button 1004 for `value` postpones left
        kDisablePostpone,  // button 1004 and the slider, for good
        kShowCountdown,    // minutes and seconds of `value` seconds
        kSetBarRange,      // 0 to `value`
        kSetBarPos,        // `value`
        kSetBarColor,      // base colour `value`, redrawn at once
        kMinimize,
        kRestore,          // shown normally again, without taking the keyboard
        kRaise,            // on top of every window, without taking the keyboard
        kKillTimer,        // timer `value`
        kSetTimer,         // timer `value`, one second
        kWriteFeedback,    // `value` 1 right after a postpone
        kRunRestart,       // the system's shutdown.exe, "shutdown /r /f"
        kEndDialog,        // IDOK
    };
    Kind kind{};
    std::int64_t value = 0;

    friend bool operator==(const Effect&, const Effect&) = default;
};
using Effects = std::vector<Effect>;

// The state is kept in PromptState::m_phase; each operation below is a no-op once Closed.
Effects UpdatePostponeAndCountdown(PromptState& state);
Effects OnTimer(PromptState& state, TimerId id, bool cancelFlagExists);
Effects OnActNow(PromptState& state);
Effects OnPostpone(PromptState& state, std::int32_t sliderPosition);
Effects TakeAction(PromptState& state);

// The bar's upper bound for a countdown: the length itself, but at least 1 so that the
// range is never empty (a length of 0 or less then shows an empty bar).
std::int32_t BarUpper(std::int32_t length);

// "%02d" of the minutes and of the seconds of `seconds`, as the two labels show them.
struct CountdownDigits {
    WideString minutes;
    WideString seconds;
};
CountdownDigits FormatCountdown(std::int32_t seconds);

// "%s (%s %d)": the postpone button's text from its two words and the postpones left.
WideString PostponeButtonText(WideView postponeWord, WideView remainWord, std::int32_t remain);

// The time left as a screen reader says it, from the units the dialog shows: "1 min 28 sec",
// the minutes without padding and a zero part left out ("5 sec", "2 min"); "0 sec" at the end.
WideString SpokenTimeLeft(WideView minutesUnit, WideView secondsUnit, std::int32_t seconds);

// "%02d" of the slider's position, for the label next to it.
WideString SliderLabel(std::int32_t position);

}  // namespace vantrel
