// Starts the crash worker on one folder, kills it with SIGKILL at a random
// moment, checks the memo file, and starts it again, so that every kill lands
// on what the kills before left. After each kill the file must read whole,
// every memo and the common list must hold what the last finished write or
// the cut-off one stored, none of the older memos may be gone, and a
// temporary file may stay only until the next worker's first write.
//
//   crash_driver [--kills N] [--seed S] [--wine] -- <worker command>
//
// The worker gets the folder and the run number as its last two arguments;
// --wine passes the folder as a Windows path. A worker that ends by itself
// is reported with its exit status and its last line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cipher/qzl_cipher.h"
#include "commonlist/common_store.h"
#include "crash_values.h"
#include "platform/profile.h"

extern char** environ;

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;
using Memo = std::optional<std::u16string>;  // nullopt: no memo under the key
using List = std::vector<std::u16string>;

const CipherLibrary kCipher{
    [](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
      return qzl::Encipher(in, length, qzl::Nonce{1, 2, 3}, out, *capacity);
    },
    [](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
      return qzl::Decipher(in, length, out, *capacity);
    }};

// What the last finished writes stored.
struct State {
  std::map<std::string, Memo> memos;
  List common;
};

// One write of the worker, as its "begin" and "done" lines name it.
struct Op {
  std::string line;
  std::optional<std::string> key;  // a memo's, or none for the common list
  Memo memo;
  List common;
};

Op ParseOp(const std::string& line, unsigned run) {
  Op op{line, {}, {}, {}};
  std::istringstream in(line);
  std::string kind, key, how;
  unsigned write = 0;
  int count = 0;
  in >> kind;
  if (kind == "memo" && in >> key >> write >> how) {
    op.key = key;
    if (how == "save") op.memo = MemoText(key, run, write);
  } else if (kind == "common" && in >> write >> count) {
    for (int i = 0; i < count; ++i) op.common.push_back(CommonItem(run, write, i));
  } else {
    throw std::runtime_error("the worker said \"" + line + "\"");
  }
  return op;
}

// Whether the write had anything to change: only then did the file get
// rewritten, and with it the first rewrite's clearing of temporary files.
bool Apply(const Op& op, State& state) {
  if (op.key) return std::exchange(state.memos[*op.key], op.memo) != op.memo;
  return std::exchange(state.common, op.common) != op.common;
}

std::string Show(const Memo& memo) { return memo ? "\"" + ToUtf8(*memo) + "\"" : "(none)"; }

struct Tally {
  int kills = 0, midWrite = 0, keptOld = 0, tookNew = 0, nothingToChange = 0, temps = 0, failedStarts = 0;
  long writes = 0;
};

using Lines = std::vector<std::pair<std::string, std::string>>;

