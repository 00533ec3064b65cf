// The launcher's command-line rules on arbitrary input: the split and the UTF-8 check read and
// write nothing out of bounds, and no argument is longer than the line it came from; the
// quoting of a leading part, on a file system that the input makes up, either leaves the
// command as it is or puts one pair of quotes around a leading part that the file system has.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "fuzz_check.h"

namespace {

void CheckSplit(const std::uint8_t* data, std::size_t size) {
    // Two bytes a character, as a wide command line has them.
    std::wstring line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        line += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    selvaun::WideText argument;
    const std::size_t count = selvaun::SplitCommandLine(line, 0, argument);
    for (std::size_t i = 0; i <= count; ++i) {
        Check(selvaun::SplitCommandLine(line, i, argument) == count);
        Check(argument.view().size() <= line.size());
    }
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

void CheckQuoting(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return;
    // The first four bytes say which path lengths exist (bit length % 32); the rest is the
    // command, a character a byte so that blanks, quotes and backslashes come often.
    const std::uint32_t lengths = static_cast<std::uint32_t>(data[0]) | data[1] << 8 |
                                  data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    const auto exists = [lengths](std::wstring_view path) {
        return (lengths >> (path.size() % 32) & 1) != 0;
    };
    std::wstring command;
    for (std::size_t i = 4; i < size && data[i] != 0; ++i) command += static_cast<wchar_t>(data[i]);

    constexpr std::wstring_view kExe = L".exe";
    std::vector<std::wstring> asked;
    const auto isFile = [&](const wchar_t* path) {
        asked.emplace_back(path);
        return exists(asked.back());
    };
    const selvaun::WideText result =
        selvaun::QuoteLeadingFile(selvaun::WideText::Join({command}), isFile);
    const std::wstring_view out = result.view();

    // Every path asked about is a leading part, as written or with ".exe" added, the longest
    // first, and only the last may exist.
    const auto leading = [&](std::wstring_view part) {
        return part.size() <= command.size() && command.compare(0, part.size(), part) == 0;
    };
    std::size_t previous = command.size();
    for (std::size_t i = 0; i < asked.size(); ++i) {
        std::wstring_view part = asked[i];
        if (part.size() >= kExe.size() && part.substr(part.size() - kExe.size()) == kExe &&
            leading(part.substr(0, part.size() - kExe.size()))) {
            part.remove_suffix(kExe.size());
        }
        Check(!part.empty() && part.size() <= previous && leading(part));
        previous = part.size();
        if (i + 1 < asked.size()) Check(!exists(asked[i]));
    }

    if (out == command) {
        Check(asked.empty() || !exists(asked.back()));
        return;
    }
    if (asked.empty() || !exists(asked.back())) {
        // Nothing found: only from an absolute path, quoted up to a part ending in ".exe"
        // followed by a blank, a tab or the end, or whole.
        Check(command[0] == L'\\' || command[0] == L'/' ||
              (command.size() > 2 && command[1] == L':' &&
               (command[2] == L'\\' || command[2] == L'/')));
        Check(out.size() == command.size() + 2 && out[0] == L'"');
        const auto endsInExe = [&](std::size_t n) {
            if (n < kExe.size()) return false;
            for (std::size_t k = 0; k < kExe.size(); ++k) {
                const wchar_t c = command[n - kExe.size() + k];
                if (c != kExe[k] && c != kExe[k] - L'a' + L'A') return false;
            }
            return true;
        };
        bool matched = false;
        for (std::size_t n = 1; n <= command.size() && !matched; ++n) {
            matched = out[n + 1] == L'"' && out.compare(1, n, command, 0, n) == 0 &&
                      out.substr(n + 2) == std::wstring_view(command).substr(n) &&
                      (n == command.size() || (IsBlank(command[n]) && endsInExe(n)));
        }
        Check(matched);
        return;
    }
    // One pair of quotes around a leading part that exists, as written or with ".exe".
    Check(out.size() == command.size() + 2 && out[0] == L'"');
    const std::size_t close = out.find(L'"', 1);
    Check(close != std::wstring_view::npos);
    const std::wstring_view part = out.substr(1, close - 1);
    const std::wstring_view rest = out.substr(close + 1);
    Check(!part.empty() && leading(part));
    Check(command.compare(part.size(), std::wstring::npos, rest) == 0);
    Check(exists(part) || exists(std::wstring(part) + std::wstring(kExe)));
    // The part is cut where a blank or tab follows, and does not end in one itself.
    Check(!IsBlank(part.back()) && (rest.empty() || IsBlank(rest.front())));
    Check(command[0] != L'"' && command.find_first_of(L" \t") != std::wstring::npos);
    Check(!asked.empty() && exists(asked.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    selvaun::IsValidUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckSplit(data, size);
    CheckQuoting(data, size);
    return 0;
}
