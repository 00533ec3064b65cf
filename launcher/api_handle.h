#pragma once
// Owns one kernel handle and closes it through the launcher's API table.

#include "win_api.h"

namespace selvaun {

class UniqueHandle {
public:
    explicit UniqueHandle(const WinApi& api, HANDLE handle = nullptr)
        : m_api(&api), m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_api(other.m_api), m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            m_api = other.m_api;
        }
        return *this;
    }

    HANDLE get() const { return m_handle; }
    // For an out-argument; whatever was held is closed first.
    HANDLE* put() {
        reset();
        return &m_handle;
    }
    HANDLE release() {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void reset(HANDLE handle = nullptr) {
        if (m_handle != nullptr) m_api->CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    const WinApi* m_api;
    HANDLE m_handle;
};

}  // namespace selvaun
