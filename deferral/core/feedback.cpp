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

void WriteFeedbackFile(Platform& platform, const TaskPaths& paths, std::string_view bytes) {
    // A lock that can't be made does not stop the write.
    platform.CreateEmptyFile(paths.m_szLockPath.c_str());
    platform.RewriteFile(paths.m_szCfgPath.c_str(), bytes);
    platform.RemoveFile(paths.m_szLockPath.c_str());
}

}  // namespace vantrel
