// Starts the crash worker on one folder, kills it with SIGKILL at a random
// moment, checks the memo file, and starts it again, so that every kill lands
// on what the kills before left. After each kill the file must read whole,
// every memo and the common list must hold what the last finished write or
// the cut-off one stored, none of the older memos may be gone, and a
// temporary file may stay only until the next worker's first write.
//   crash_driver [--kills N] [--wine] -- <worker command>
// The worker gets the folder (under --wine a Windows path) and the run number.
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
#include "worker_process.h"

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;
using Error = std::runtime_error;
using Memo = std::optional<std::u16string>;  // nullopt: no memo under the key
using List = std::vector<std::u16string>;

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
  if (in >> kind && kind == "memo" && in >> key >> write >> how) {
    op.key = key;
    if (how == "save") op.memo = MemoText(key, run, write);
  } else if (kind == "common" && in >> write >> count) {
    for (int i = 0; i < count; ++i) op.common.push_back(CommonItem(run, write, i));
  } else {
    throw Error("the worker said \"" + line + "\"");
  }
  return op;
}

std::string Show(const Memo& memo) { return memo ? "\"" + ToUtf8(*memo) + "\"" : "(none)"; }

// A worker that ended by itself before its first line, which it says before
// it touches the folder: nothing of the program ran yet.
struct NotStarted : Error {
  using Error::Error;
};

// Runs the worker until the kill; returns everything it said and its pid.
std::pair<std::string, unsigned long> RunAndKill(const std::vector<std::string>& command, double delayMs) {
  WorkerProcess worker(command, true);
  // The delay counts from the worker's "ready", so that a slow start (Wine,
  // the cipher library) does not eat it.
  std::string said;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(30);
  for (bool started = false;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int got = left > 0 ? worker.Read(static_cast<int>(left), said) : 0;
    if (got < 0 || (got == 0 && started)) break;  // it ended by itself (found below), or the kill is due
    if (got == 0) throw Error("the worker did not start: " + said);
    if (!started && said.find("\nready") != std::string::npos) {
      started = true;
      deadline = Clock::now() + std::chrono::microseconds(static_cast<long>(delayMs * 1000));
    }
  }
  worker.Kill();
  const int status = worker.Wait();
  while (worker.Read(0, said) > 0) {  // what it wrote before it died
  }
  if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
    const std::string what = "the worker ended by itself (wait status " + std::to_string(status) + ") having said \"" +
                             said.substr(said.size() > 300 ? said.size() - 300 : 0) + "\"";
    if (said.empty()) throw NotStarted(what);
    throw Error(what);
  }
  unsigned long pid = 0;
  if (std::sscanf(said.c_str(), "pid %lu", &pid) != 1) throw Error("the worker gave no pid");
  return {said, pid};
}

class Crasher {
 public:
  explicit Crasher(fs::path folder) : folder_(std::move(folder)), file_(folder_ / kMemoFileName) {
    // Older memos around the worker's keys; a rewrite of this many takes long
    // enough that kills land in the middle of it.
    for (int i = 0; i < kSeedMemos; ++i) older_.emplace_back(SeedKey(i), *EncipherText(kNativeCipher, SeedText(i)));
    if (!profile::WriteKeys(kMemoSection, older_, {}, file_)) throw Error("cannot write the older memos");
  }

