#pragma once
// A kernel handle closed through the launcher's table of calls, which the tests fake.

#include "win_api.h"
#include "winbase/unique_handle.h"

namespace selvaun {

struct ApiHandleTraits {
    const WinApi* api = nullptr;
    static HANDLE Invalid() { return nullptr; }
    void Close(HANDLE handle) const { api->CloseHandle(handle); }
};
using UniqueHandle = winbase::UniqueResource<HANDLE, ApiHandleTraits>;

}  // namespace selvaun
