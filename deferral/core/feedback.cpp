#include "feedback.h"

#include "number.h"

namespace vantrel {
namespace {

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key).append(value).append("\r\n");
}

std::string ToFeedbackBytes(WideView text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x100) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        bytes.push_back('?');
        // A surrogate pair is one character, so it gets one "?".
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) ++i;
    }
    return bytes;
}

}  // namespace

std::string BuildFeedback(const PromptState& state, bool afterPostpone,
                          std::int32_t postponeTime) {
    std::string out;
    out.append("[Settings]\r\n");
    AppendLine(out, "DefaultPostponeTime=", FormatDecimal(state.m_nDelay));
    AppendLine(out, "RemainPostponeCount=", FormatDecimal(state.m_nRemainPostpone));
    AppendLine(out, "Action=", ToFeedbackBytes(state.m_szAction.view()));
    out.append("[Feedback]\r\n");
    if (afterPostpone) {
        AppendLine(out, "Postponed=", ToFeedbackBytes(state.m_szPostponed.view()));
        if (state.m_szPostponed == u"yes") {
            AppendLine(out, "PostponeTime=", FormatDecimal(postponeTime));
        }
    }
    out.append(state.m_bCancel ? "Cancel=yes\r\n" : "Cancel=no\r\n");
    return out;
}

FeedbackWrite WriteFeedbackFile(Platform& platform, const TaskPaths& paths,
                                std::string_view bytes) {
    FeedbackWrite write;
    // The lock vanishes with the process, so that a crash can't leave the agent waiting for
    // ever; a lock that can't be made does not stop the write.
    auto lock = platform.HoldMarkerFile(paths.m_szLockPath.c_str());
    write.locked = lock != nullptr;
    // A scanner or backup agent may hold defer.cfg for a moment: wait, keeping the lock.
    write.last = platform.RewriteFile(paths.m_szCfgPath.c_str(), bytes);
    while (write.last.outcome == WriteOutcome::kBusy && write.retries < kBusyRetries) {
        platform.Sleep(kBusyRetryMs);
        ++write.retries;
        write.last = platform.RewriteFile(paths.m_szCfgPath.c_str(), bytes);
    }
    // Only the held lock's own handle removes it: by name, this could be another prompt's
    // lock, taken while that one still writes.
    lock.reset();
    return write;
}

}  // namespace vantrel
