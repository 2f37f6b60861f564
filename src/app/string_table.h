#pragma once
// The program's translatable texts, addressed as a language base plus a number:
// 1000 German, 2000 English; 101–143 label the window's controls, 144 is a
// control's hint, 501–507 are messages. Texts are UTF-8.

#include <string>

namespace tarvik {

class TSearchForm;

constexpr int kGermanBase = 1000;
constexpr int kEnglishBase = 2000;

// Message numbers.
constexpr int kMsgInvalidFolder = 501;
constexpr int kMsgNoPhrase = 502;
constexpr int kMsgCopied = 503;
constexpr int kMsgNoOfficeFiles = 504;
constexpr int kMsgOptionsSaved = 505;
constexpr int kMsgPreviewOnlyWriterCalc = 506;
constexpr int kMsgNothingFound = 507;

// The text of entry base + number; empty when the table has no such entry.
std::string LoadEntry(int base, int number);

// The text of a message in the language the form shows at the moment of the
// call: German while its German button is selected, else English.
std::string MessageText(const TSearchForm& form, int number);

}  // namespace tarvik
