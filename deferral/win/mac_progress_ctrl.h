#pragma once
// The countdown bar, control 1002.

#include "framework/controls.h"

#include <cstdint>

// Stand-in until the owner-drawn bar arrives.
class CMacProgressCtrl : public fw::ProgressCtrl {
public:
    void SetBarColor(std::uint32_t) {}
};
