// tarvik-text: prints the text preview of a Writer or Calc document, exactly
// the lines the preview window shows, as UTF-8 with LF line ends; with --raw
// as the Windows-1252 bytes with CR LF. It unpacks into a private scratch
// folder of its own and writes no Contents.txt. With --paragraphs it prints
// instead the readable text that tarvik-find --text matches, one paragraph a
// line, decoded in memory.
// Exit status: 0 shown; 2 the document could not be unpacked, or a wrong
// command line.

#include "app/command_line.h"

#include "search/preview_text.h"
#include "search/readable_text.h"

#include "platform/code_page.h"
#include "platform/scratch_folder.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kExitShown = 0;
constexpr int kExitFailed = 2;

constexpr const char* kUsage =
    "Usage: tarvik-text [--raw] DOCUMENT\n"
    "       tarvik-text --paragraphs DOCUMENT\n"
    "Print the plain text of a Writer or Calc document as the preview shows it:\n"
    "every piece of character data of its content.xml on a line of its own,\n"
    "runs of blank lines packed to one.\n"
    "\n"
    "      --raw        the Windows-1252 bytes with CR LF line ends\n"
    "                   (default: UTF-8 with LF line ends)\n"
    "      --paragraphs the text tarvik-find --text matches: one paragraph a line\n"
    "                   (UTF-8 with LF line ends)\n"
    "  -h, --help       show this help and exit\n"
    "      --version    show the version and exit\n"
    "\n"
    "Exit status: 0 shown, 2 the document could not be unpacked or a wrong command line.\n";

struct TTextOptions {
  bool raw = false;
  bool paragraphs = false;
  std::string document;
};

int UsageError(const std::string& reason) { return tarvik::UsageError("tarvik-text", reason); }

void Print(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// The preview, built in a private scratch folder that is gone again before
// anything is printed (a reader that stops early cannot leave it behind).
std::optional<tarvik::TPreviewText> BuildPreview(const std::string& document) {
  const tarvik::TScratchFolder scratch;
  if (scratch.Path().empty()) return std::nullopt;
  return tarvik::BuildPreviewText(document, scratch.Path(), std::string());
}

int ShowText(const TTextOptions& options) {
  const std::optional<tarvik::TPreviewText> preview = BuildPreview(options.document);
  if (!preview) {
    std::fprintf(stderr, "tarvik-text: cannot create a scratch folder\n");
    return kExitFailed;
  }
  if (preview->unpackFailure) {
    std::fprintf(stderr, "tarvik-text: cannot unpack: %s: %s\n", options.document.c_str(),
                 preview->unpackFailure->c_str());
    return kExitFailed;
  }
  for (const std::string& line : preview->shown) Print(options.raw ? line + "\r\n" : tarvik::AnsiToUtf8(line) + "\n");
  return std::fflush(stdout) == 0 ? kExitShown : kExitFailed;
}

int ShowParagraphs(const TTextOptions& options) {
  std::optional<std::vector<std::string>> lines;
  try {
    lines = tarvik::DocumentReadableLines(options.document);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tarvik-text: cannot unpack: %s: %s\n", options.document.c_str(), failure.what());
    return kExitFailed;
  }
  if (lines)
    for (const std::string& line : *lines) Print(tarvik::AnsiToUtf8(line) + "\n");
  return std::fflush(stdout) == 0 ? kExitShown : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  TTextOptions options;
  bool operandsOnly = false;
  int operands = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!operandsOnly && arg == "--") {
      operandsOnly = true;
    } else if (!operandsOnly && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return kExitShown;
    } else if (!operandsOnly && arg == "--version") {
      tarvik::PrintVersion("tarvik-text");
      return kExitShown;
    } else if (!operandsOnly && arg == "--raw") {
      options.raw = true;
    } else if (!operandsOnly && arg == "--paragraphs") {
      options.paragraphs = true;
    } else if (!operandsOnly && arg.size() > 1 && arg[0] == '-') {
      if (arg[1] == '-') return UsageError("unrecognized option '" + std::string(arg) + "'");
      return UsageError("invalid option -- '" + std::string(arg.substr(1, 1)) + "'");
    } else if (++operands == 1) {
      options.document = arg;
    } else {
      return UsageError("extra operand '" + std::string(arg) + "'");
    }
  }
  if (operands == 0) return UsageError("missing document operand");
  if (options.raw && options.paragraphs) return UsageError("--raw and --paragraphs exclude each other");
  try {
    return options.paragraphs ? ShowParagraphs(options) : ShowText(options);
  } catch (const std::exception& failure) {  // out of memory on a huge document
    std::fprintf(stderr, "tarvik-text: %s: %s\n", options.document.c_str(), failure.what());
    return kExitFailed;
  }
}
