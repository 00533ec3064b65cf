#pragma once
// One RAII owner for every kind of handle: copy deleted, move allowed.

#include <windows.h>

namespace fw {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T handle) : m_handle(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    T release() {
        T handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    void reset(T handle = Traits::Invalid()) {
        if (m_handle != Traits::Invalid()) Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    T m_handle = Traits::Invalid();
};

template <typename T>
struct GdiTraits {
    static T Invalid() { return nullptr; }
    static void Close(T handle) { ::DeleteObject(handle); }
};

struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
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

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON icon) { ::DestroyIcon(icon); }
};

template <typename T>
using UniqueGdi = UniqueResource<T, GdiTraits<T>>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueMemoryDc = UniqueResource<HDC, MemoryDcTraits>;
using UniqueFile = UniqueResource<HANDLE, FileTraits>;
using UniqueHandle = UniqueResource<HANDLE, KernelTraits>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;

}  // namespace fw
