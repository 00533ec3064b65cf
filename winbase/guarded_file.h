#pragma once
// Files in a folder of ours, opened never through a link. Both programs run as the local
// system account, and their folders may be ones a user can write: a hard link, a symbolic
// link or a junction planted under one of our names would make us read, write, cut or
// delete a file the user could not touch. Shared by the prompt and the launcher, so nothing
// here can throw: the launcher is built without the C++ library's exception support.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string_view>

#include "winbase/portable/heap_text.h"
#include "winbase/unique_handle.h"

namespace winbase {

// Memory from malloc: the library's nothrow new catches exceptions, which would bring their
// support into the launcher.
struct FreeMemory {
    void operator()(void* memory) const;
};
template <typename T>
using Allocated = std::unique_ptr<T[], FreeMemory>;
template <typename T>
Allocated<T> Allocate(std::size_t count);

enum class FolderRights {
    kTrusted,    // only the system, the administrators, the trusted installer or we may change it
    kOpen,       // another account may change it (file_trust.h says how)
    kUnreadable  // an owner or access list could not be read, or a path is not what it says
};

class CheckedFolder {
public:
    // The folder that holds the file `path` names (everything up to its last backslash),
    // opened and with its final path read; not Valid() when that fails.
    explicit CheckedFolder(const wchar_t* path);
    CheckedFolder() = default;  // no folder: not Valid()

    bool Valid() const { return static_cast<bool>(m_handle) && !FinalPath().empty(); }
    HANDLE Handle() const { return m_handle.get(); }
    // The folder as the file system names it ("\\?\C:\..."), whatever spelling, short name
    // or link reached it.
    std::wstring_view FinalPath() const { return m_finalPath.view(); }

    // The file `name` in this folder, opened as CreateFileW would but without following a
    // reparse point, and kept only when the handle shows a plain file with one link whose
    // final path is this folder's plus `name` and whose owner is trusted (file_trust.h); with
    // FILE_FLAG_BACKUP_SEMANTICS also such a folder. Otherwise nothing, with the last error
    // ERROR_CANT_ACCESS_FILE for a file refused after it was opened.
    UniqueFile Open(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags = 0) const;

    // Whether `name` is here as Open takes it, a folder included: a task file whose presence
    // is what counts.
    bool Holds(const wchar_t* name) const {
        return static_cast<bool>(Open(name, FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    }

    // Who may change the folder or the files in it, and who may rename it or a folder above
    // it away, up to the volume's root; `account`, when given, gets the name of the first
    // other account that may (DOMAIN\name (SID), or the SID alone, followed by the folder
    // above when it is one of those), cut to `capacity` units.
    FolderRights Rights(wchar_t* account = nullptr, std::size_t capacity = 0) const;

private:
    bool IsOurs(HANDLE file, const wchar_t* name) const;

    WideText m_path;  // ends in a backslash
    WideText m_finalPath;
    UniqueFile m_handle;
};

// Whether only trusted accounts can change the program file `path` names, and so what it
// would run or read beside it: its folder and those above it (CheckedFolder::Rights), and the
// file's own owner and access list. A file that is not an entry of that folder (a link
// leads elsewhere) is kUnreadable. `account` as for CheckedFolder::Rights.
FolderRights ProgramRights(const wchar_t* path, wchar_t* account = nullptr, std::size_t capacity = 0);

// The log file `name` in `folder`, opened for writing (at its end, as the caller writes)
// never through a link. One of `rotateBytes` or more is first renamed to "<name>.1" on its
// handle, relative to the checked folder, replacing an older one; when that fails it is
// emptied instead.
UniqueFile OpenLogFile(const CheckedFolder& folder, const wchar_t* name, LONGLONG rotateBytes);

// The name after the last backslash of `path` (a pointer into it).
const wchar_t* LeafName(const wchar_t* path);

}  // namespace winbase
