#pragma once
// The five task files, which lie in the program's own directory.

#include <cstdint>

#include "fixed_text.h"

namespace vantrel {

inline constexpr std::size_t kPathSize = 1024;
using PathText = FixedText<kPathSize>;

struct TaskPaths {
    PathText m_szCfgPath;         // defer.cfg
    PathText m_szLockPath;        // defer.lock
    PathText m_szCancelFlagPath;  // cancel.flag
    PathText m_szCustomCfgPath;   // defer_customized.cfg
    PathText m_szCustomMsgPath;   // defer_customized_msg.cfg
};

// Builds the paths from the program's own path as the system reported it into a buffer of
// kPathSize units (`reported` is the count it returned). Fails, leaving `paths` empty, when
// the path is missing or was truncated, has no directory, or a task-file path would not
// fit its buffer: reading or writing a wrong file is worse than doing nothing.
bool BuildTaskPaths(const char16_t* modulePath, std::uint32_t reported, TaskPaths& paths);

}  // namespace vantrel
