#include "find/find_options.h"

#include "app/command_line.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace tarvik {
namespace {

constexpr const char* kUsage =
    "Usage: tarvik-find [OPTION]... FOLDER PHRASE\n"
    "       tarvik-find --list [OPTION]... FOLDER\n"
    "Lists the office documents below FOLDER that contain PHRASE.\n"
    "\n"
    "  -m, --mode=whole|every|any   whole phrase (default), every word, any word\n"
    "  -c, --case                   letter case counts (default: it does not)\n"
    "  -p, --parts=LIST             content,meta,styles (comma list) or all; default content\n"
    "  -k, --kinds=LIST             writer,calc,impress,draw,formel (comma list) or all; default all\n"
    "  -t, --templates              include templates (*.st?, *.ot?, and *.vor with --legacy)\n"
    "      --no-new-formats         leave out the 2.0 formats (*.od?, *.ot?)\n"
    "      --legacy                 include StarOffice 5.x binary documents (*.sd?, *.vor)\n"
    "      --no-recurse             only the folder itself, not its sub-folders\n"
    "  -n, --names-only             print bare file names instead of full paths\n"
    "  -l, --list                   print the candidate documents, one per line, and stop\n"
    "  -0, --null                   end each printed path with a NUL byte instead of a line end\n"
    "  -j, --jobs=N                 documents searched at once (default: the processors)\n"
    "      --lang=de|en             language of messages (default: from the locale)\n"
    "      --text                   match the text a reader sees (one line per paragraph), not the raw XML\n"
    "  -s, --show                   print each result's matching lines under it, tab-indented: a paragraph\n"
    "                               with --text, else up to 160 characters of the raw line around its first hit\n"
    "      --color[=WHEN]           mark the hits of --show in bold red: auto (on a terminal; the default),\n"
    "                               always or never\n"
    "      --json                   print JSON Lines instead of result lines: one object per matching line\n"
    "                               (path, part, line, text, matches) and one per document that cannot be\n"
    "                               searched (path, error)\n"
    "      --no-cache               search without the prefilter cache (also: TARVIK_CACHE=off)\n"
    "  -h, --help                   show this help and exit\n"
    "      --version                show the version and exit\n"
    "\n"
    "The prefilter cache ($XDG_CACHE_HOME/tarvik/cache.sqlite, by default ~/.cache/tarvik) keeps\n"
    "a small summary of every searched document, so that a later search reads only the documents\n"
    "that can hold its phrase. It never changes what is found.\n"
    "\n"
    "Exit status: 0 found, 1 nothing found, 2 invalid folder, empty phrase or wrong command line.\n";

enum LongOnly { kNoNewFormats = 1000, kLegacy, kNoRecurse, kLang, kText, kColor, kJson, kNoCache };
constexpr int kVersion = 2000;  // --version has a long form only

bool Fail(const std::string& reason) {
  tarvik::UsageError("tarvik-find", reason);
  return false;
}

bool ParseParts(const std::string& list, TFindOptions& o) {
  o.allParts = o.content = o.meta = o.styles = false;
  std::stringstream items(list);
  std::string item;
  bool any = false;
  while (std::getline(items, item, ',')) {
    if (item == "all") o.allParts = true;
    else if (item == "content") o.content = true;
    else if (item == "meta") o.meta = true;
    else if (item == "styles") o.styles = true;
    else return Fail("unknown part '" + item + "' (content, meta, styles or all)");
    any = true;
  }
  return any || Fail("--parts needs at least one part");
}

bool ParseKinds(const std::string& list, TFindOptions& o) {
  o.allKinds = o.writer = o.calc = o.impress = o.draw = o.formel = false;
  std::stringstream items(list);
  std::string item;
  bool any = false;
  while (std::getline(items, item, ',')) {
    if (item == "all") o.allKinds = true;
    else if (item == "writer") o.writer = true;
    else if (item == "calc") o.calc = true;
    else if (item == "impress") o.impress = true;
    else if (item == "draw") o.draw = true;
    else if (item == "formel") o.formel = true;
    else return Fail("unknown kind '" + item + "' (writer, calc, impress, draw, formel or all)");
    any = true;
  }
  return any || Fail("--kinds needs at least one kind");
}

bool ParseJobs(const char* text, TFindOptions& o) {
  char* end = nullptr;
  const long jobs = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || jobs < 1 || jobs > 1024) return Fail("--jobs needs a number from 1 to 1024");
  o.jobs = static_cast<int>(jobs);
  return true;
}