  // One start of the worker, killed after delayMs.
  void Run(const std::vector<std::string>& command, unsigned run, double delayMs, bool wine) {
    std::pair<std::string, unsigned long> said;
    // Under Wine a start now and then ends before the worker's first line,
    // with exit code 1 and nothing said (once in 600 starts beside other
    // builds). The program never ran, so that is no kill: the folder must be
    // untouched and the worker starts again. Twice in a row is a fault, and
    // natively every start must run.
    for (int attempt = 1; said.first.empty(); ++attempt) {
      try {
        said = RunAndKill(command, delayMs);
      } catch (const NotStarted& e) {
        if (!wine || attempt == 2) throw;
        Check(std::nullopt, 0, false);
        ++failedStarts;
        std::printf("crash: %s; the folder is untouched, started again\n", e.what());
      }
    }
    std::istringstream lines(said.first);
    std::optional<Op> cut;
    bool wrote = false;
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("begin ", 0) == 0) {
        cut = ParseOp(line.substr(6), run);
      } else if (line.rfind("done ", 0) == 0) {
        if (!cut || cut->line != line.substr(5)) throw Error("\"" + line + "\" out of turn");
        // Only a write that changed something rewrote the file, and with it
        // cleared the temporary files.
        wrote = (cut->key ? std::exchange(memos_[*cut->key], cut->memo) != cut->memo
                          : std::exchange(common_, cut->common) != cut->common) || wrote;
        cut.reset();
        ++writes;
      } else if (line.rfind("pid ", 0) != 0 && line != "ready") {
        throw Error("the worker said \"" + line + "\"");
      }
    }
    Check(cut, said.second, wrote);
  }

  int midWrite = 0, keptOld = 0, tookNew = 0, nothingToChange = 0, temps = 0, failedStarts = 0;
  long writes = 0;

 private:
  // Checks the folder against what the finished writes stored and the cut-off
  // one, then takes what the file holds as stored. Throws what is wrong.
  void Check(const std::optional<Op>& cut, unsigned long workerPid, bool wrote) {
    if (wrote) mayHaveTemps_.clear();  // the first write removes what dead writers left
    if (cut) mayHaveTemps_.insert(workerPid);
    CheckTemps(workerPid);
    const std::map<std::string, std::string> keys = ReadWhole();
    int seeds = 0, workers = 0, commons = 0;
    for (int i = 0; i < kSeedMemos; ++i) seeds += keys.count(SeedKey(i));
    for (int i = 0; i < kWorkerKeys; ++i) workers += keys.count(WorkerKey(i));
    for (int i = 0; i < kCommonKeys; ++i) commons += keys.count(CommonKey(i));
    if (seeds != kSeedMemos) throw Error(std::to_string(kSeedMemos - seeds) + " older memos lost");
    if (seeds + workers + commons != static_cast<int>(keys.size())) throw Error("an unknown key");
    for (const auto& [key, value] : older_) {
      if (keys.at(key) != value || profile::Read(kMemoSection, key, "", 256, file_).text != value) {
        throw Error("the older memo " + key + " changed");
      }
    }
    bool changed = false, landed = false;
    for (int i = 0; i < kWorkerKeys; ++i) {
      const std::string key = WorkerKey(i);
      const Memo before = memos_[key];
      const Memo now = keys.count(key) ? Memo(ReadMemoText(file_, kNativeCipher, key)) : std::nullopt;
      if (now && now->empty()) throw Error("the memo " + key + " does not decipher");
      const bool isCut = cut && cut->key == key;
      if (isCut && cut->memo != before) changed = true, landed = now == cut->memo;
      if (now != before && !(isCut && now == cut->memo)) {
        throw Error("the memo " + key + " holds " + Show(now) + ", not " + Show(before) +
                    (isCut ? " or " + Show(cut->memo) : ""));
      }
      memos_[key] = now;
    }
    const List common = LoadCommonList(file_, kNativeCipher).items;
    if (commons != static_cast<int>(common.size())) throw Error("the common list has gaps");
    const bool isCut = cut && !cut->key;
    if (isCut && cut->common != common_) changed = true, landed = common == cut->common;
    if (common != common_ && !(isCut && common == cut->common)) {
      throw Error("the common list holds " + std::to_string(common.size()) + " items, not the last ones written" +
                  (isCut ? " or the cut-off ones" : ""));
    }
    common_ = common;
    if (cut) ++midWrite, ++(!changed ? nothingToChange : landed ? tookNew : keptOld);
  }

  // Beside the memo file, at most one temporary file of each writer killed
  // since the last rewrite.
  void CheckTemps(unsigned long workerPid) {
    // A killed writer's lock file goes once the system has closed its handles.
    const fs::path lock = file_.string() + ".lock";
    for (int wait = 0; wait < 500 && fs::exists(lock); ++wait) usleep(10'000);
    const std::string tempPrefix = std::string(kMemoFileName) + ".";
    std::map<unsigned long, int> perPid;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (name == kMemoFileName) continue;
      unsigned long pid = 0, serial = 0;
      char tail[8] = {};
      if (name.rfind(tempPrefix, 0) != 0 ||
          std::sscanf(name.c_str() + tempPrefix.size(), "%lu-%lu.%3s", &pid, &serial, tail) != 3 ||
          std::string(tail) != "tmp") {
        throw Error("a stray file " + name);
      }
      if (!mayHaveTemps_.count(pid) || ++perPid[pid] > 1) throw Error("a temporary file left behind: " + name);
      temps += pid == workerPid;
    }
  }

  // The file as bytes: the section, then whole "key=value" lines, each key
  // once, and the engine lists the same keys.
  std::map<std::string, std::string> ReadWhole() const {
    std::ifstream in(file_, std::ios::binary);
    if (!in) throw Error("the memo file is gone");
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::string header = std::string("[") + kMemoSection + "]\r\n";
    if (bytes.rfind(header, 0) != 0) throw Error("the memo file does not start with its section");
    std::map<std::string, std::string> keys;
    for (size_t at = header.size(), end; at < bytes.size(); at = end + 2) {
      end = bytes.find("\r\n", at);
      const std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
      const size_t eq = line.find('=');
      if (end == std::string::npos || eq == 0 || eq == std::string::npos || eq + 1 == line.size()) {
        throw Error("a torn line at byte " + std::to_string(at) + ": " + line.substr(0, 60));
      }
      if (!keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) throw Error("a key twice: " + line);
    }
    profile::ClearCache();
    std::string listed(bytes.size() + 2, '\0');
    listed.resize(profile::GetString(kMemoSection, nullptr, "", listed.data(), static_cast<uint32_t>(listed.size()),
                                     file_));
    std::set<std::string> engineKeys, fileKeys;
    for (size_t at = 0; at < listed.size(); at += engineKeys.insert(listed.c_str() + at).first->size() + 1) {
    }
    for (const auto& line : keys) fileKeys.insert(line.first);
    if (engineKeys != fileKeys) throw Error("the engine reads other keys than the file holds");
    return keys;
  }

  fs::path folder_, file_;
  std::vector<std::pair<std::string, std::string>> older_;
  std::map<std::string, Memo> memos_;  // what the finished writes stored
  List common_;
  std::set<unsigned long> mayHaveTemps_;
};

