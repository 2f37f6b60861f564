#include "platform/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>
#include <vector>

#include "platform/file_handle.h"

namespace tarvik {
namespace {

// Runs a program found on PATH with args; returns its first line of output
// and whether it exited with status 0.
bool RunCapture(const std::vector<std::string>& args, std::string& firstLine) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  const TFileHandle reading(pipeFds[0]);
  TFileHandle writing(pipeFds[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, writing.Fd(), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writing.Close();
  if (spawned != 0) return false;
  // Only the first line is wanted; the rest is read so the child never blocks.
  std::string output;
  char block[512];
  ssize_t got;
  while ((got = reading.Read(block, sizeof block)) > 0)
    if (output.find('\n') == std::string::npos) output.append(block, static_cast<std::size_t>(got));
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  firstLine = output.substr(0, output.find('\n'));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TShell desktopShell;
TShell* installedShell = &desktopShell;

}  // namespace

bool TShell::HasAssociatedApplication(const std::string& path) {
  std::string type, handler;
  return RunCapture({"xdg-mime", "query", "filetype", path}, type) && !type.empty() &&
         RunCapture({"xdg-mime", "query", "default", type}, handler) && !handler.empty();
}

bool TShell::OpenDocument(const std::string& path) {
  std::string ignored;
  return RunCapture({"xdg-open", path}, ignored);
}

TShell& Shell() { return *installedShell; }
void SetShell(TShell* shell) { installedShell = shell ? shell : &desktopShell; }

}  // namespace tarvik
