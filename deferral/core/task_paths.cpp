#include "task_paths.h"

namespace vantrel {

bool BuildTaskPaths(const char16_t* modulePath, std::uint32_t reported, TaskPaths& paths) {
    paths = TaskPaths{};
    if (modulePath == nullptr || reported == 0 || reported >= kPathSize) return false;
    const WideView path(modulePath, reported);
    const std::size_t slash = path.rfind(u'\\');
    if (slash == WideView::npos) return false;
    const WideView directory = path.substr(0, slash + 1);

    static constexpr WideView kLongestName = u"defer_customized_msg.cfg";
    if (directory.size() + kLongestName.size() > kPathSize - 1) return false;

    const WideString dir(directory);
    paths.m_szCfgPath = dir + u"defer.cfg";
    paths.m_szLockPath = dir + u"defer.lock";
    paths.m_szCancelFlagPath = dir + u"cancel.flag";
    paths.m_szCustomCfgPath = dir + u"defer_customized.cfg";
    paths.m_szCustomMsgPath = dir + WideString(kLongestName);
    return true;
}

}  // namespace vantrel
