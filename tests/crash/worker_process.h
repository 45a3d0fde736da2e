#pragma once
// The crash worker as a process of its own, shared by the crash and race drivers.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace mekuri::crash {

// The folder as the worker takes it: under Wine a Windows path.
inline std::string WorkerPath(std::string path, bool wine) {
  if (!wine) return path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

class WorkerProcess {
 public:
  // With `capture`, its standard output comes back through Read.
  WorkerProcess(const std::vector<std::string>& command, bool capture) {
    int pipes[2] = {-1, -1};
    if (capture && pipe2(pipes, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture) posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (capture) close(pipes[1]);
    if (spawned != 0) {
      if (capture) close(pipes[0]);
      throw std::runtime_error("cannot start " + command[0]);
    }
    out_ = pipes[0];
  }
  WorkerProcess(const WorkerProcess&) = delete;
  ~WorkerProcess() {
    if (!ended_) Kill(), Wait();
    if (out_ >= 0) close(out_);
  }

  // Appends what comes within `ms`: > 0 bytes read, 0 none came, < 0 the
  // output is closed. Wine's own processes may hold the pipe open after the
  // worker is gone, so a caller never waits for the close alone.
  int Read(int ms, std::string& said) {
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, ms) <= 0) return 0;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n > 0) said.append(buffer, static_cast<size_t>(n));
    return n > 0 ? static_cast<int>(n) : -1;
  }
  // Runs it to its end; everything it said.
  std::string ReadAll() {
    std::string said;
    while (!ended_ && waitpid(pid_, &status_, WNOHANG) != pid_) {
      if (Read(50, said) < 0) Wait();
    }
    ended_ = true;
    while (Read(0, said) > 0) {
    }
    return said;
  }
  void Kill() { kill(pid_, SIGKILL); }
  int Wait() {
    if (!std::exchange(ended_, true)) waitpid(pid_, &status_, 0);
    return status_;
  }
  // Waits for the end; throws unless it ended with exit code 0.
  void ExpectSuccess(const std::string& what) {
    if (Wait(), !WIFEXITED(status_) || WEXITSTATUS(status_) != 0) {
      throw std::runtime_error(what + " failed (status " + std::to_string(status_) + ")");
    }
  }

 private:
  pid_t pid_ = 0;
  int out_ = -1;
  int status_ = 0;
  bool ended_ = false;
};

}  // namespace mekuri::crash
