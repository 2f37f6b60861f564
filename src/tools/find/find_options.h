#pragma once
// The command line of tarvik-find.

#include <optional>
#include <string>

namespace tarvik {

enum class TFindMode { Whole, Every, Any };
enum class TColorWhen { Auto, Always, Never };

struct TFindOptions {
  TFindMode mode = TFindMode::Whole;
  bool caseSensitive = false;
  // Parts: all three, or any of content, meta, styles.
  bool allParts = false, content = true, meta = false, styles = false;
  // Kinds: all, or any of the five.
  bool allKinds = true, writer = false, calc = false, impress = false, draw = false, formel = false;
  bool templates = false;
  bool newFormats = true;
  bool legacy = false;
  bool recurse = true;
  bool nullEnds = false;  // -0: each printed path ends with NUL, not a line end
  bool namesOnly = false;
  bool list = false;
  bool readableText = false;  // --text: match paragraphs, not raw XML lines
  bool show = false;          // -s: the matching lines under each result
  TColorWhen color = TColorWhen::Auto;
  bool json = false;  // JSON Lines instead of result lines
  bool cache = true;  // --no-cache: search without the prefilter cache
  int jobs = 0;       // 0: one per processor
  bool german = false;
  std::string folder;
  std::string phrase;  // UTF-8, as given
};

// The parsed options, or nothing after writing the reason and a hint to --help
// to stderr. --help and --version print their text and end the program.
std::optional<TFindOptions> ParseFindOptions(int argc, char** argv);

// German when the locale's language is German (LC_ALL, LC_MESSAGES or LANG begins with "de").
bool LocaleIsGerman();

}  // namespace tarvik
