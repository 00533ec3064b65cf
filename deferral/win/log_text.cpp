#include "log_text.h"

#include <windows.h>

#include "wide_cast.h"
#include "winbase/guarded_file.h"

std::string Utf8Text(vantrel::WideView text) {
    if (text.empty() || text.size() > 0x7FFFFFFF / 4) return {};
    const std::wstring wide = vantrel::ToWin(text);
    const int units = static_cast<int>(wide.size());
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::string FolderNote(const wchar_t* programPath) {
    const winbase::CheckedFolder folder(programPath != nullptr ? programPath : L"");
    wchar_t account[512] = {};
    switch (folder.Rights(account, 512)) {
        case winbase::FolderRights::kTrusted:
            return "folder: only the system, administrators and this account may write in it";
        case winbase::FolderRights::kOpen:
            return "folder: " + Utf8Text(vantrel::FromWin(std::wstring_view(account))) +
                   " may create or write files in it; task files are used only as plain files of "
                   "this folder";
        case winbase::FolderRights::kUnreadable:
            break;
    }
    return "folder: its owner and access list could not be read";
}

std::string QuotedText(vantrel::WideView text) {
    return "\"" + Utf8Text(text) + "\"";
}

std::string LanguageId(std::uint16_t id) {
    std::string digits(4, '0');
    for (std::size_t i = 4; i-- > 0; id = static_cast<std::uint16_t>(id >> 4)) {
        digits[i] = "0123456789ABCDEF"[id & 0xF];
    }
    return digits;
}