// Checks the folder against the state and the cut-off write, then makes the
// state what the file holds. Throws what is wrong.
void Check(const fs::path& folder, const Lines& older, const std::optional<Op>& cut, unsigned long workerPid,
           bool wrote, std::set<unsigned long>& mayHaveTemps, State& state, Tally& tally) {
  const fs::path file = folder / kMemoFileName;
  const std::string tempPrefix = std::string(kMemoFileName) + ".";
  if (wrote) mayHaveTemps.clear();  // the first write removes what dead writers left
  if (cut) mayHaveTemps.insert(workerPid);
  // A killed writer's lock file goes once the system has closed its handles.
  const fs::path lock = file.string() + ".lock";
  for (int wait = 0; wait < 500 && fs::exists(lock); ++wait) usleep(10'000);
  std::map<unsigned long, int> temps;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name == kMemoFileName) continue;
    unsigned long pid = 0, serial = 0;
    char tail[8] = {};
    if (name.rfind(tempPrefix, 0) != 0 ||
        std::sscanf(name.c_str() + tempPrefix.size(), "%lu-%lu.%3s", &pid, &serial, tail) != 3 ||
        std::string(tail) != "tmp") {
      throw std::runtime_error("a stray file " + name);
    }
    if (!mayHaveTemps.count(pid) || ++temps[pid] > 1) {
      throw std::runtime_error("a temporary file left behind: " + name);
    }
    if (pid == workerPid) ++tally.temps;
  }

  // The file as bytes: the section, then whole "key=value" lines only.
  std::ifstream in(file, std::ios::binary);
  const std::optional<std::string> bytes =
      in ? std::optional<std::string>(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
  if (!bytes) throw std::runtime_error("the memo file is gone");
  const std::string header = std::string("[") + kMemoSection + "]\r\n";
  if (bytes->rfind(header, 0) != 0) {
    throw std::runtime_error("the memo file (" + std::to_string(bytes->size()) +
                             " bytes) does not start with its section");
  }
  std::map<std::string, std::string> keys;
  for (size_t at = header.size(); at < bytes->size();) {
    const size_t end = bytes->find("\r\n", at);
    const std::string line = bytes->substr(at, end == std::string::npos ? std::string::npos : end - at);
    const size_t eq = line.find('=');
    if (end == std::string::npos || eq == 0 || eq == std::string::npos || eq + 1 == line.size()) {
      throw std::runtime_error("a torn line at byte " + std::to_string(at) + ": " + line.substr(0, 60));
    }
    if (!keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) {
      throw std::runtime_error("a key twice: " + line.substr(0, eq));
    }
    at = end + 2;
  }

  // The engine lists the same keys, and every one is a key of ours.
  profile::ClearCache();
  std::string listed(bytes->size() + 2, '\0');
  listed.resize(profile::GetString(kMemoSection, nullptr, "", listed.data(),
                                   static_cast<uint32_t>(listed.size()), file));
  std::set<std::string> engineKeys;
  for (size_t at = 0; at < listed.size();) {
    const std::string name = listed.c_str() + at;
    engineKeys.insert(name);
    at += name.size() + 1;
  }
  std::set<std::string> fileKeys;
  for (const auto& line : keys) fileKeys.insert(line.first);
  if (engineKeys != fileKeys) throw std::runtime_error("the engine reads other keys than the file holds");
  int seeds = 0, workers = 0, commons = 0;
  for (int i = 0; i < kSeedMemos; ++i) seeds += keys.count(SeedKey(i));
  for (int i = 0; i < kWorkerKeys; ++i) workers += keys.count(WorkerKey(i));
  for (int i = 0; i < kCommonKeys; ++i) commons += keys.count(CommonKey(i));
  if (seeds != kSeedMemos) throw std::runtime_error(std::to_string(kSeedMemos - seeds) + " older memos lost");
  if (seeds + workers + commons != static_cast<int>(keys.size())) throw std::runtime_error("an unknown key");
  for (const auto& [key, value] : older) {
    if (keys[key] != value || profile::Read(kMemoSection, key, "", 256, file).text != value) {
      throw std::runtime_error("the older memo " + key + " changed");
    }
  }

  bool changed = false, landed = false;
  for (int i = 0; i < kWorkerKeys; ++i) {
    const std::string key = WorkerKey(i);
    const Memo before = state.memos[key];
    Memo now;
    if (keys.count(key)) {
      now = ReadMemoText(file, kCipher, key);
      if (now->empty()) throw std::runtime_error("the memo " + key + " does not decipher");
    }
    const bool isCut = cut && cut->key == key;
    if (isCut && cut->memo != before) {
      changed = true;
      landed = now == cut->memo;
    }
    if (now != before && !(isCut && now == cut->memo)) {
      throw std::runtime_error("the memo " + key + " holds " + Show(now) + ", not " + Show(before) +
                               (isCut ? " or " + Show(cut->memo) : ""));
    }
    state.memos[key] = now;
  }
  const List common = LoadCommonList(file, kCipher).items;
  if (commons != static_cast<int>(common.size())) throw std::runtime_error("the common list has gaps");
  const bool isCut = cut && !cut->key;
  if (isCut && cut->common != state.common) {
    changed = true;
    landed = common == cut->common;
  }
  if (common != state.common && !(isCut && common == cut->common)) {
    throw std::runtime_error("the common list holds " + std::to_string(common.size()) + " items starting " +
                             (common.empty() ? "(none)" : ToUtf8(common[0])) + ", not the last one written" +
                             (isCut ? " or the cut-off one" : ""));
  }
  state.common = common;
  if (cut) {
    ++tally.midWrite;
    if (!changed) ++tally.nothingToChange;
    else if (landed) ++tally.tookNew;
    else ++tally.keptOld;
  }
}

