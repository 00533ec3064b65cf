#pragma once
// The feedback the prompt leaves for the agent: defer.cfg rewritten whole.

#include <cstdint>
#include <string>

#include "platform.h"
#include "prompt_state.h"
#include "task_paths.h"

namespace vantrel {

// The exact bytes of defer.cfg after a feedback write: 8-bit text without a byte-order mark,
// every line ended by CR LF. A character above 255 becomes one "?" per code point.
// `postponeTime` (seconds) is written only after a postpone.
std::string BuildFeedback(const PromptState& state, bool afterPostpone,
                          std::int32_t postponeTime);

// A file held by another process is tried again this often, for up to 5 seconds.
inline constexpr std::uint32_t kBusyRetryMs = 100;
inline constexpr int kBusyRetries = 50;

struct FeedbackWrite {
    WriteResult last{};  // how the last attempt ended
    int retries = 0;   // attempts after the first, while the file was busy
    bool locked = false;  // defer.lock was held across the attempts
};

// Rewrites defer.cfg with `bytes` while defer.lock exists; the lock this call made goes
// afterwards whether or not the rewrite succeeded. A lock it could not make is left alone.
FeedbackWrite WriteFeedbackFile(Platform& platform, const TaskPaths& paths,
                                std::string_view bytes);

}  // namespace vantrel
