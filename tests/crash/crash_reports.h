#pragma once
// The two reports the crash writer alternates: the prompt's postpone report (130 bytes) and
// its final report after the cancel flag (98 bytes), as the prompt builds them.

#include <string>

#include "feedback.h"

namespace crash {

inline std::string Report(bool postponed) {
    vantrel::PromptState state;
    state.m_szAction = u"Reboot";
    state.m_nDelay = 60;
    state.m_nRemainPostpone = 2;
    state.m_szPostponed = u"yes";
    state.m_bCancel = !postponed;
    return vantrel::BuildFeedback(state, postponed, 900);
}

}  // namespace crash
