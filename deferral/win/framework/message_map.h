#pragma once
// A dialog's message map: a table from messages, commands and notifications to members.

#include <windows.h>

#include <cstddef>

namespace fw {

template <class T>
struct MessageMapEntry {
    enum class Kind { kMessage, kCommand, kNotify };
    Kind kind;
    UINT message;  // for kMessage
    UINT id;       // control, for kCommand and kNotify
    UINT code;     // notification code, for kCommand and kNotify
    // kMessage handlers return false to leave the message to the default processing.
    bool (T::*onMessage)(WPARAM, LPARAM, LRESULT&);
    void (T::*onCommand)();
    void (T::*onNotify)(NMHDR*, LRESULT*);
};

template <class T>
constexpr MessageMapEntry<T> MapMessage(UINT message, bool (T::*fn)(WPARAM, LPARAM, LRESULT&)) {
    return {MessageMapEntry<T>::Kind::kMessage, message, 0, 0, fn, nullptr, nullptr};
}
template <class T>
constexpr MessageMapEntry<T> MapCommand(UINT id, UINT code, void (T::*fn)()) {
    return {MessageMapEntry<T>::Kind::kCommand, WM_COMMAND, id, code, nullptr, fn, nullptr};
}
template <class T>
constexpr MessageMapEntry<T> MapNotify(UINT id, UINT code, void (T::*fn)(NMHDR*, LRESULT*)) {
    return {MessageMapEntry<T>::Kind::kNotify, WM_NOTIFY, id, code, nullptr, nullptr, fn};
}

// Runs the first entry that matches; true when one handled the message.
template <class T, std::size_t N>
bool DispatchMessageMap(T& target, const MessageMapEntry<T> (&map)[N], UINT message,
                        WPARAM wParam, LPARAM lParam, LRESULT& result) {
    using Kind = typename MessageMapEntry<T>::Kind;
    for (const MessageMapEntry<T>& entry : map) {
        if (entry.message != message) continue;
        switch (entry.kind) {
            case Kind::kMessage:
                return (target.*entry.onMessage)(wParam, lParam, result);
            case Kind::kCommand:
                if (LOWORD(wParam) == entry.id && HIWORD(wParam) == entry.code) {
                    (target.*entry.onCommand)();
                    result = 0;
                    return true;
                }
                break;
            case Kind::kNotify: {
                const auto* header = reinterpret_cast<NMHDR*>(lParam);
                if (header != nullptr && header->idFrom == entry.id && header->code == entry.code) {
                    result = 0;
                    (target.*entry.onNotify)(const_cast<NMHDR*>(header), &result);
                    return true;
                }
                break;
            }
        }
    }
    return false;
}

}  // namespace fw
