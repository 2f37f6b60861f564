#include "unzip/unzip_options.h"

#include <map>

namespace tarvik::unzip {

namespace {

const std::map<std::string, TUZOverwriteMode> kOverwriteModes = {{"prompt", TUZOverwriteMode::Prompt},
                                                                 {"always", TUZOverwriteMode::Always},
                                                                 {"never", TUZOverwriteMode::Never},
                                                                 {"newer", TUZOverwriteMode::ifNewer},
                                                                 {"older", TUZOverwriteMode::ifOlder}};
const std::map<std::string, TZipSortMode> kSortModes = {{"none", TZipSortMode::ByNone},
                                                        {"name", TZipSortMode::ByName},
                                                        {"file", TZipSortMode::ByFileName},
                                                        {"dir", TZipSortMode::ByDirectoryName},
                                                        {"date", TZipSortMode::ByDate},
                                                        {"packed", TZipSortMode::ByCompressedSize},
                                                        {"size", TZipSortMode::ByUnCompressedSize},
                                                        {"rate", TZipSortMode::ByRate}};
const std::map<std::string, TIncompleteZipMode> kIncompleteModes = {{"multi", TIncompleteZipMode::izAssumeMulti},
                                                                    {"bad", TIncompleteZipMode::izAssumeBad},
                                                                    {"notzip", TIncompleteZipMode::izAssumeNotAZip}};

template <class T>
bool Lookup(const std::map<std::string, T>& table, const std::string& value, T& result) {
  auto found = table.find(value);
  if (found == table.end()) return false;
  result = found->second;
  return true;
}

// One option, by its long name, with its value when it takes one.
bool Apply(const std::string& name, const std::string& value, TUnzipOptions& options, std::string& error) {
  bool ok = true;
  if (name == "list") options.list = true;
  else if (name == "recreate-dirs") options.recreateDirs = true;
  else if (name == "quiet") options.quiet = true;
  else if (name == "help") options.help = true;
  else if (name == "version") options.version = true;
  else if (name == "dest") options.destDir = value;
  else if (name == "root") options.rootDir = value;
  else if (name == "password") options.password = value;
  else if (name == "overwrite") ok = Lookup(kOverwriteModes, value, options.overwrite);
  else if (name == "sort") ok = Lookup(kSortModes, value, options.sort);
  else if (name == "incomplete") ok = Lookup(kIncompleteModes, value, options.incomplete);
  if (!ok) error = "invalid value '" + value + "' for --" + name;
  return ok;
}

struct TOptionInfo {
  char shortName;  // 0: long form only
  const char* longName;
  bool takesValue;
};

constexpr TOptionInfo kOptions[] = {
    {'l', "list", false},     {'d', "dest", true},     {'r', "recreate-dirs", false}, {0, "root", true},
    {'o', "overwrite", true}, {'P', "password", true}, {'s', "sort", true},           {0, "incomplete", true},
    {'q', "quiet", false},    {'h', "help", false},    {0, "version", false},
};

const TOptionInfo* ByLong(const std::string& name) {
  for (const TOptionInfo& option : kOptions) {
    if (name == option.longName) return &option;
  }
  return nullptr;
}

const TOptionInfo* ByShort(char name) {
  for (const TOptionInfo& option : kOptions) {
    if (option.shortName != 0 && option.shortName == name) return &option;
  }
  return nullptr;
}

}  // namespace

bool ParseUnzipOptions(const std::vector<std::string>& args, TUnzipOptions& options, std::string& error) {
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg[1] == '-') {
      std::size_t equals = arg.find('=');
      std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      const TOptionInfo* option = ByLong(name);
      if (option == nullptr) {
        error = "unknown option '" + arg + "'";
        return false;
      }
      std::string value;
      if (option->takesValue) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          error = "option '--" + name + "' needs a value";
          return false;
        }
      } else if (equals != std::string::npos) {
        error = "option '--" + name + "' takes no value";
        return false;
      }
      if (!Apply(option->longName, value, options, error)) return false;
      continue;
    }
    // A cluster of short options; one taking a value ends it.
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const TOptionInfo* option = ByShort(arg[k]);
      if (option == nullptr) {
        error = std::string("unknown option '-") + arg[k] + "'";
        return false;
      }
      std::string value;
      if (option->takesValue) {
        if (k + 1 < arg.size()) {
          value = arg.substr(k + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          error = std::string("option '-") + arg[k] + "' needs a value";
          return false;
        }
        if (!Apply(option->longName, value, options, error)) return false;
        break;
      }
      if (!Apply(option->longName, value, options, error)) return false;
    }
  }
  if (options.help || options.version) return true;
  if (operands.empty()) {
    error = "no archive given";
    return false;
  }
  options.archive = operands.front();
  options.patterns.assign(operands.begin() + 1, operands.end());
  return true;
}

const char* UnzipUsage() {
  return "Usage: tarvik-unzip [OPTION]... ARCHIVE [PATTERN]...\n"
         "Extracts the entries of ARCHIVE whose stored path matches a PATTERN (all without one).\n"
         "\n"
         "  -l, --list                   list the entries: SIZE PACKED METHOD CRC DATE TIME PATH\n"
         "  -d, --dest=DIR               destination folder (default: .)\n"
         "  -r, --recreate-dirs          recreate the stored folders below DIR\n"
         "      --root=DIR               leading stored folder to drop when recreating folders\n"
         "  -o, --overwrite=MODE         prompt (default), always, never, newer, older\n"
         "  -P, --password=TEXT          password offered when an entry's password check fails\n"
         "  -s, --sort=MODE              none, name, file, dir, date, packed, size, rate\n"
         "      --incomplete=MODE        archive without end record: multi (default), bad, notzip\n"
         "  -q, --quiet                  do not print extracted entries\n"
         "  -h, --help                   show this help and exit\n"
         "      --version                show the version and exit\n"
         "\n"
         "Exit status: 0 every chosen entry extracted (or listed), 1 some were skipped or failed,\n"
         "2 the archive could not be read or wrong command line.\n";
}

}  // namespace tarvik::unzip
