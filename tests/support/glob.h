#pragma once
// Matching a line against a pattern with "*" for any run of characters and "#" for a digit,
// for logs whose times, ids and paths vary.

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

inline bool Matches(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    if (pattern[0] == '*') {
        for (std::size_t at = 0; at <= text.size(); ++at) {
            if (Matches(text.substr(at), pattern.substr(1))) return true;
        }
        return false;
    }
    const bool digit = pattern[0] == '#' && !text.empty() && text[0] >= '0' && text[0] <= '9';
    return !text.empty() && (digit || pattern[0] == text[0]) &&
           Matches(text.substr(1), pattern.substr(1));
}

// The messages of a log's lines "<date> <time> <program>[<id>] <message>" ended by CR LF; a
// line of another form is returned whole, so that a comparison shows it.
inline std::vector<std::string> LogMessages(const std::string& log, std::string_view program) {
    const std::string head = "####-##-## ##:##:##.### " + std::string(program) + "[*] ";
    std::vector<std::string> messages;
    for (std::size_t at = 0; at < log.size();) {
        std::size_t end = log.find("\r\n", at);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(at, end - at);
        at = end + 2;
        const std::size_t close = line.find("] ");
        const bool framed = close != std::string::npos && Matches(line.substr(0, close + 2), head);
        messages.push_back(framed ? line.substr(close + 2) : line);
    }
    return messages;
}

// Each message matches its pattern, in order, and there are no more.
inline bool MatchesAll(const std::vector<std::string>& messages,
                       const std::vector<std::string>& patterns) {
    if (messages.size() != patterns.size()) return false;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (!Matches(messages[i], patterns[i])) return false;
    }
    return true;
}

}  // namespace testsupport
