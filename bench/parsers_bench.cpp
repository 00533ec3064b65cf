// Throughput of the language-file parsers and the message-file reading. Prints figures;
// asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>

#include "dialog_texts.h"
#include "text_catalogue.h"
#include "text_mode.h"

namespace {

template <typename F>
void Measure(const char* what, const std::string& input, int rounds, F f) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t sink = 0;
    for (int i = 0; i < rounds; ++i) sink += f(input);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double megabytes = static_cast<double>(input.size()) * rounds / (1024.0 * 1024.0);
    std::printf("%-32s %8.1f MiB/s  (%zu bytes x %d, %.3f s, %zu)\n", what, megabytes / took.count(),
                input.size(), rounds, took.count(), sink);
}

}  // namespace

int main() {
    std::string property = "[IDD_VANTREL_DIALOG]\r\n";
    while (property.size() < 1 << 20) {
        property += "IDC_STATIC_ACTION_INFO_REBOOT = Der Administrator hat \\\"Änderungen\\\" "
                    "vorgenommen,\\r\\nein Neustart ist erforderlich.\r\n# comment\r\n";
    }
    Measure("property file", property, 50, [](const std::string& bytes) {
        vantrel::PropertyFile file;
        file.Parse(bytes);
        return file.m_sections.size() + file.m_sections[0].m_entries.size();
    });

    std::string index;
    while (index.size() < 1 << 20) index += "0x0407 de_DE\r\n0409\ten_US trailing\r\n# c\r\n";
    Measure("i18n.ini", index, 50, [](const std::string& bytes) {
        return vantrel::ParseLanguageMap(vantrel::TextModeBytes(bytes, bytes.size())).size();
    });

    std::string message;
    while (message.size() < 20481) message += "A line of the administrator's message.\r\n";
    Measure("message file (10240-byte cap)", message, 20000, [](const std::string& bytes) {
        const std::string input = vantrel::TextModeBytes(bytes, vantrel::kMessageFileBytes);
        return vantrel::ExpandLineFeeds(input, vantrel::kMessageFileBytes - 1).size();
    });
    return 0;
}
