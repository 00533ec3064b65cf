#pragma once
// What the prompt knows about its task while it runs: the settings it read, the running
// countdown and the outcome it will report.

#include <cstdint>

#include "fixed_text.h"

namespace vantrel {

inline constexpr std::size_t kShortTextSize = 100;
using ShortText = FixedText<kShortTextSize>;

// Where the countdown stands: the first countdown, a postponed one above the urgency
// threshold (blue, minimised) or at it (red, raised), or ended.
enum class Phase { kCounting, kPostponedQuiet, kPostponedUrgent, kClosed };

struct PromptState {
    ShortText m_szAction;              // the task's action word
    std::int32_t m_nDelay = 0;         // first countdown, and the urgency threshold, seconds
    std::int32_t m_nCountdownLength = 0;  // the running countdown, seconds; the bar's range
    std::int32_t m_nRemainPostpone = 0;   // postpones the user has left
    std::int32_t m_nSecondsLeft = 0;      // seconds left; the bar's position
    ShortText m_szPostponed;           // "yes" once the user has postponed
    bool m_bCancel = false;            // the agent's cancel flag was seen
    bool m_bBarRed = false;            // the bar shows the urgent colour
    Phase m_phase = Phase::kCounting;
};

}  // namespace vantrel
