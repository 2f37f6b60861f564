#include "app/settings.h"

#include "platform/file_system.h"
#include "platform/text_file.h"

#include <algorithm>

namespace tarvik {

const std::vector<TOptionStep>& OptionApplyOrder() {
  using O = TFormControl;
  static const std::vector<TOptionStep> order = {
      {1, O::cbAlleDateien}, {2, O::cbWriter},         {3, O::cbCalc},           {4, O::cbImpress},
      {5, O::cbDraw},        {6, O::cbFormel},         {7, O::cbUnter},          {8, O::cbAlles},
      {9, O::cbConntent},    {10, O::cbMeta},          {11, O::cbStyles},        {12, O::cbVorlagen},
      {14, O::cbGrossklein}, {15, O::cbFile},          {16, O::cbEinstellungen}, {17, O::cbOO},
      {18, O::cbreturn},     {19, O::cbEinstellungen}, {21, O::cbFormatierung},
  };
  return order;
}

bool OptionBit(const std::string& options, int position) {
  return position >= 1 && static_cast<std::size_t>(position) <= options.size() && options[position - 1] == '1';
}

std::string SettingsPath(const std::string& startupFolder, const char* fileName) {
  if (!startupFolder.empty() && startupFolder.back() == '/') return startupFolder + fileName;
  return startupFolder + "/" + fileName;
}

std::string ReadOptionString(const std::string& startupFolder) {
  const std::string path = SettingsPath(startupFolder, kOptionsFile);
  if (!FileExists(path)) return kDefaultOptions;
  const std::vector<std::string> lines = ReadTextLines(path);
  return lines.empty() ? std::string() : lines[0];
}

std::string ReadOptionSecondLine(const std::string& startupFolder) {
  const std::string path = SettingsPath(startupFolder, kOptionsFile);
  if (!FileExists(path)) return {};
  const std::vector<std::string> lines = ReadTextLines(path);
  return lines.size() >= 2 ? lines[1] : std::string();
}

void WriteOptionString(const std::string& startupFolder, const std::string& options) {
  const std::string path = SettingsPath(startupFolder, kOptionsFile);
  std::vector<std::string> lines{options};
  // The charset line is the user's own: saving the options must not drop it.
  if (FileExists(path)) {
    const std::vector<std::string> old = ReadTextLines(path);
    if (old.size() >= 2 && !old[1].empty()) lines.push_back(old[1]);
  }
  WriteTextLines(path, lines);
}

std::vector<std::string> CompactHistory(const std::vector<std::string>& lines) {
  std::vector<std::string> kept{std::string()};
  for (const std::string& line : lines) {
    if (kept.size() > kHistoryLinesKept) break;
    if (!line.empty()) kept.push_back(line);
  }
  return kept;
}

std::vector<std::string> CompactHistoryFile(const std::string& path) {
  std::vector<std::string> lines;
  if (FileExists(path)) lines = ReadTextLines(path);
  lines = CompactHistory(lines);
  WriteTextLines(path, lines);
  return lines;
}

std::vector<std::string> HistoryToWrite(const std::string& text, const std::vector<std::string>& entries,
                                        std::size_t cap) {
  std::vector<std::string> lines;
  if (!text.empty()) lines.push_back(text);
  const std::size_t n = std::min(entries.size(), cap);
  for (std::size_t i = 0; i < n; ++i)
    if (!entries[i].empty() && entries[i] != text) lines.push_back(entries[i]);
  return lines;
}

bool UpdateHistory(std::vector<std::string>& entries, const std::string& text, int& rememberedIndex) {
  if (!text.empty()) {
    for (const std::string& entry : entries)
      if (entry == text) return false;
    entries.insert(entries.begin(), text);
    return true;
  }
  const int index = rememberedIndex;
  rememberedIndex = -1;
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return false;
  entries.erase(entries.begin() + index);
  return true;
}

}  // namespace tarvik
