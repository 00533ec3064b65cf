#include "win_platform.h"

#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "framework/unique_handle.h"
#include "wide_cast.h"

namespace vantrel {
namespace {

std::wstring WinPath(const char16_t* path) { return ToWin(path != nullptr ? path : u""); }

std::optional<std::string> ReadAll(FILE* file, std::size_t maxBytes) {
    if (file == nullptr) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof chunk, maxBytes - bytes.size());
        const std::size_t got = fread(chunk, 1, want, file);
        bytes.append(chunk, got);
        if (got < want) break;
    }
    fclose(file);
    return bytes;
}

// Opens for writing without emptying and without caring for hidden or system attributes,
// which would make CREATE_ALWAYS fail on a file the agent marked so. A read-only file is
// refused outright: Windows refuses it anyway, but Wine running as root would not.
fw::UniqueFile OpenForRewrite(const char16_t* path) {
    const std::wstring name = WinPath(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return {};
    return fw::UniqueFile(::CreateFileW(name.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

WideString WinPlatform::ReadProfileString(WideView section, WideView key, WideView fallback,
                                          std::uint32_t length, const char16_t* path) {
    if (length == 0) return {};
    std::vector<wchar_t> buffer(length, L'\0');
    const DWORD copied = ::GetPrivateProfileStringW(
        ToWin(section).c_str(), ToWin(key).c_str(), ToWin(fallback).c_str(), buffer.data(),
        length, WinPath(path).c_str());
    return FromWin(std::wstring_view(buffer.data(), copied < length ? copied : length - 1));
}

bool WinPlatform::FileExists(const char16_t* path) {
    return ::_waccess(WinPath(path).c_str(), 0) != -1;
}

bool WinPlatform::CreateEmptyFile(const char16_t* path) {
    fw::UniqueFile file = OpenForRewrite(path);
    return file && ::SetEndOfFile(file.get());
}

bool WinPlatform::RewriteFile(const char16_t* path, std::string_view bytes) {
    fw::UniqueFile file = OpenForRewrite(path);
    if (!file) return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    const bool complete = ::WriteFile(file.get(), bytes.data(), size, &written, nullptr) &&
                          written == size;
    // Cut what the previous, longer contents left behind.
    return ::SetEndOfFile(file.get()) && complete;
}

void WinPlatform::RemoveFile(const char16_t* path) { ::DeleteFileW(WinPath(path).c_str()); }

std::optional<std::string> WinPlatform::ReadFileBytes(const std::string& ansiPath,
                                                      std::size_t maxBytes) {
    return ReadAll(fopen(ansiPath.c_str(), "rb"), maxBytes);
}

std::optional<std::string> WinPlatform::ReadFileBytes(const char16_t* path, std::size_t maxBytes) {
    return ReadAll(_wfopen(WinPath(path).c_str(), L"rb"), maxBytes);
}

WideString WinPlatform::MultiByteToWide(unsigned codePage, std::string_view text) {
    // The call counts in int; no text of ours comes near that, but none may wrap it.
    if (text.size() >= static_cast<std::size_t>(INT_MAX)) return {};
    // Neither UTF-8 nor an ANSI code page gives more UTF-16 units than bytes.
    const std::string terminated(text);
    std::vector<wchar_t> buffer(terminated.size() + 1, L'\0');
    const int units = ::MultiByteToWideChar(codePage, 0, terminated.c_str(), -1, buffer.data(),
                                            static_cast<int>(buffer.size()));
    if (units == 0) return {};
    return FromWin(std::wstring_view(buffer.data()));
}

std::uint16_t WinPlatform::UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

void WinPlatform::RunCommand(const char* commandLine) { ::system(commandLine); }

}  // namespace vantrel
