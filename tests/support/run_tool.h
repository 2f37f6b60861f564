#pragma once
// Runs one of the built command-line tools and captures what it prints.

#include "support/temp_folder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarvik::test {

struct TToolResult {
  int status = -1;  // exit status, or -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

inline std::string ToolPath(const std::string& tool) {
  const char* dir = std::getenv("TARVIK_BINARY_DIR");
  return std::string(dir && *dir ? dir : TARVIK_BINARY_DIR) + "/" + tool;
}

// Runs tool with args in workingDir (unchanged when empty); env entries "NAME=value" are added.
// The prefilter cache is off unless env turns it on: no test touches the user's cache.
inline TToolResult RunTool(const std::string& tool, const std::vector<std::string>& args,
                           const std::string& workingDir = "", const std::vector<std::string>& env = {}) {
  TTempFolder capture;
  const std::string outPath = capture / "out", errPath = capture / "err";
  const std::string program = ToolPath(tool);
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) ::_exit(127);
    ::setenv("TARVIK_CACHE", "off", 1);
    for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  TToolResult result;
  int wstatus = 0;
  if (child > 0 && ::waitpid(child, &wstatus, 0) == child && WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  auto slurp = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  return result;
}

}  // namespace tarvik::test
