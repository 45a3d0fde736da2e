// Two writers at once, and a writer that dies while it rewrites the file in
// place, each driven through the crash worker in processes of their own:
//   race_driver [--wine] -- <worker command>
// Two workers each write 500 distinct keys into one file at the same time;
// all 1,000 must be there. A worker whose file is held open by another handle
// rewrites it in place and is cut off after N bytes (the file grows or
// shrinks); a fresh worker then reads or writes once, and the file must hold
// the old whole content or the new whole content with that write, and no
// copy may stay beside it.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash_values.h"
#include "platform/profile.h"

extern char** environ;

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;

struct Worker {
  std::vector<std::string> command;  // up to the worker's step
  bool wine = false;

  std::string Folder(const fs::path& folder) const {
    std::string name = folder.string();
    if (!wine) return name;
    for (char& c : name) c = c == '/' ? '\\' : c;
    return "Z:" + name;
  }

  pid_t Start(const std::vector<std::string>& step, int out) const {
    std::vector<std::string> full = command;
    full.insert(full.end(), step.begin(), step.end());
    std::vector<char*> argv;
    for (std::string& arg : full) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, 1);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + full[0]);
    return child;
  }

  static void Expect(pid_t child, const std::string& what) {
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      throw std::runtime_error(what + " failed (status " + std::to_string(status) + ")");
    }
  }

  // Runs one step to its end; returns what it printed.
  std::string Run(const std::vector<std::string>& step) const {
    int pipes[2];
    if (pipe2(pipes, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    const pid_t child = Start(step, pipes[1]);
    close(pipes[1]);
    std::string said;
    // Wine's own processes may keep the pipe open: read until the worker ends.
    int status = 0;
    for (;;) {
      pollfd fd{pipes[0], POLLIN, 0};
      if (poll(&fd, 1, 50) > 0) {
        char buffer[4096];
        const ssize_t n = read(pipes[0], buffer, sizeof buffer);
        if (n > 0) said.append(buffer, static_cast<size_t>(n));
        if (n > 0) continue;
      }
      if (waitpid(child, &status, WNOHANG) == child) break;
    }
    fcntl(pipes[0], F_SETFL, O_NONBLOCK);
    for (char buffer[4096];;) {
      const ssize_t n = read(pipes[0], buffer, sizeof buffer);
      if (n <= 0) break;
      said.append(buffer, static_cast<size_t>(n));
    }
    close(pipes[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      throw std::runtime_error("the worker's " + step[0] + " failed (status " + std::to_string(status) + ")");
    }
    return said;
  }
};

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::string Others() {
  std::string lines;
  for (int i = 0; i < 300; ++i) lines += SeedKey(i) + "=older" + std::to_string(i) + "\r\n";
  return lines;
}

// What the engine makes of one write on these bytes.
std::string Written(const fs::path& scratch, const std::string& bytes, const std::string& key,
                    const std::string& value) {
  Put(scratch, bytes);
  profile::ClearCache();
  if (!profile::WriteString(kMemoSection, key.c_str(), value == "-" ? nullptr : value.c_str(), scratch)) {
    throw std::runtime_error("the driver's own write failed");
  }
  return Bytes(scratch);
}

void TwoWriters(const Worker& worker, const fs::path& folder) {
  const fs::path file = folder / kMemoFileName;
  Put(file, std::string("[") + kMemoSection + "]\r\n" + Others());
  const pid_t a = worker.Start({"keys", worker.Folder(folder), "a", "500"}, -1);
  const pid_t b = worker.Start({"keys", worker.Folder(folder), "b", "500"}, -1);
  Worker::Expect(a, "writer a");
  Worker::Expect(b, "writer b");
  profile::ClearCache();
  int missing = 0;
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < 500; ++i) {
      const std::string key = prefix + std::to_string(i);
      missing += profile::Read(kMemoSection, key, "", 64, file).text != "v" + key;
    }
  }
  for (int i = 0; i < 300; ++i) {
    missing += profile::Read(kMemoSection, SeedKey(i), "", 64, file).text != "older" + std::to_string(i);
  }
  if (missing) throw std::runtime_error(std::to_string(missing) + " keys lost by two writers at once");
  std::printf("race: two writers, 1,000 keys written at once, none lost\n");
}

