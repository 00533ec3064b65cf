#pragma once
// The prompt's own texts for its diagnostic log (winbase/diagnostic_log.h).

#include <cstdint>
#include <string>

#include "fixed_text.h"

// Who may write in the folder of the program at `programPath`, for the line at start.
std::string FolderNote(const wchar_t* programPath);

// Wide text as UTF-8, for messages; empty when it can't be converted.
std::string Utf8Text(vantrel::WideView text);

// `text` as UTF-8 in double quotes.
std::string QuotedText(vantrel::WideView text);

// A LANGID as i18n.ini writes it: four hexadecimal digits.
std::string LanguageId(std::uint16_t id);
