#include "platform/shell.h"

#include "platform/ascii_case.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace tarvik {
namespace {

using Clock = std::chrono::steady_clock;

// How long the association query (two runs of xdg-mime) may take in all.
constexpr std::chrono::milliseconds kQueryTime{2000};

// A program started from PATH in a process group of its own, its standard
// input and error on /dev/null and its output on a pipe (or /dev/null).
class TChild {
 public:
  TChild(const std::vector<std::string>& args, bool captureOutput, bool newSession) {
    int pipeFds[2] = {-1, -1};
    if (captureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (captureOutput) {
      posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, newSession ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, argv[0], &actions, &attributes, argv.data(), environ) != 0) pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput) {
      ::close(pipeFds[1]);
      output_ = pipeFds[0];
    }
  }
  ~TChild() {
    if (output_ >= 0) ::close(output_);
    if (pid_ > 0) {  // not ended in time: it goes, with everything it started
      ::kill(-pid_, SIGKILL);
      Reap();
    }
  }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  bool Started() const { return pid_ > 0; }

  // Reads its output until it ends or the deadline passes; false when time ran out.
  bool ReadOutput(std::string& text, Clock::time_point deadline) {
    char block[512];
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd ready{output_, POLLIN, 0};
      const int polled = ::poll(&ready, 1, static_cast<int>(left));
      if (polled < 0 && errno == EINTR) continue;
      if (polled <= 0) return false;
      const ssize_t got = ::read(output_, block, sizeof block);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return true;
      text.append(block, static_cast<std::size_t>(got));
    }
  }

  // Waits for it to end, until the deadline; true when it exited with status 0.
  bool Succeeded(Clock::time_point deadline) {
    for (;;) {
      int status = 0;
      const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
      }
      if (ended < 0 && errno != EINTR) return false;
      if (Clock::now() >= deadline) return false;
      ::usleep(2000);
    }
  }

 private:
  void Reap() {
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int output_ = -1;
};

// The first line a program prints, when it exits with status 0 before the deadline.
bool QueryFirstLine(const std::vector<std::string>& args, std::string& firstLine, Clock::time_point deadline) {
  TChild child(args, true, false);
  std::string output;
  if (!child.Started() || !child.ReadOutput(output, deadline) || !child.Succeeded(deadline)) return false;
  firstLine = output.substr(0, output.find('\n'));
  return true;
}

// The extension of path (from the last dot of its last component) in lower case.
std::string FileType(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return AsciiLowerCopy(std::string_view(path).substr(dot));
}

TShell desktopShell;
TShell* installedShell = &desktopShell;

}  // namespace

bool TShell::HasAssociatedApplication(const std::string& path) {
  const std::string type = FileType(path);
  if (const auto known = associations_.find(type); known != associations_.end()) return known->second;
  const Clock::time_point deadline = Clock::now() + kQueryTime;
  std::string mimeType, handler;
  bool answered = QueryFirstLine({"xdg-mime", "query", "filetype", path}, mimeType, deadline);
  bool associated = answered && !mimeType.empty();
  if (associated) {
    answered = QueryFirstLine({"xdg-mime", "query", "default", mimeType}, handler, deadline);
    associated = answered && !handler.empty();
  }
  // A query that failed to answer in time is asked again next time.
  if (Clock::now() < deadline) associations_[type] = associated;
  return associated;
}

bool TShell::OpenDocument(const std::string& path) {
  // A shell in a session of its own starts the opener in the background and
  // ends at once; the opener, left to init, is reaped there. Nothing here
  // waits for the application, and no pipe of ours reaches it.
  TChild starter({"/bin/sh", "-c", "command -v xdg-open >/dev/null || exit 127; xdg-open \"$1\" &", "sh", path}, false,
                 true);
  return starter.Started() && starter.Succeeded(Clock::now() + kQueryTime);
}

TShell& Shell() { return *installedShell; }
void SetShell(TShell* shell) { installedShell = shell ? shell : &desktopShell; }

}  // namespace tarvik
