// Crash safety of the memo file against crash workers: crash_driver [--kills N | --race] [--wine] -- <worker command>
// --kills: kills the worker at random moments, checking the file after each; --race: two writers, then cut-off writes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "commonlist/common_store.h"
#include "crash_values.h"
#include "platform/profile.h"

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;
using Error = std::runtime_error;
using Memo = std::optional<std::u16string>;  // nullopt: no memo under the key
using List = std::vector<std::u16string>;

class Process {
 public:
  explicit Process(std::vector<std::string> command) {
    int pipes[2];
    if (pipe2(pipes, O_CLOEXEC) != 0 || (pid_ = fork()) < 0) throw Error("cannot start " + command[0]);
    if (pid_ == 0) {  // the child: no input, its output into the pipe
      std::vector<char*> argv;
      for (std::string& arg : command) argv.push_back(arg.data());
      argv.push_back(nullptr);
      dup2(open("/dev/null", O_RDONLY), 0), dup2(pipes[1], 1), execvp(argv[0], argv.data()), _exit(127);
    }
    close(pipes[1]), out_ = pipes[0];
  }
  Process(const Process&) = delete;
  ~Process() {
    if (!ended_) kill(pid_, SIGKILL), Wait();
    close(out_);
  }
  // Appends what comes within `ms`: > 0 read, 0 none, < 0 closed (Wine may hold the pipe after the worker).
  int Read(int ms, std::string& said) {
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, ms) <= 0) return 0;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n > 0) said.append(buffer, static_cast<size_t>(n));
    return n > 0 ? static_cast<int>(n) : -1;
  }
  int Wait() {
    if (!std::exchange(ended_, true)) waitpid(pid_, &status_, 0);
    return status_;
  }
  void Drain(std::string& said) {
    while (Read(0, said) > 0) continue;
  }
  // Runs it to its end, which must be exit code 0; what it said.
  std::string Finish(const std::string& what) {
    std::string said;
    while (!ended_ && waitpid(pid_, &status_, WNOHANG) != pid_)
      if (Read(50, said) < 0) Wait();
    ended_ = true, Drain(said);
    if (WIFEXITED(status_) && WEXITSTATUS(status_) == 0) return said;
    throw Error(what + " failed: " + std::to_string(status_));
  }

  pid_t pid_ = 0;
  int out_ = -1, status_ = 0;
  bool ended_ = false;
};

struct Setup {
  std::vector<std::string> command;
  fs::path folder, file;
  bool wine = false;
  // The worker's command line; under Wine the folder is a Windows path.
  std::vector<std::string> Worker(std::vector<std::string> args) const {
    std::string path = folder.string();
    if (wine) std::replace(path.begin(), path.end(), '/', '\\'), path = "Z:" + path;
    args.insert(args.begin(), path), args.insert(args.begin(), command.begin(), command.end());
    return args;
  }
};

std::string Bytes(const fs::path& file) {
  return {std::istreambuf_iterator<char>(std::ifstream(file, std::ios::binary).rdbuf()), {}};
}

// One write of the worker, as its "begin" and "done" lines name it.
struct Op {
  std::string line;
  std::optional<std::string> key;  // a memo's, or none for the common list
  Memo memo;
  List common;
};

struct NotStarted : Error {  // ended before its first line: none of the program ran
  using Error::Error;
};

// Runs the worker until `delayMs` after its "ready" (Wine starts slowly) and kills it.
std::string RunAndKill(const std::vector<std::string>& command, double delayMs) {
  Process worker(command);
  std::string said;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(30);
  for (bool started = false;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int got = left > 0 ? worker.Read(static_cast<int>(left), said) : 0;
    if (got < 0 || (got == 0 && started)) break;
    if (got == 0) throw Error("the worker did not start: " + said);
    if (!started && said.find("\nready") != std::string::npos) {
      started = true;
      deadline = Clock::now() + std::chrono::microseconds(static_cast<long>(delayMs * 1000));
    }
  }
  kill(worker.pid_, SIGKILL);
  const int status = worker.Wait();
  worker.Drain(said);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return said;
  const std::string what = "the worker ended by itself: " + said.substr(0, 300);
  if (said.empty()) throw NotStarted(what);
  throw Error(what);
}

class Crasher {
 public:
  explicit Crasher(const Setup& setup) : s_(setup) {
    // Enough older memos that kills land in the middle of a rewrite.
    for (int i = 0; i < kSeedMemos; ++i)
      older_.emplace_back(SeedKey(i), *EncipherText(kNativeCipher, SeedText(i)));
    if (!profile::WriteKeys(kMemoSection, older_, {}, s_.file)) throw Error("cannot write the older memos");
  }

