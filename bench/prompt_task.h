#pragma once
// What every prompt figure starts from: a task as the agent writes it.

#include <windows.h>

#include <string>

namespace bench {

constexpr DWORD kStartTimeoutMs = 15000;

// defer.cfg for a reboot with `remain` postpones of `delay` minutes.
inline std::string Task(int delay, int remain) {
    return "[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=" + std::to_string(delay) +
           "\r\nRemainPostponeCount=" + std::to_string(remain) + "\r\n";
}

}  // namespace bench
