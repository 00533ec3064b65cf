#pragma once
// DLLs our programs load at run time come from the system directory only: a bare name would
// also search the program's folder, where a user may have planted one.

#include <windows.h>

#include "winbase/unique_handle.h"

namespace winbase {

struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;

inline UniqueModule LoadSystemLibrary(const wchar_t* name) {
    return UniqueModule(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// A function of a loaded module as the type the caller names; null when it is missing.
template <typename Function>
Function SystemProc(const UniqueModule& module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): GetProcAddress's contract
        reinterpret_cast<void*>(::GetProcAddress(module.get(), name)));
}

}  // namespace winbase
