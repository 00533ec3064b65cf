// The launcher's command-line rules on arbitrary input: the split and the UTF-8 check read and
// write nothing out of bounds, and no argument is longer than the line it came from; the
// program a command names ends at its first extension, whatever files exist, and only a name
// that is no full path is looked for, in full paths only.
#include <cstddef>
#include <cstdint>
#include <iterator>
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

// Whether the first `n` characters of `text` end in a program's extension, in any case.
bool EndsInExtension(std::wstring_view text, std::size_t n) {
    if (n < 4) return false;
    std::wstring tail(text.substr(n - 4, 4));
    for (wchar_t& c : tail) c = c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c;
    return tail == L".exe" || tail == L".com" || tail == L".bat" || tail == L".cmd";
}

struct Run {
    selvaun::StartCommand start;
    std::vector<std::wstring> asked;  // the paths whose existence was asked, in order
};

// The first four bytes say which path lengths exist (bit length % 32), `flip` inverts them;
// the rest is the command.
Run Resolve(const std::wstring& command, std::uint32_t lengths, bool flip) {
    Run run;
    const wchar_t* lists[] = {L"C:\\S", L"C:\\W", L"rel;C:\\P\\;;\\\\srv\\p"};
    run.start = selvaun::ResolveCommand(
        command,
        [&](std::size_t n) {
            return n < 3 ? selvaun::WideText::Join({lists[n]}) : selvaun::WideText();
        },
        [&](const wchar_t* path) {
            run.asked.emplace_back(path);
            return ((lengths >> (run.asked.back().size() % 32) & 1) != 0) != flip;
        });
    return run;
}

void CheckResolving(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return;
    const std::uint32_t lengths = static_cast<std::uint32_t>(data[0]) | data[1] << 8 |
                                  data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    // A character a byte, so that blanks, quotes and backslashes come often; a few bytes
    // stand for the extensions, which random letters would seldom spell.
    constexpr const wchar_t* kTokens[] = {L".exe", L".COM", L".bat", L".Cmd", L"C:\\"};
    std::wstring command;
    for (std::size_t i = 4; i < size && data[i] != 0; ++i) {
        const std::size_t token = data[i] - 0xF0u;
        if (data[i] >= 0xF0 && token < std::size(kTokens)) {
            command += kTokens[token];
        } else {
            command += static_cast<wchar_t>(data[i]);
        }
    }
    const Run run = Resolve(command, lengths, false);
    const Run other = Resolve(command, lengths, true);
    using Problem = selvaun::StartCommand::Problem;
    const Problem problem = run.start.problem;
    const std::wstring_view line = run.start.line.view();
    const bool quoted = !command.empty() && command[0] == L'"';
    const std::wstring_view named = std::wstring_view(command).substr(quoted ? 1 : 0);
    const bool fullPath =
        (!named.empty() && (named[0] == L'\\' || named[0] == L'/')) ||
        (named.size() > 2 && named[1] == L':' && (named[2] == L'\\' || named[2] == L'/'));

    if (problem == Problem::kStrayQuote) {
        Check(command.find(L'"') != std::wstring::npos);
        Check(line.empty());
        return;
    }
    // What runs never depends on which files exist when the command names a full path: none
    // is even asked about.
    if (fullPath) {
        Check(run.asked.empty() && other.asked.empty());
        Check(other.start.problem == problem && other.start.line.view() == line);
        Check(problem == Problem::kNone);
    }
    if (problem == Problem::kNotFound) {
        Check(!fullPath && line.empty());
        for (const std::wstring& path : run.asked) {
            Check(path.rfind(L"C:\\", 0) == 0 || path.rfind(L"\\\\", 0) == 0);
        }
        return;
    }
    // The line is the program quoted, then the rest of the command as written.
    Check(line.size() >= 2 && line[0] == L'"');
    const std::size_t close = line.find(L'"', 1);
    Check(close != std::wstring_view::npos);
    const std::wstring_view program = line.substr(1, close - 1);
    const std::wstring_view rest = line.substr(close + 1);
    Check(program == run.start.program.view());
    Check(rest.empty() || IsBlank(rest.front()));
    Check(rest.size() <= command.size() &&
          std::wstring_view(command).substr(command.size() - rest.size()) == rest);
    const std::size_t nameLength = command.size() - rest.size() - (quoted ? 2 : 0);
    const std::wstring_view name = named.substr(0, nameLength);
    if (!quoted) {
        // The program ends at the first extension followed by a blank, a tab or the end, and
        // is the whole command only when there is none: never longer, never shorter.
        for (std::size_t n = 1; n < nameLength; ++n) {
            Check(!(IsBlank(command[n]) && EndsInExtension(command, n)));
        }
        Check(nameLength == command.size() || EndsInExtension(command, nameLength));
    }
    if (fullPath) {
        Check(program.substr(0, name.size()) == name);
        Check(program.size() == name.size() || program.substr(name.size()) == L".exe");
    } else {
        // Found in a full path the lists name, by the last question asked.
        Check(!run.asked.empty() && run.asked.back() == program);
        Check(program.rfind(L"C:\\", 0) == 0 || program.rfind(L"\\\\", 0) == 0);
        Check(program.find(name) != std::wstring_view::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    selvaun::IsValidUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckSplit(data, size);
    CheckResolving(data, size);
    return 0;
}
