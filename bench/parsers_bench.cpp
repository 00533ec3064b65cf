// Throughput and memory of the language-file parsers on generated files of two sizes.
// Prints rows of the benchmark's table; asserts nothing. Native (POSIX) only.
//   parsers_bench <work directory> [--quick]
// Each measurement runs in a fresh process of this program, so that one file's memory does
// not hide another's: the peak resident size of a process that reads a file and parses it,
// less that of one that only reads it, is what the parse needed.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_texts.h"
#include "figures.h"
#include "text_catalogue.h"

namespace {

constexpr double kMegabyte = 1e6;
constexpr double kTargetMbPerSecond = 200;
// The peak resident sizes of two processes differ by some pages from run to run; memory that
// followed the file by even 1 byte in 200 would grow by 225 KB from 5 MB to 50 MB.
constexpr double kSameMemoryKb = 192;

enum class Parser { kProperty, kIndex };
enum class Content { kFiller, kEntries };

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    file.seekg(0, std::ios::end);
    std::string bytes(static_cast<std::size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

constexpr std::uint32_t kGerman = 0x0407;

// A parse as the prompt makes it (only the user's language, only the dialog's keys); gives
// the entries kept: what the program holds after reading the file.
std::size_t ParseOnce(Parser parser, std::string_view bytes) {
    if (parser == Parser::kIndex) return vantrel::ParseLanguageMap(bytes, kGerman).size();
    vantrel::PropertyFile file;
    file.KeepOnly(vantrel::kDialogSection,
                  {std::begin(vantrel::kDialogKeys), std::end(vantrel::kDialogKeys)});
    file.Parse(bytes);
    std::size_t entries = 0;
    for (const vantrel::TextSection& section : file.m_sections) entries += section.m_entries.size();
    return entries;
}

// (a) A shipped file followed by what a giant or garbage file holds: comments, blank lines,
// lines far longer than a piece, prose without "=" and without a leading hexadecimal number
// (none of it an entry). (b) Entries all through, half of them with the keys the dialog asks
// for, again and again.
std::string Block(Parser parser, Content content, int n) {
    if (content == Content::kEntries) {
        char line[200];
        if (parser == Parser::kIndex) {
            static const char* const kLocales[] = {"en_US", "de_DE", "fr_FR", "ja_JP", "zh_CN"};
            std::snprintf(line, sizeof line, "%04X %s\r\n", n & 0xFFFF, kLocales[n % 5]);
        } else {
            const std::string key =
                n % 2 == 0 ? vantrel::kDialogKeys[n / 2 % 16] : "IDC_TEXT_" + std::to_string(n);
            std::snprintf(line, sizeof line,
                          "%s = Der Administrator hat \\\"%d\\\" \xC3\x84nderungen "
                          "vorgenommen,\\r\\nein Neustart ist erforderlich.\r\n",
                          key.c_str(), n);
        }
        return line;
    }
    // Mostly short lines, so that the cost per line shows, and one long line per block.
    std::string block;
    for (int i = 0; i < 20; ++i) {
        block += "# a note on the texts below, as translators leave them\r\n\r\n";
        block += "some prose without its equals sign, only words\r\n  \t \r\n";
    }
    block += "no kit, just plush quirky mops";
    while (block.size() < 6000) block += ", no kit, just plush quirky mops";
    block += "\r\n";
    return block;
}

std::string Generate(const std::string& directory, Parser parser, Content content,
                     std::size_t size) {
    const std::string path = directory + "/" + (parser == Parser::kIndex ? "i18n-" : "prop-") +
                             (content == Content::kFiller ? "filler-" : "entries-") +
                             std::to_string(size) + (parser == Parser::kIndex ? ".ini" : ".prop");
    std::string head;
    if (content == Content::kFiller) {
        head = ReadWhole(std::string(VANTREL_I18N_DIR) +
                         (parser == Parser::kIndex ? "/i18n.ini" : "/de_DE.prop"));
    } else if (parser == Parser::kProperty) {
        head = "[IDD_VANTREL_DIALOG]\r\n";
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::size_t written = 0;
    const auto put = [&](const std::string& bytes) {
        const std::size_t take = std::min(bytes.size(), size - written);
        file.write(bytes.data(), static_cast<std::streamsize>(take));
        written += take;
    };
    put(head);
    int n = 0;
    while (written < size) put(Block(parser, content, n++));
    return path;
}

struct ChildResult {
    bool ok = false;
    long maxRssKb = 0;
    std::string out;
};

// Runs this program again with `arguments`, and gives its output and peak resident size.
ChildResult RunChild(const std::vector<std::string>& arguments) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv;
        static char self[] = "/proc/self/exe";
        argv.push_back(self);
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(self, argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    char chunk[4096];
    for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) {
        result.out.append(chunk, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return result;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

int Child(int argc, char** argv) {
    // --child load <file> | --child parse <parser> <file> | --child time <parser> <file> <rounds>
    const std::string mode = argv[2];
    if (mode == "load" && argc == 4) return ReadWhole(argv[3]).empty() ? 1 : 0;
    if (argc < 5) return 2;
    const Parser parser = std::strcmp(argv[3], "index") == 0 ? Parser::kIndex : Parser::kProperty;
    const std::string bytes = ReadWhole(argv[4]);
    if (mode == "parse") {
        std::printf("%zu\n", ParseOnce(parser, bytes));
        return 0;
    }
    const int rounds = argc > 5 ? std::max(1, std::atoi(argv[5])) : 1;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::size_t entries = ParseOnce(parser, bytes);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%.9f %zu\n", took.count(), entries);
    }
    return 0;
}

struct Measured {
    bool ok = false;
    bench::Spread mbPerSecond;
    double parseKb = 0;  // peak beyond the file's own bytes
    std::size_t entries = 0;
};

Measured Measure(Parser parser, const std::string& path, std::size_t size, int rounds) {
    Measured m;
    const char* name = parser == Parser::kIndex ? "index" : "property";
    // The median of five of each, against the odd page more or less.
    std::vector<double> loadKb, parseKb;
    for (int i = 0; i < 5; ++i) {
        const ChildResult load = RunChild({"--child", "load", path});
        const ChildResult parse = RunChild({"--child", "parse", name, path});
        if (!load.ok || !parse.ok) return m;
        loadKb.push_back(static_cast<double>(load.maxRssKb));
        parseKb.push_back(static_cast<double>(parse.maxRssKb));
    }
    const ChildResult time = RunChild({"--child", "time", name, path, std::to_string(rounds)});
    if (!time.ok) return m;
    std::vector<double> rates;
    const char* at = time.out.c_str();
    for (char* end = nullptr;; at = end) {
        const double seconds = std::strtod(at, &end);
        if (end == at) break;
        m.entries = std::strtoul(end, &end, 10);
        if (seconds > 0) rates.push_back(static_cast<double>(size) / kMegabyte / seconds);
    }
    m.ok = static_cast<int>(rates.size()) == rounds;
    m.mbPerSecond = bench::SpreadOf(rates);
    m.parseKb = bench::SpreadOf(parseKb).median - bench::SpreadOf(loadKb).median;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: parsers_bench <work directory> [--quick]\n");
        return 2;
    }
    const std::string directory = argv[1];
    const bool quick = argc > 2 && std::strcmp(argv[2], "--quick") == 0;
    bench::SetJudged(!quick);
    const std::size_t small = quick ? 1'000'000 : 5'000'000;
    const std::size_t large = quick ? 5'000'000 : 50'000'000;
    const int rounds = quick ? 1 : 10;

    int status = 0;
    for (Parser parser : {Parser::kProperty, Parser::kIndex}) {
        for (Content content : {Content::kFiller, Content::kEntries}) {
            const bool filler = content == Content::kFiller;
            const std::string figure =
                std::string("parsing: ") +
                (parser == Parser::kIndex ? "i18n.ini, " : "property file, ") +
                (filler ? "shipped file + filler" : "entries all through");
            const std::string smallPath = Generate(directory, parser, content, small);
            const std::string largePath = Generate(directory, parser, content, large);
            const Measured a = Measure(parser, smallPath, small, 1);
            const Measured b = Measure(parser, largePath, large, rounds);
            std::remove(smallPath.c_str());
            std::remove(largePath.c_str());
            if (!a.ok || !b.ok) {
                bench::PrintFailedRow(figure, "a parse did not run");
                status = 1;
                continue;
            }
            const double smallMb = static_cast<double>(small) / kMegabyte;
            const double largeMb = static_cast<double>(large) / kMegabyte;
            const bool fast = b.mbPerSecond.median >= kTargetMbPerSecond;
            const bool same = std::abs(b.parseKb - a.parseKb) <= kSameMemoryKb;
            bench::PrintRow(
                {figure,
                 bench::Format("%s on the file's bytes in memory; %s on %.0f MB; peak resident "
                               "size of one parse beyond the file's bytes at %.0f MB and %.0f MB",
                               parser == Parser::kIndex
                                   ? "ParseLanguageMap of one language"
                                   : "PropertyFile::Parse of the dialog's 16 keys",
                               bench::Runs(static_cast<std::size_t>(rounds)).c_str(), largeMb,
                               smallMb, largeMb),
                 bench::Show(b.mbPerSecond, "MB/s"),
                 bench::Format("%.0f KB at %.0f MB, %.0f KB at %.0f MB; entries kept %zu and %zu",
                               a.parseKb, smallMb, b.parseKb, largeMb, a.entries, b.entries),
                 bench::Format("%s; %s, %s", bench::Verdict(fast),
                               same ? "same memory" : "memory grew", bench::Verdict(same)),
                 bench::Format(">= %.0f MB/s; memory independent of the size (within %.0f KB)",
                               kTargetMbPerSecond, kSameMemoryKb)});
        }
    }
    return status;
}
