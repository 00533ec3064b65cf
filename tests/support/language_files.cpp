#include "language_files.h"

#include <windows.h>

#include <algorithm>

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

bool InstalledLanguageFiles::Link(std::wstring_view name, const std::wstring& target) {
    const std::wstring path = std::wstring(kLanguageDirectory) + L"\\" + std::wstring(name);
    m_files.push_back(path);
    return ::CreateHardLinkW(path.c_str(), target.c_str(), nullptr) != FALSE;
}

bool InstalledLanguageFiles::InstallShipped(std::wstring_view name) {
    const auto bytes = ReadBytes(ModuleDirectory() + L"i18n\\" + std::wstring(name));
    return bytes.has_value() && Write(name, *bytes);
}

bool InstalledLanguageFiles::InstallAllShipped() {
    bool ok = InstallShipped(L"i18n.ini");
    for (const std::wstring& name : ShippedPropertyFiles()) ok = InstallShipped(name) && ok;
    return ok;
}

std::vector<std::wstring> ShippedPropertyFiles() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = ModuleDirectory() + L"i18n\\*.prop";
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
