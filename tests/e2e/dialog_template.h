#pragma once
// Reads a DIALOGEX template out of an executable's resources, as the dialog manager does.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct TemplateItem {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring cls;  // atoms become their class names
    std::wstring text;
};

struct DialogTemplate {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    std::wstring font;
    std::vector<TemplateItem> items;
};

std::optional<DialogTemplate> LoadDialogTemplate(const std::wstring& module, int id);

}  // namespace e2e
