#pragma once
// Which words the dialog shows: reboot or shutdown wording, the administrator's own title
// and message, and the postpone slider's numbers. Computed apart from the window; the
// dialog then gives each text to its target in order.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fixed_text.h"
#include "platform.h"
#include "task_paths.h"
#include "text_mode.h"

namespace vantrel {

enum class TextTarget {
    kCaption,         // the window's title
    kMessage,         // box 1000
    kCountdownLabel,  // 1001
    kActNow,          // button 1005
    kPostponeLabel,   // 1006
    kMinutesUnit,     // 1010
    kSecondsUnit,     // 1012
    kSliderUnit,      // 1008
};

struct DialogText {
    TextTarget target;
    WideString text;
    friend bool operator==(const DialogText&, const DialogText&) = default;
};

struct DialogTextPlan {
    std::vector<DialogText> texts;  // in the order they are given to the window
    WideString countdownLabel;      // what 1001 shows, kept for the dialog's lifetime
    std::int32_t sliderMaximum = 1;  // minutes; the minimum is always 1
    std::int32_t sliderPosition = 1;
};

// The catalogue's section of the dialog's texts, and every key the dialog looks up there
// (the postpone button's two included): a catalogue keeps only these.
inline constexpr char kDialogSection[] = "IDD_VANTREL_DIALOG";
inline constexpr const char* kDialogKeys[] = {"CAPTION_REBOOT",
                                              "CAPTION_SHUTDOWN",
                                              "CAPTION_DIALOG",
                                              "IDC_STATIC_ACTION_INFO_REBOOT",
                                              "IDC_STATIC_ACTION_INFO_SHUTDOWN",
                                              "IDC_STATIC_SYSTEM_REBOOT",
                                              "IDC_STATIC_SYSTEM_SHUTDOWN",
                                              "IDREBOOT",
                                              "IDSHUTDOWN",
                                              "IDC_STATIC_POSTPONE_REBOOT",
                                              "IDC_STATIC_POSTPONE_SHUTDOWN",
                                              "IDC_STATIC_TXT_MIN",
                                              "IDC_STATIC_TXT_SEC",
                                              "IDC_STATIC_PCMIN",
                                              "IDPOSTPONE",
                                              "IDPOSTPONE_REMAIN"};

// A catalogue text of the dialog's section, or `fallback` (UTF-8) when it has none.
using TextLookup = std::function<WideString(const char* key, const char* fallback)>;

// The postpone button for `remain` postpones left, its two words looked up like every other
// text of the dialog.
WideString PostponeButtonText(const TextLookup& lookup, std::int32_t remain);

// Texts are cut to the dialog's buffers: 10239 units for the shared one, 99 for the label.
inline constexpr std::size_t kSharedTextSize = 10240;
inline constexpr std::size_t kMessageFileBytes = 10240;

DialogTextPlan PlanDialogTexts(Platform& platform, const TaskPaths& paths, WideView action,
                               const TextLookup& lookup);

// Up to the first zero byte, every LF as CR LF, while the result fits `limit` bytes; a
// pair that would not fit whole is left out.
std::string ExpandLineFeeds(std::string_view bytes, std::size_t limit);

// What box 1000 shows for the customised message file: empty when it can't be read.
WideString ReadCustomMessage(Platform& platform, const char16_t* path);

}  // namespace vantrel
