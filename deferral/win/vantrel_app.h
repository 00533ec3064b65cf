#pragma once
// The application object: runs the dialog and ends.

#include "framework/app.h"

class CVantrelApp : public fw::WinApp {
public:
    CVantrelApp();
    BOOL InitInstance() override;
};
