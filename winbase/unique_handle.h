#pragma once
// One RAII owner for every kind of handle: copy deleted, move allowed. Traits say what the
// empty value is and how a handle is closed; they may carry state (the launcher closes
// through its table of calls, which tests fake).

#include <windows.h>

namespace winbase {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T handle, Traits traits = Traits())
        : m_handle(handle), m_traits(traits) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept
        : m_handle(other.release()), m_traits(other.m_traits) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            m_traits = other.m_traits;
        }
        return *this;
    }

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    // For an out-argument; whatever was held is closed first.
    T* put() {
        reset();
        return &m_handle;
    }
    T release() {
        T handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    void reset(T handle = Traits::Invalid()) {
        if (m_handle != Traits::Invalid()) m_traits.Close(m_handle);
        m_handle = handle;
    }

private:
    T m_handle = Traits::Invalid();
    [[no_unique_address]] Traits m_traits{};
};

struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

// Process, thread and other kernel handles, whose empty value is null.
struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

using UniqueFile = UniqueResource<HANDLE, FileTraits>;
using UniqueHandle = UniqueResource<HANDLE, KernelTraits>;

}  // namespace winbase
