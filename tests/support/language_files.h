#pragma once
// Language files in the prompt's fixed language directory, for as long as the object lives:
// the directories it had to make and every file it wrote are removed when it goes, so no
// other test sees them.

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

inline constexpr wchar_t kLanguageDirectory[] = L"c:\\windows\\kestrond\\i18n\\plimsayui";

class InstalledLanguageFiles {
public:
    InstalledLanguageFiles();
    ~InstalledLanguageFiles();
    InstalledLanguageFiles(const InstalledLanguageFiles&) = delete;
    InstalledLanguageFiles& operator=(const InstalledLanguageFiles&) = delete;

    bool Write(std::wstring_view name, std::string_view bytes);
    // `name` made a hard link to the file `target`.
    bool Link(std::wstring_view name, const std::wstring& target);
    // One of the files we ship, copied next to the test program into i18n\ by the build.
    bool InstallShipped(std::wstring_view name);
    // i18n.ini and every property file we ship.
    bool InstallAllShipped();

private:
    std::vector<std::wstring> m_createdDirectories;  // outermost first
    std::vector<std::wstring> m_files;
};

// The names of the property files we ship ("de_DE.prop", ...), sorted.
std::vector<std::wstring> ShippedPropertyFiles();

}  // namespace testsupport