void TornWrites(const Worker& worker, const fs::path& folder) {
  const fs::path file = folder / kMemoFileName;
  const fs::path scratch = folder / "scratch" / kMemoFileName;
  fs::create_directories(scratch.parent_path());
  const std::string head = std::string("[") + kMemoSection + "]\r\n";
  const std::string old = head + "big=" + std::string(1000, 'o') + "\r\n" + Others();
  struct Change {
    const char* name;
    const char* value;  // of "big"
  } changes[] = {{"grows", nullptr}, {"shrinks", "-"}};
  int cases = 0;
  for (Change change : changes) {
    const std::string value = change.value ? change.value : std::string(2000, 'n');
    const std::string fresh = Written(scratch, old, "big", value);
    for (const size_t cut : {size_t{0}, size_t{1}, size_t{40}, fresh.size() / 2, fresh.size()}) {
      for (const bool write : {true, false}) {
        const std::string what = std::string("a write that ") + change.name + ", cut after " + std::to_string(cut) +
                                 " bytes, then a fresh " + (write ? "write" : "read");
        Put(file, old);
        worker.Run({"cut", worker.Folder(folder), std::to_string(cut), "big", value});
        if (!fs::exists(file.string() + ".restore")) throw std::runtime_error(what + ": no copy kept beside the file");
        std::string seen;
        if (write) {
          worker.Run({"write", worker.Folder(folder), SeedKey(7), "after"});
        } else {
          seen = worker.Run({"read", worker.Folder(folder), "big"});
        }
        const std::string now = Bytes(file);
        const bool keptOld = now == (write ? Written(scratch, old, SeedKey(7), "after") : old);
        const bool tookNew = now == (write ? Written(scratch, fresh, SeedKey(7), "after") : fresh);
        if (!keptOld && !tookNew) throw std::runtime_error(what + ": the file is neither the old nor the new one");
        if (!write && seen != (tookNew ? (change.value ? "(none)" : value) : std::string(1000, 'o')) + "\n" &&
            seen != (tookNew ? (change.value ? "(none)" : value) : std::string(1000, 'o')) + "\r\n") {
          throw std::runtime_error(what + ": the reader saw another value than the file holds");
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
          if (entry.path() != file && entry.path() != scratch.parent_path()) {
            throw std::runtime_error(what + ": " + entry.path().filename().string() + " stays beside the file");
          }
        }
        ++cases;
      }
    }
  }
  std::printf("race: %d writes cut off in place, each put right by the next process\n", cases);
}

int Main(int argc, char** argv) {
  Worker worker;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--wine") worker.wine = true;
    else if (arg == "--") worker.command.assign(argv + i + 1, argv + argc), i = argc;
  }
  if (worker.command.empty()) {
    std::fprintf(stderr, "usage: race_driver [--wine] -- <worker command>\n");
    return 2;
  }
  std::string dir = (fs::temp_directory_path() / "mekuri-race.XXXXXX").string();
  if (!mkdtemp(dir.data())) return 2;
  try {
    TwoWriters(worker, dir);
    fs::remove_all(dir);
    fs::create_directory(dir);
    TornWrites(worker, dir);
  } catch (const std::exception& e) {
    std::printf("FAIL %s\nthe folder stays: %s\n", e.what(), dir.c_str());
    return 1;
  }
  fs::remove_all(dir);
  return 0;
}

}  // namespace
}  // namespace mekuri::crash

int main(int argc, char** argv) { return mekuri::crash::Main(argc, argv); }
