#pragma once
// 8-bit texts to wide ones: UTF-8 for the catalogue, the ANSI code page for the message file.
// A failed conversion gives an empty text, never the input.

#include <string>

#include "fixed_text.h"
#include "platform.h"

namespace vantrel {

// The text up to its first zero byte, converted from `codePage`.
WideString MultiByteToWideString(Platform& platform, unsigned codePage, const std::string& text);
WideString Utf8ToWide(Platform& platform, const std::string& text);
WideString AnsiToWide(Platform& platform, const std::string& text);

}  // namespace vantrel
