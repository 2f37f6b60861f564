#pragma once
// The options and the two input histories the window keeps in its start-up
// folder: tarvik.ini (a 21-character option string, optionally a second line
// "TURKISH_CHARSET"), such.ini (search phrases) and verz.ini (folders). The
// window applies and collects the options; the rules live here.

#include "app/form_control.h"

#include <string>
#include <vector>

namespace tarvik {

inline constexpr const char* kOptionsFile = "tarvik.ini";
inline constexpr const char* kPhraseHistoryFile = "such.ini";
inline constexpr const char* kFolderHistoryFile = "verz.ini";
inline constexpr const char* kTurkishCharsetLine = "TURKISH_CHARSET";

// Used when tarvik.ini does not exist: Writer only, sub-folders, content,
// templates, the 2.0 formats, German; the raw XML lines are matched.
inline constexpr const char* kDefaultOptions = "010000101001000010010";
// Position 21 ("Formatierung übergehen") came after the first 20: an older
// file's 20-character string leaves it cleared, as every missing position.
inline constexpr int kOptionPositions = 21;
// Position 20: "1" German, anything else English.
inline constexpr int kLanguagePosition = 20;

struct TOptionStep {
  int position;  // 1-based
  TFormControl control;
};

// The order in which the positions are applied at start-up: 1 to 12, 14, 15,
// 16, 17, 18, 19, 21. Positions 16 and 19 both set cbEinstellungen; 19 comes
// later and decides. Position 13 is never applied.
const std::vector<TOptionStep>& OptionApplyOrder();

// True when the character at position (1-based) is "1"; a missing character clears.
bool OptionBit(const std::string& options, int position);

// The 21-character string for the current states; positions 13 and 16 are "0".
// checked answers for each control, german for position 20.
template <class Checked>
std::string BuildOptionString(Checked checked, bool german);

// Path of one of the three files in the start-up folder.
std::string SettingsPath(const std::string& startupFolder, const char* fileName);

// The first line of tarvik.ini, or the default string when the file does not
// exist. Raises EInOutError when it exists but cannot be read.
std::string ReadOptionString(const std::string& startupFolder);
// The second line of tarvik.ini ("" when there is none or no file).
std::string ReadOptionSecondLine(const std::string& startupFolder);
// Creates tarvik.ini anew with options as its first line. A second line of the
// existing file (the charset line read by the preview) is kept.
void WriteOptionString(const std::string& startupFolder, const std::string& options);

// The history rules. Lines as they stand in a history file:
// an empty line, then the first 30 non-empty lines of the file.
inline constexpr std::size_t kHistoryLinesKept = 30;
std::vector<std::string> CompactHistory(const std::vector<std::string>& lines);
// Compacts the file in place (creating it when missing) and returns its new lines.
std::vector<std::string> CompactHistoryFile(const std::string& path);

// The list entries examined at close.
inline constexpr std::size_t kFolderHistoryCap = 15;
inline constexpr std::size_t kPhraseHistoryCap = 25;
// What a history file receives at close: the box's text (when not empty), then
// each of the first cap entries that is not empty and differs from the text.
std::vector<std::string> HistoryToWrite(const std::string& text, const std::vector<std::string>& entries,
                                        std::size_t cap);

// The update when the box's list is opened. A non-empty text that no entry
// equals exactly (case counts) becomes the first entry; an empty text deletes
// the entry at rememberedIndex (when valid) and resets it to -1.
// Returns true when entries changed.
bool UpdateHistory(std::vector<std::string>& entries, const std::string& text, int& rememberedIndex);

template <class Checked>
std::string BuildOptionString(Checked checked, bool german) {
  std::string options(kOptionPositions, '0');
  for (const TOptionStep& step : OptionApplyOrder())
    if (step.position != 16) options[step.position - 1] = checked(step.control) ? '1' : '0';
  options[kLanguagePosition - 1] = german ? '1' : '0';
  return options;
}

}  // namespace tarvik