int Main(int argc, char** argv) {
  int kills = 300;
  bool wine = false;
  std::vector<std::string> command;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--kills" && i + 1 < argc) kills = std::atoi(argv[++i]);
    else if (arg == "--wine") wine = true;
    else if (arg == "--") command.assign(argv + i + 1, argv + argc), i = argc;
  }
  std::string dir = (fs::temp_directory_path() / "mekuri-crash.XXXXXX").string();
  if (command.empty() || !mkdtemp(dir.data())) {
    std::fprintf(stderr, "usage: crash_driver [--kills N] [--wine] -- <worker command>\n");
    return 2;
  }
  command.push_back(WorkerPath(dir, wine));
  std::printf("crash: %d kills, folder %s\n", kills, dir.c_str());
  std::fflush(stdout);
  std::mt19937 random(std::random_device{}());
  const auto start = std::chrono::steady_clock::now();
  int kill = 0;
  double delayMs = 0;
  try {
    Crasher crasher(dir);
    for (; kill < kills; ++kill) {
      // From 2 ms to 300 ms, as many short waits as long ones.
      delayMs = 2 * std::exp(std::uniform_real_distribution<double>(0, std::log(150.0))(random));
      std::vector<std::string> full = command;
      full.push_back(std::to_string(kill + 1));
      crasher.Run(full, kill + 1, delayMs, wine);
    }
    const Crasher& c = crasher;
    std::printf(
        "crash: %d kills in %.1f s, %d mid-write (a begin without a done): %d kept the old value, %d took the "
        "new one, %d had nothing to change; %ld writes finished; %d temporary files left by a kill, each gone "
        "after the next start's first write; %d starts ended before the worker ran and were repeated\n",
        kills, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), c.midWrite,
        c.keptOld, c.tookNew, c.nothingToChange, c.writes, c.temps, c.failedStarts);
  } catch (const std::exception& e) {
    std::printf("FAIL after kill %d of %d (delay %.0f ms): %s\nthe folder stays: %s\n", kill + 1, kills, delayMs,
                e.what(), dir.c_str());
    return 1;
  }
  fs::remove_all(dir);
  return 0;
}

}  // namespace
}  // namespace mekuri::crash

int main(int argc, char** argv) { return mekuri::crash::Main(argc, argv); }
