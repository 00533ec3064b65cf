#include "dialog_texts.h"

#include "countdown.h"
#include "number.h"
#include "prompt_state.h"
#include "task_settings.h"

namespace vantrel {
namespace {

constexpr char16_t kReboot[] = u"Reboot";
constexpr std::uint32_t kTitleLength = 1000;

WideString Shared(WideView text) { return CutToBuffer(text, kSharedTextSize); }

struct Wording {
    const char* key;
    const char* fallback;
};

// The reboot and the shutdown wording of one text.
struct WordedText {
    TextTarget target;
    Wording reboot;
    Wording shutdown;
};

constexpr WordedText kAlwaysShown[] = {
    {TextTarget::kActNow, {"IDREBOOT", "Reboot now"}, {"IDSHUTDOWN", "Shutdown now"}},
    {TextTarget::kPostponeLabel,
     {"IDC_STATIC_POSTPONE_REBOOT", "Postpone reboot by:"},
     {"IDC_STATIC_POSTPONE_SHUTDOWN", "Postpone shutdown by:"}},
    {TextTarget::kMinutesUnit, {"IDC_STATIC_TXT_MIN", "min"}, {"IDC_STATIC_TXT_MIN", "min"}},
    {TextTarget::kSecondsUnit, {"IDC_STATIC_TXT_SEC", "sec"}, {"IDC_STATIC_TXT_SEC", "sec"}},
    {TextTarget::kSliderUnit, {"IDC_STATIC_PCMIN", "min"}, {"IDC_STATIC_PCMIN", "min"}},
};

}  // namespace

std::string ExpandLineFeeds(std::string_view bytes, std::size_t limit) {
    std::string out;
    for (char c : bytes) {
        if (c == '\0') break;
        const std::size_t need = c == '\n' ? 2 : 1;
        if (out.size() + need > limit) break;
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

WideString ReadCustomMessage(Platform& platform, const char16_t* path) {
    // Text mode turns at most two raw bytes into one, so this many raw bytes always
    // give the whole of what the input buffer holds.
    const auto raw = platform.ReadFileBytes(path, 2 * kMessageFileBytes + 1);
    if (!raw) return {};
    const std::string input = TextModeBytes(*raw, kMessageFileBytes);
    const std::string expanded = ExpandLineFeeds(input, kMessageFileBytes - 1);
    return Shared(platform.MultiByteToWide(0, expanded));
}

DialogTextPlan PlanDialogTexts(Platform& platform, const TaskPaths& paths, WideView action,
                               const TextLookup& lookup) {
    DialogTextPlan plan;
    const char16_t* custom = paths.m_szCustomCfgPath.c_str();
    const bool customised = platform.FileExists(custom);
    if (customised) {
        plan.texts.push_back({TextTarget::kCaption,
                              platform.ReadProfileString(kSettingsSection, u"Title", u"",
                                                         kTitleLength, custom)});
        const char16_t* messageFile = paths.m_szCustomMsgPath.c_str();
        plan.texts.push_back(
            {TextTarget::kMessage,
             platform.FileExists(messageFile)
                 ? ReadCustomMessage(platform, messageFile)
                 : platform.ReadProfileString(kSettingsSection, u"Msg", u"", kSharedTextSize,
                                              custom)});
    }

    // Exactly "Reboot": no other case, prefix or suffix.
    const bool reboot = action == kReboot;
    const auto text = [&](const WordedText& worded) {
        const Wording& w = reboot ? worded.reboot : worded.shutdown;
        return lookup(w.key, w.fallback);
    };

    if (!customised) {
        const WideString actionCaption = reboot
            ? lookup("CAPTION_REBOOT", "Reboot Required")
            : lookup("CAPTION_SHUTDOWN", "Shutdown Required");
        const WideString dialogCaption = lookup("CAPTION_DIALOG", "Orvex Agent");
        plan.texts.push_back(
            {TextTarget::kCaption, Shared(dialogCaption + u" - " + actionCaption)});
        plan.texts.push_back(
            {TextTarget::kMessage,
             Shared(reboot ? lookup("IDC_STATIC_ACTION_INFO_REBOOT",
                                    "The administrator has made some changes to this "
                                    "computer, and a reboot is required.")
                           : lookup("IDC_STATIC_ACTION_INFO_SHUTDOWN", "Shutdown is required."))});
    }

    plan.countdownLabel = CutToBuffer(
        reboot ? lookup("IDC_STATIC_SYSTEM_REBOOT", "System will reboot in:")
               : lookup("IDC_STATIC_SYSTEM_SHUTDOWN", "System will shutdown in:"),
        kShortTextSize);
    plan.texts.push_back({TextTarget::kCountdownLabel, plan.countdownLabel});
    for (const WordedText& worded : kAlwaysShown) {
        plan.texts.push_back({worded.target, Shared(text(worded))});
    }

    WideString maximum = u"240";
    WideString start = u"240";
    if (customised) {
        maximum = platform.ReadProfileString(kSettingsSection, u"Interval", u"240",
                                             kShortTextSize, custom);
        start = platform.ReadProfileString(kSettingsSection, u"DefaultInterval", maximum,
                                           kShortTextSize, custom);
    }
    // A maximum below one minute would let a postpone of 0 minutes restart at once.
    const std::int32_t parsedMaximum = ParseDecimal(maximum);
    plan.sliderMaximum = parsedMaximum < 1 ? 1 : parsedMaximum;
    plan.sliderPosition = ParseDecimal(start);
    return plan;
}

WideString PostponeButtonText(const TextLookup& lookup, std::int32_t remain) {
    return PostponeButtonText(lookup("IDPOSTPONE", "Postpone"), lookup("IDPOSTPONE_REMAIN", "Remain:"),
                              remain);
}

}  // namespace vantrel
