#include "task_settings.h"

#include "number.h"

namespace vantrel {

std::int32_t ReadNumberSetting(Platform& platform, const char16_t* path, WideView key,
                               WideView fallback) {
    return ParseDecimal(
        platform.ReadProfileString(kSettingsSection, key, fallback, kShortTextSize, path));
}

bool ReadTaskSettings(Platform& platform, const TaskPaths& paths, PromptState& state) {
    const char16_t* cfg = paths.m_szCfgPath.c_str();
    state.m_szAction =
        platform.ReadProfileString(kSettingsSection, u"Action", u"Reboot", kShortTextSize, cfg);

    const char16_t* custom = paths.m_szCustomCfgPath.c_str();
    if (platform.FileExists(custom)) {
        state.m_nDelay = ReadNumberSetting(platform, custom, u"Delay", u"60");
        state.m_nRemainPostpone = ReadNumberSetting(platform, custom, u"Postpone", u"3");
        return true;
    }
    state.m_nDelay = ReadNumberSetting(platform, cfg, u"DefaultPostponeTime", u"60");
    state.m_nRemainPostpone = ReadNumberSetting(platform, cfg, u"RemainPostponeCount", u"3");
    return false;
}

}  // namespace vantrel