std::string Describe(int status) {
  if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

std::string LastLine(const std::string& said) {
  const size_t end = said.find_last_not_of("\r\n");
  if (end == std::string::npos) return "empty";
  const size_t newline = said.rfind('\n', end);
  const size_t begin = newline == std::string::npos ? 0 : newline + 1;
  return "\"" + said.substr(begin, end + 1 - begin) + "\"";
}

// A worker that ended by itself before its first line. It says that line
// before it touches the folder, so nothing of the program ran yet.
struct NotStarted : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs the worker until the kill; returns everything it said.
std::string RunAndKill(const std::vector<std::string>& command, double delayMs, unsigned long& pid) {
  int pipes[2];
  if (pipe2(pipes, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipes[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " + command[0]);

  // The delay counts from the worker's "ready", so that a slow start (Wine,
  // the cipher library) does not eat it.
  std::string said;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(30);
  bool started = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd fd{pipes[0], POLLIN, 0};
    if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) {
      if (started) break;
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      close(pipes[0]);
      throw std::runtime_error("the worker did not start: " + said);
    }
    char buffer[4096];
    const ssize_t n = read(pipes[0], buffer, sizeof buffer);
    if (n <= 0) break;  // it ended by itself; found below
    said.append(buffer, static_cast<size_t>(n));
    if (!started && (said.find("ready\n") != std::string::npos || said.find("ready\r\n") != std::string::npos)) {
      started = true;
      deadline = Clock::now() + std::chrono::microseconds(static_cast<long>(delayMs * 1000));
    }
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  // Whatever it wrote before it died is still in the pipe. Other processes
  // (Wine's) may hold the pipe open, so stop when it is empty.
  fcntl(pipes[0], F_SETFL, O_NONBLOCK);
  for (char buffer[4096];;) {
    const ssize_t n = read(pipes[0], buffer, sizeof buffer);
    if (n <= 0) break;
    said.append(buffer, static_cast<size_t>(n));
  }
  close(pipes[0]);
  if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
    const std::string what =
        "the worker ended by itself (" + Describe(status) + ") " +
        (said.empty() ? "having said nothing"
                      : "after " + std::to_string(std::count(said.begin(), said.end(), '\n')) +
                            " lines, the last " + LastLine(said));
    if (said.empty()) throw NotStarted(what);
    throw std::runtime_error(what);
  }
  if (std::sscanf(said.c_str(), "pid %lu", &pid) != 1) throw std::runtime_error("the worker gave no pid");
  return said;
}

// Under Wine a start now and then ends before the worker's first line, with
// exit code 1 and nothing on standard output or error (once in 600 starts
// beside other builds). The program never ran, so that is no kill: the
// folder must be untouched, and the worker is started again. Twice in a row
// is a fault, and natively every start must run.
std::string StartUntilItRuns(const std::vector<std::string>& command, double delayMs, bool wine,
                             unsigned long& pid, const std::function<void()>& checkUntouched) {
  for (int attempt = 1;; ++attempt) {
    try {
      return RunAndKill(command, delayMs, pid);
    } catch (const NotStarted& e) {
      if (!wine || attempt == 2) throw;
      checkUntouched();
      std::printf("crash: a start ended before the worker's first line (%s); the folder is untouched, "
                  "started again\n", e.what());
      std::fflush(stdout);
    }
  }
}

int Main(int argc, char** argv) {
  int kills = 300;
  unsigned seed = std::random_device{}();
  bool wine = false;
  std::vector<std::string> command;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--kills" && i + 1 < argc) kills = std::atoi(argv[++i]);
    else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (arg == "--wine") wine = true;
    else if (arg == "--") command.assign(argv + i + 1, argv + argc), i = argc;
  }
  if (command.empty()) {
    std::fprintf(stderr, "usage: crash_driver [--kills N] [--seed S] [--wine] -- <worker command>\n");
    return 2;
  }
  std::string dir = (fs::temp_directory_path() / "mekuri-crash.XXXXXX").string();
  if (!mkdtemp(dir.data())) return 2;
  const fs::path folder = dir;
  std::string workerFolder = folder.string();
  if (wine) {
    for (char& c : workerFolder) c = c == '/' ? '\\' : c;
    workerFolder = "Z:" + workerFolder;
  }
  std::printf("crash: %d kills, seed %u, folder %s\n", kills, seed, dir.c_str());
  std::fflush(stdout);

  // Older memos around the worker's keys; a rewrite of this many takes long
  // enough that kills land in the middle of it.
  Lines older;
  for (int i = 0; i < kSeedMemos; ++i) older.emplace_back(SeedKey(i), *EncipherText(kCipher, SeedText(i)));
  if (!profile::WriteKeys(kMemoSection, older, {}, folder / kMemoFileName)) return 2;

  std::mt19937 random(seed);
  State state;
  Tally tally;
  std::set<unsigned long> mayHaveTemps;
  const auto start = std::chrono::steady_clock::now();
  for (; tally.kills < kills; ++tally.kills) {
    const unsigned run = static_cast<unsigned>(tally.kills) + 1;
    // From 2 ms to 300 ms, as many short waits as long ones.
    const double delayMs = 2 * std::exp(std::uniform_real_distribution<double>(0, std::log(150.0))(random));
    std::vector<std::string> full = command;
    full.push_back(workerFolder);
    full.push_back(std::to_string(run));
    try {
      unsigned long pid = 0;
      std::istringstream said(StartUntilItRuns(full, delayMs, wine, pid, [&] {
        Check(folder, older, std::nullopt, 0, false, mayHaveTemps, state, tally);
        ++tally.failedStarts;
      }));
      std::optional<Op> cut;
      bool wrote = false;
      for (std::string line; std::getline(said, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("begin ", 0) == 0) {
          cut = ParseOp(line.substr(6), run);
        } else if (line.rfind("done ", 0) == 0) {
          if (!cut || cut->line != line.substr(5)) throw std::runtime_error("\"" + line + "\" out of turn");
          wrote = Apply(*cut, state) || wrote;
          cut.reset();
          ++tally.writes;
        } else if (line.rfind("pid ", 0) != 0 && line != "ready") {
          throw std::runtime_error("the worker said \"" + line + "\"");
        }
      }
      Check(folder, older, cut, pid, wrote, mayHaveTemps, state, tally);
    } catch (const std::exception& e) {
      std::printf("FAIL after kill %d of %d (seed %u, delay %.0f ms): %s\nthe folder stays: %s\n",
                  tally.kills + 1, kills, seed, delayMs, e.what(), dir.c_str());
      return 1;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "crash: %d kills in %.1f s, %d mid-write (a begin without a done): %d kept the old value, %d took the "
      "new one, %d had nothing to change; %ld writes finished; %d temporary files left by a kill, each gone "
      "after the next start's first write; %d starts ended before the worker ran and were repeated\n",
      tally.kills, seconds, tally.midWrite, tally.keptOld, tally.tookNew, tally.nothingToChange, tally.writes,
      tally.temps, tally.failedStarts);
  fs::remove_all(folder);
  return 0;
}

}  // namespace
}  // namespace mekuri::crash

int main(int argc, char** argv) { return mekuri::crash::Main(argc, argv); }
