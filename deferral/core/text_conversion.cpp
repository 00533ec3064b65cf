#include "text_conversion.h"

namespace vantrel {

WideString MultiByteToWideString(Platform& platform, unsigned codePage, const std::string& text) {
    return platform.MultiByteToWide(codePage, std::string_view(text.c_str()));
}

WideString Utf8ToWide(Platform& platform, const std::string& text) {
    return MultiByteToWideString(platform, 65001, text);
}

WideString AnsiToWide(Platform& platform, const std::string& text) {
    return MultiByteToWideString(platform, 0, text);
}

}  // namespace vantrel
