#pragma once
// One prompt per task folder. The first prompt for a folder holds a named object while it
// runs; a second one started meanwhile finds it, shows the first one's dialog on top and
// ends without touching the task files or restarting anything. The object lies in a
// private namespace of the system account where there is one, else in the global namespace.

#include <windows.h>

#include "winbase/unique_handle.h"

class SingleInstance {
public:
    enum class State {
        kFirst,      // no other prompt for this folder: this one holds the object
        kOther,      // another prompt for this folder runs
        kUnguarded,  // no object could be made or trusted: this prompt runs as if alone
    };

    // For the folder this program lies in.
    SingleInstance();
    State state() const { return m_state; }
    DWORD otherProcess() const { return m_otherProcess; }
    // Why there is no guard, for the log; empty when there is one.
    const char* unguardedReason() const { return m_reason; }
    // The other prompt's dialog restored, on top and flashing, without the keyboard.
    void ShowOther() const;

    struct NamespaceTraits {
        static HANDLE Invalid() { return nullptr; }
        static void Close(HANDLE space);
    };
    using Namespace = winbase::UniqueResource<HANDLE, NamespaceTraits>;

private:
    Namespace m_namespace;  // the folder's private namespace; null where there is none
    winbase::UniqueHandle m_object;  // made in it, so it goes first
    State m_state = State::kUnguarded;
    DWORD m_otherProcess = 0;  // as the other prompt wrote it into the object; 0 when not yet
    const char* m_reason = "";
};