  void Run(unsigned run, double delayMs) {
    std::string said;
    // Under Wine a start now and then ends before the worker's first line; that start
    // never ran, so the folder must be untouched and it goes again, but only once.
    for (int attempt = 1; said.empty(); ++attempt) {
      try {
        said = RunAndKill(s_.Worker({std::to_string(run)}), delayMs);
      } catch (const NotStarted&) {
        if (!s_.wine || attempt == 2) throw;
        Check(std::nullopt, 0, false);
        ++failedStarts;
      }
    }
    std::istringstream lines(said);
    std::optional<Op> cut;
    bool wrote = false;
    unsigned long pid = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.ends_with('\r')) line.pop_back();
      std::istringstream in(line);
      std::string what, kind, key, how;
      unsigned write = 0, count = 0;
      in >> what >> kind;
      if (what == "begin" && kind == "memo" && in >> key >> write >> how) {
        cut = Op{line.substr(6), key, how == "save" ? Memo(MemoText(key, run, write)) : std::nullopt, {}};
      } else if (what == "begin" && kind == "common" && in >> write >> count) {
        cut = Op{line.substr(6), {}, {}, {}};
        for (unsigned i = 0; i < count; ++i) cut->common.push_back(CommonItem(run, write, i));
      } else if (what == "done" && cut && cut->line == line.substr(5)) {
        // Only a write that changed something rewrote the file and cleared the temporary files.
        const bool changed = cut->key ? std::exchange(memos_[*cut->key], cut->memo) != cut->memo
                                      : std::exchange(common_, cut->common) != cut->common;
        wrote |= changed, cut.reset();
      } else if (what != "ready" && !(what == "pid" && (pid = std::stoul(kind)))) {
        throw Error("the worker said \"" + line + "\"");
      }
    }
    Check(cut, pid, wrote);
  }

  int midWrite = 0, temps = 0, failedStarts = 0;

 private:
  // The file must hold what the finished writes stored, or the cut-off one's value.
  void Check(const std::optional<Op>& cut, unsigned long pid, bool wrote) {
    if (wrote) mayHaveTemps_.clear();
    if (cut) mayHaveTemps_.insert(pid), ++midWrite;
    CheckTemps(pid);
    const std::map<std::string, std::string> keys = ReadWhole();
    size_t workers = 0, commons = 0;
    for (const auto& [key, value] : older_) {
      if (!keys.count(key) || keys.at(key) != value ||
          profile::Read(kMemoSection, key, "", 256, s_.file).text != value) {
        throw Error("the older memo " + key + " is lost or changed");
      }
    }
    for (int i = 0; i < kWorkerKeys; ++i) {
      const std::string key = WorkerKey(i);
      workers += keys.count(key);
      const Memo now = keys.count(key) ? Memo(ReadMemoText(s_.file, kNativeCipher, key)) : std::nullopt;
      if (now && now->empty()) throw Error("the memo " + key + " does not decipher");
      if (now != memos_[key] && !(cut && cut->key == key && now == cut->memo))
        throw Error("the memo " + key + " holds neither the old nor the new value");
      memos_[key] = now;
    }
    const List common = LoadCommonList(s_.file, kNativeCipher).items;
    for (int i = 0; i < kCommonKeys; ++i) commons += keys.count(CommonKey(i));
    if (commons != common.size()) throw Error("the common list has gaps");
    if (kSeedMemos + workers + commons != keys.size()) throw Error("an unknown key");
    if (common != common_ && !(cut && !cut->key && common == cut->common))
      throw Error("the common list holds neither the old nor the new items");
    common_ = common;
  }

  // Beside the file, at most one temporary file of each writer killed since the last rewrite.
  void CheckTemps(unsigned long pid) {
    const fs::path lock = s_.file.string() + ".lock";  // goes once the system closed the killed writer's handles
    for (int wait = 0; wait < 500 && fs::exists(lock); ++wait) usleep(10'000);
    std::map<unsigned long, int> perPid;
    for (const fs::directory_entry& entry : fs::directory_iterator(s_.folder)) {
      const std::string name = entry.path().filename().string();
      if (name == kMemoFileName) continue;
      unsigned long owner = 0, serial = 0;
      char tail[8] = {};
      if (std::sscanf(name.c_str(), "Mekurinote_crash.dat.%lu-%lu.%3s", &owner, &serial, tail) != 3 ||
          std::string(tail) != "tmp" || !mayHaveTemps_.count(owner) || ++perPid[owner] > 1) {
        throw Error("a file left behind: " + name);
      }
      temps += owner == pid;
    }
  }

  // The file as bytes: the section, then whole "key=value" lines, each key once.
  std::map<std::string, std::string> ReadWhole() const {
    const std::string bytes = Bytes(s_.file);
    const std::string header = std::string("[") + kMemoSection + "]\r\n";
    if (bytes.rfind(header, 0) != 0) throw Error("the memo file is gone or lost its section");
    std::map<std::string, std::string> keys;
    for (size_t at = header.size(), end; at < bytes.size(); at = end + 2) {
      end = bytes.find("\r\n", at);
      const std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
      const size_t eq = line.find('=');
      if (end == std::string::npos || eq == 0 || eq == std::string::npos || eq + 1 == line.size() ||
          !keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) {
        throw Error("a torn or repeated line at byte " + std::to_string(at));
      }
    }
    profile::ClearCache();  // the reads below see the file as a fresh start of the program would
    return keys;
  }

  const Setup& s_;
  std::vector<std::pair<std::string, std::string>> older_;
  std::map<std::string, Memo> memos_;  // what the finished writes stored
  List common_;
  std::set<unsigned long> mayHaveTemps_;
};

