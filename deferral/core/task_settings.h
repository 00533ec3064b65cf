#pragma once
// Reading the task settings the agent left in defer.cfg or defer_customized.cfg.

#include "platform.h"
#include "prompt_state.h"
#include "task_paths.h"

namespace vantrel {

inline constexpr WideView kSettingsSection = u"Settings";

// Fills m_szAction, m_nDelay and m_nRemainPostpone. The customised file, when it exists,
// replaces defer.cfg's countdown and postpone count; a missing file or key gives its
// default, and a value that is not a number gives 0. True when the numbers came from the
// customised file.
bool ReadTaskSettings(Platform& platform, const TaskPaths& paths, PromptState& state);

// A number read the way every numeric task setting is: through a 100-unit buffer.
std::int32_t ReadNumberSetting(Platform& platform, const char16_t* path, WideView key,
                               WideView fallback);

}  // namespace vantrel
