#include "language_files.h"

#include <windows.h>

#include "win_files.h"

namespace testsupport {

InstalledLanguageFiles::InstalledLanguageFiles() {
    const std::wstring full = kLanguageDirectory;
    for (std::size_t at = full.find(L'\\', 3); ; at = full.find(L'\\', at + 1)) {
        const std::wstring level = full.substr(0, at);
        if (::CreateDirectoryW(level.c_str(), nullptr)) m_createdDirectories.push_back(level);
        if (at == std::wstring::npos) break;
    }
}

InstalledLanguageFiles::~InstalledLanguageFiles() {
    for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
    for (auto it = m_createdDirectories.rbegin(); it != m_createdDirectories.rend(); ++it) {
        ::RemoveDirectoryW(it->c_str());
    }
}

bool InstalledLanguageFiles::Write(std::wstring_view name, std::string_view bytes) {
    const std::wstring path = std::wstring(kLanguageDirectory) + L"\\" + std::wstring(name);
    m_files.push_back(path);
    return WriteBytes(path, bytes);
}

bool InstalledLanguageFiles::InstallShipped(std::wstring_view name) {
    const auto bytes = ReadBytes(ModuleDirectory() + L"i18n\\" + std::wstring(name));
    return bytes.has_value() && Write(name, *bytes);
}

bool InstalledLanguageFiles::InstallAllShipped() {
    bool ok = InstallShipped(L"i18n.ini");
    for (const wchar_t* locale : {L"en_US", L"de_DE", L"fr_FR", L"es_ES", L"it_IT", L"nl_NL",
                                  L"pt_BR", L"pl_PL", L"ja_JP", L"zh_CN"}) {
        ok = InstallShipped(std::wstring(locale) + L".prop") && ok;
    }
    return ok;
}

}  // namespace testsupport