void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// What the engine makes of one write ("-" deletes) on these bytes.
std::string Written(const fs::path& scratch, const std::string& bytes, const std::string& key,
                    const std::string& value) {
  Put(scratch, bytes);
  profile::ClearCache();
  if (!profile::WriteString(kMemoSection, key.c_str(), value == "-" ? nullptr : value.c_str(), scratch))
    throw Error("the driver's own write failed");
  return Bytes(scratch);
}

void Race(const Setup& s) {
  std::string old = std::string("[") + kMemoSection + "]\r\n";
  for (int i = 0; i < 300; ++i) old += SeedKey(i) + "=older" + std::to_string(i) + "\r\n";
  Put(s.file, old);
  Process a(s.Worker({"keys", "a", "500"})), b(s.Worker({"keys", "b", "500"}));
  a.Finish("writer a"), b.Finish("writer b");
  profile::ClearCache();
  for (int i = 0; i < 1300; ++i) {
    const std::string key = i < 1000 ? (i < 500 ? "a" : "b") + std::to_string(i % 500) : SeedKey(i - 1000);
    const std::string want = i < 1000 ? "v" + key : "older" + std::to_string(i - 1000);
    if (profile::Read(kMemoSection, key, "", 64, s.file).text != want) throw Error("two writers lost " + key);
  }
  // A write in place into a held file, growing or shrinking it, cut off after some bytes.
  const fs::path scratch = s.folder / "scratch" / kMemoFileName;
  fs::remove_all(s.folder);
  fs::create_directories(scratch.parent_path());
  const std::string big(1000, 'o');
  old.insert(old.find('\n') + 1, "big=" + big + "\r\n");
  for (const std::string value : {std::string(2000, 'n'), std::string("-")}) {
    const std::string fresh = Written(scratch, old, "big", value);
    for (const size_t cut : {size_t{0}, size_t{1}, size_t{40}, fresh.size() / 2, fresh.size()}) {
      for (const bool write : {true, false}) {
        const std::string what = "cut after " + std::to_string(cut) + " of " + std::to_string(fresh.size()) +
                                 ", " + (write ? "write" : "read") + ": ";
        Put(s.file, old);
        Process(s.Worker({"cut", std::to_string(cut), "big", value})).Finish(what + "the cut");
        if (!fs::exists(s.file.string() + ".restore")) throw Error(what + "no copy kept beside the file");
        const std::string seen = Process(s.Worker(write ? std::vector<std::string>{"write", SeedKey(7), "after"}
                                                        : std::vector<std::string>{"read", "big"}))
                                     .Finish(what + "the next process");
        const std::string now = Bytes(s.file);
        const bool tookNew = now == (write ? Written(scratch, fresh, SeedKey(7), "after") : fresh);
        if (!tookNew && now != (write ? Written(scratch, old, SeedKey(7), "after") : old))
          throw Error(what + "the file is neither the old nor the new one");
        const std::string want = tookNew ? (value == "-" ? "(none)" : value) : big;
        if (!write && seen != want + "\n" && seen != want + "\r\n")
          throw Error(what + "the reader saw another value");
        for (const auto& entry : fs::directory_iterator(s.folder)) {
          if (entry.path() != s.file && entry.path() != scratch.parent_path())
            throw Error(what + "a file stays beside");
        }
      }
    }
  }
}

int Main(int argc, char** argv) {
  Setup s;
  int kills = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") s.command.assign(argv + i + 1, argv + argc), i = argc;
    if (arg == "--wine") s.wine = true;
    if (arg == "--kills" && i + 1 < argc) kills = std::atoi(argv[++i]);
  }
  std::string dir = (fs::temp_directory_path() / "mekuri-crash.XXXXXX").string();
  if (s.command.empty() || !mkdtemp(dir.data()))
    return std::fprintf(stderr, "usage: crash_driver [--kills N | --race] [--wine] -- <worker command>\n"), 2;
  s.folder = dir, s.file = s.folder / kMemoFileName;
  int kill = 0;
  try {
    if (kills == 0) return Race(s), fs::remove_all(dir), 0;
    Crasher crasher(s);
    std::mt19937 random(std::random_device{}());
    for (; kill < kills; ++kill)  // 2 to 300 ms, as many short waits as long ones
      crasher.Run(kill + 1, 2 * std::exp(std::uniform_real_distribution<double>(0, std::log(150.0))(random)));
    std::printf("%d kills, %d mid-write, %d temporary files cleared, %d starts repeated\n", kills,
                crasher.midWrite, crasher.temps, crasher.failedStarts);
  } catch (const std::exception& e) {
    return std::printf("FAIL at kill %d: %s\nthe folder stays: %s\n", kill + 1, e.what(), dir.c_str()), 1;
  }
  return fs::remove_all(dir), 0;
}

}  // namespace
}  // namespace mekuri::crash

int main(int argc, char** argv) { return mekuri::crash::Main(argc, argv); }
