#pragma once
// The countdown bar, control 1002.

#include "framework/controls.h"

class CMacProgressCtrl : public fw::ProgressCtrl {};
