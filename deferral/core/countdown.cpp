#include "countdown.h"

#include "number.h"

namespace vantrel {
namespace {

using Kind = Effect::Kind;

// Raised every 5 seconds after the threshold: 64-bit, so no setting can overflow it.
bool OnFiveSecondMark(const PromptState& state) {
    return (static_cast<std::int64_t>(state.m_nDelay) - state.m_nSecondsLeft) % 5 == 0;
}

void Append(Effects& to, const Effects& more) { to.insert(to.end(), more.begin(), more.end()); }

void SetBarColor(PromptState& state, Effects& out, std::uint32_t colour) {
    out.push_back({Kind::kSetBarColor, colour});
    state.m_bBarRed = colour == kBarRed;
}

void Raise(Effects& out) {
    out.push_back({Kind::kRaise});
    out.push_back({Kind::kRestore});
}

// One second off the running countdown, shown on the bar and in the labels.
void Tick(PromptState& state, Effects& out) {
    state.m_nSecondsLeft = SaturatingDecrement(state.m_nSecondsLeft);
    out.push_back({Kind::kSetBarPos, state.m_nSecondsLeft});
    out.push_back({Kind::kShowCountdown, state.m_nSecondsLeft});
}

Effects OnCountdownTick(PromptState& state) {
    Effects out;
    Tick(state, out);
    if (state.m_nSecondsLeft <= 0) {
        state.m_nSecondsLeft = 0;
        Append(out, TakeAction(state));
    } else if (OnFiveSecondMark(state)) {
        Raise(out);
    }
    return out;
}

Effects OnPostponedTick(PromptState& state) {
    Effects out;
    Tick(state, out);
    if (state.m_nSecondsLeft <= state.m_nDelay) {
        if (!state.m_bBarRed) {
            // The urgency threshold is reached now.
            out.push_back({Kind::kRaise});
            SetBarColor(state, out, kBarRed);
            out.push_back({Kind::kRestore});
            state.m_phase = Phase::kPostponedUrgent;
        } else if (OnFiveSecondMark(state)) {
            Raise(out);
        }
    }
    if (state.m_nSecondsLeft <= 0) {
        // No foreground here: the keyboard stays with whatever the user types into.
        out.push_back({Kind::kKillTimer, static_cast<std::int64_t>(TimerId::kPostponed)});
        state.m_nSecondsLeft = 0;
        Append(out, TakeAction(state));
    }
    return out;
}

}  // namespace

std::int32_t BarUpper(std::int32_t length) { return length < 1 ? 1 : length; }

Effects UpdatePostponeAndCountdown(PromptState& state) {
    if (state.m_phase == Phase::kClosed) return {};
    Effects out;
    out.push_back({Kind::kSetPostponeText, state.m_nRemainPostpone});
    if (state.m_nRemainPostpone < 1) out.push_back({Kind::kDisablePostpone});
    out.push_back({Kind::kShowCountdown, state.m_nCountdownLength});
    out.push_back({Kind::kSetBarRange, BarUpper(state.m_nCountdownLength)});
    state.m_nSecondsLeft = state.m_nCountdownLength;
    out.push_back({Kind::kSetBarPos, state.m_nSecondsLeft});
    return out;
}

Effects OnTimer(PromptState& state, TimerId id, bool cancelFlagExists) {
    switch (state.m_phase) {
        case Phase::kClosed:
            return {};
        case Phase::kCounting:
            if (id == TimerId::kCountdown) return OnCountdownTick(state);
            break;
        case Phase::kPostponedQuiet:
        case Phase::kPostponedUrgent:
            if (id == TimerId::kPostponed) return OnPostponedTick(state);
            break;
    }
    if (id == TimerId::kCancelFlag && cancelFlagExists) {
        state.m_bCancel = true;
        return TakeAction(state);
    }
    return {};
}

Effects OnActNow(PromptState& state) { return TakeAction(state); }

Effects OnPostpone(PromptState& state, std::int32_t sliderPosition) {
    // The button is disabled without postpones left; a click that still arrives does nothing.
    if (state.m_phase == Phase::kClosed || state.m_nRemainPostpone < 1) return {};
    Effects out;
    out.push_back({Kind::kKillTimer, static_cast<std::int64_t>(TimerId::kCountdown)});
    out.push_back({Kind::kKillTimer, static_cast<std::int64_t>(TimerId::kPostponed)});
    out.push_back({Kind::kSetBarPos, 0});
    state.m_szPostponed = u"yes";
    state.m_nRemainPostpone = SaturatingDecrement(state.m_nRemainPostpone);
    state.m_nCountdownLength = SaturatingMultiply(sliderPosition, 60);
    Append(out, UpdatePostponeAndCountdown(state));
    out.push_back({Kind::kMinimize});
    if (state.m_nSecondsLeft > state.m_nDelay) {
        SetBarColor(state, out, kBarBlue);
        state.m_phase = Phase::kPostponedQuiet;
    } else {
        SetBarColor(state, out, kBarRed);
        out.push_back({Kind::kRestore});
        state.m_phase = Phase::kPostponedUrgent;
    }
    out.push_back({Kind::kWriteFeedback, 1});
    out.push_back({Kind::kSetTimer, static_cast<std::int64_t>(TimerId::kPostponed)});
    return out;
}

Effects TakeAction(PromptState& state) {
    if (state.m_phase == Phase::kClosed) return {};
    state.m_phase = Phase::kClosed;
    return {
        {Kind::kKillTimer, static_cast<std::int64_t>(TimerId::kCountdown)},
        {Kind::kKillTimer, static_cast<std::int64_t>(TimerId::kPostponed)},
        {Kind::kWriteFeedback, 0},
        {Kind::kRunRestart},
        {Kind::kEndDialog},
    };
}

CountdownDigits FormatCountdown(std::int32_t seconds) {
    // Truncating division, as the labels always showed it; 64-bit so nothing overflows.
    const std::int64_t minutes = seconds / 60;
    const std::int64_t rest = seconds - 60 * minutes;
    constexpr std::size_t kLabelSize = 12;
    return {CutToBuffer(FormatDecimalWide(minutes, 2), kLabelSize),
            CutToBuffer(FormatDecimalWide(rest, 2), kLabelSize)};
}

WideString PostponeButtonText(WideView postponeWord, WideView remainWord, std::int32_t remain) {
    const ShortText postpone(postponeWord);
    const ShortText remaining(remainWord);
    return WideString(postpone.view()) + u" (" + WideString(remaining.view()) + u" " +
           FormatDecimalWide(remain) + u")";
}

WideString SpokenTimeLeft(WideView minutesUnit, WideView secondsUnit, std::int32_t seconds) {
    const std::int64_t left = seconds < 0 ? 0 : seconds;
    const std::int64_t minutes = left / 60;
    const std::int64_t rest = left % 60;
    WideString spoken;
    if (minutes > 0) spoken = FormatDecimalWide(minutes) + u" " + WideString(minutesUnit);
    if (rest > 0 || minutes == 0) {
        if (!spoken.empty()) spoken += u" ";
        spoken += FormatDecimalWide(rest) + u" " + WideString(secondsUnit);
    }
    return spoken;
}

WideString SliderLabel(std::int32_t position) { return FormatDecimalWide(position, 2); }

}  // namespace vantrel