bool ParseOption(int option, const char* arg, TFindOptions& o) {
  const std::string value = arg ? arg : "";
  switch (option) {
    case 'm':
      if (value == "whole") o.mode = TFindMode::Whole;
      else if (value == "every") o.mode = TFindMode::Every;
      else if (value == "any") o.mode = TFindMode::Any;
      else return Fail("unknown mode '" + value + "' (whole, every or any)");
      return true;
    case 'c': o.caseSensitive = true; return true;
    case 'p': return ParseParts(value, o);
    case 'k': return ParseKinds(value, o);
    case 't': o.templates = true; return true;
    case kNoNewFormats: o.newFormats = false; return true;
    case kLegacy: o.legacy = true; return true;
    case kNoRecurse: o.recurse = false; return true;
    case 'n': o.namesOnly = true; return true;
    case 'l': o.list = true; return true;
    case '0': o.nullEnds = true; return true;
    case 'j': return ParseJobs(value.c_str(), o);
    case kText: o.readableText = true; return true;
    case 's': o.show = true; return true;
    case kJson: o.json = true; return true;
    case kColor:
      if (value.empty() || value == "auto") o.color = TColorWhen::Auto;
      else if (value == "always") o.color = TColorWhen::Always;
      else if (value == "never") o.color = TColorWhen::Never;
      else return Fail("unknown --color '" + value + "' (auto, always or never)");
      return true;
    case kNoCache: o.cache = false; return true;
    case kLang:
      if (value == "de") o.german = true;
      else if (value == "en") o.german = false;
      else return Fail("unknown language '" + value + "' (de or en)");
      return true;
    default: return Fail("unknown option");
  }
}

}  // namespace

bool LocaleIsGerman() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::string_view(value).substr(0, 2) == "de";
  }
  return false;
}

std::optional<TFindOptions> ParseFindOptions(int argc, char** argv) {
  // One option a line, however many there are.
  // clang-format off
  static const option kLongOptions[] = {{"null", no_argument, nullptr, '0'},
                                        {"version", no_argument, nullptr, kVersion},
                                        {"mode", required_argument, nullptr, 'm'},
                                        {"case", no_argument, nullptr, 'c'},
                                        {"parts", required_argument, nullptr, 'p'},
                                        {"kinds", required_argument, nullptr, 'k'},
                                        {"templates", no_argument, nullptr, 't'},
                                        {"no-new-formats", no_argument, nullptr, kNoNewFormats},
                                        {"legacy", no_argument, nullptr, kLegacy},
                                        {"no-recurse", no_argument, nullptr, kNoRecurse},
                                        {"names-only", no_argument, nullptr, 'n'},
                                        {"list", no_argument, nullptr, 'l'},
                                        {"jobs", required_argument, nullptr, 'j'},
                                        {"lang", required_argument, nullptr, kLang},
                                        {"text", no_argument, nullptr, kText},
                                        {"show", no_argument, nullptr, 's'},
                                        {"color", optional_argument, nullptr, kColor},
                                        {"json", no_argument, nullptr, kJson},
                                        {"no-cache", no_argument, nullptr, kNoCache},
                                        {"help", no_argument, nullptr, 'h'},
                                        {nullptr, 0, nullptr, 0}};
  // clang-format on

  TFindOptions o;
  o.german = LocaleIsGerman();
  opterr = 0;
  optind = 1;
  int option;
  while ((option = getopt_long(argc, argv, "m:cp:k:tnl0j:sh", kLongOptions, nullptr)) != -1) {
    if (option == 'h') {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (option == kVersion) {
      tarvik::PrintVersion("tarvik-find");
      std::exit(0);
    }
    if (option == '?') {
      const std::string name = optopt ? std::string("-") + static_cast<char>(optopt) : std::string(argv[optind - 1]);
      Fail("invalid option or missing value: " + name);
      return std::nullopt;
    }
    if (!ParseOption(option, optarg, o)) return std::nullopt;
  }
  const int operands = argc - optind;
  if (o.list ? operands != 1 : operands != 2) {
    Fail(o.list ? "--list needs exactly one FOLDER" : "needs a FOLDER and a PHRASE");
    return std::nullopt;
  }
  o.folder = argv[optind];
  if (!o.list) o.phrase = argv[optind + 1];
  return o;
}

}  // namespace tarvik
