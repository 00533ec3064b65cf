// Any task state as feedback bytes: whole CR LF lines in the fixed order, one byte a
// character, and the numbers read back as they were.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "feedback.h"
#include "fuzz_check.h"
#include "number.h"

namespace {

std::int32_t Take32(const std::uint8_t*& data, std::size_t& size) {
    std::uint32_t value = 0;
    const std::size_t n = size < 4 ? size : 4;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(bytes.substr(at, end - at));
    }
    Check(at == bytes.size());  // nothing after the last line end
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::PromptState state;
    state.m_nDelay = Take32(data, size);
    state.m_nRemainPostpone = Take32(data, size);
    const std::int32_t postponeTime = Take32(data, size);
    const bool afterPostpone = size > 0 && (data[0] & 1) != 0;
    state.m_bCancel = size > 0 && (data[0] & 2) != 0;
    if (size > 0 && (data[0] & 4) != 0) state.m_szPostponed = u"yes";
    vantrel::WideString action;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        // A profile value is one line: it never holds a line end.
        action.push_back(c == u'\r' || c == u'\n' ? u'x' : c);
    }
    state.m_szAction = action;

    const std::string bytes = vantrel::BuildFeedback(state, afterPostpone, postponeTime);
    const std::vector<std::string> lines = Lines(bytes);
    Check(lines.size() >= 6 && lines.size() <= 8);
    Check(lines[0] == "[Settings]" && lines[4] == "[Feedback]");
    Check(lines[1] == "DefaultPostponeTime=" + vantrel::FormatDecimal(state.m_nDelay));
    Check(lines[2] == "RemainPostponeCount=" + vantrel::FormatDecimal(state.m_nRemainPostpone));
    Check(lines[3].rfind("Action=", 0) == 0);
    Check(lines.back() == (state.m_bCancel ? "Cancel=yes" : "Cancel=no"));
    // One byte a character of the action, whatever it holds; a pair is one character.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < state.m_szAction.size(); ++i) {
        const char16_t c = state.m_szAction.view()[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < state.m_szAction.size() &&
            state.m_szAction.view()[i + 1] >= 0xDC00 && state.m_szAction.view()[i + 1] <= 0xDFFF) {
            ++i;
        }
        ++characters;
    }
    Check(lines[3].size() == 7 + characters);
    if (afterPostpone && state.m_szPostponed == u"yes") {
        Check(lines[6] == "PostponeTime=" + vantrel::FormatDecimal(postponeTime));
    }
    return 0;
}
