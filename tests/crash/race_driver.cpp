// Two writers at once, and a writer that dies while it rewrites the file in
// place, each a crash worker process:   race_driver [--wine] -- <worker command>
// Two workers' 500 keys each, written at the same time, must all be there. A
// write in place into a held file (growing or shrinking it) cut off after N
// bytes must leave, after one more read or write by a fresh process, the old
// whole content or the new one with that write, and no copy beside it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash_values.h"
#include "platform/profile.h"
#include "worker_process.h"

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;

struct Worker {
  std::vector<std::string> command;  // up to the worker's step
  bool wine = false;
  fs::path folder;

  std::vector<std::string> Step(std::vector<std::string> step) const {
    step.insert(step.begin() + 1, WorkerPath(folder.string(), wine));
    step.insert(step.begin(), command.begin(), command.end());
    return step;
  }
  // Runs one step to its end; returns what it printed.
  std::string Run(const std::vector<std::string>& step) const {
    WorkerProcess process(Step(step), true);
    std::string said = process.ReadAll();
    process.ExpectSuccess("the worker's " + step[0]);
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

void TwoWriters(const Worker& worker) {
  const fs::path file = worker.folder / kMemoFileName;
  Put(file, std::string("[") + kMemoSection + "]\r\n" + Others());
  WorkerProcess a(worker.Step({"keys", "a", "500"}), false), b(worker.Step({"keys", "b", "500"}), false);
  a.ExpectSuccess("writer a");
  b.ExpectSuccess("writer b");
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

void TornWrites(const Worker& worker) {
  const fs::path file = worker.folder / kMemoFileName;
  const fs::path scratch = worker.folder / "scratch" / kMemoFileName;
  fs::create_directories(scratch.parent_path());
  const std::string big(1000, 'o');
  const std::string old = std::string("[") + kMemoSection + "]\r\nbig=" + big + "\r\n" + Others();
  int cases = 0;
  for (const std::string value : {std::string(2000, 'n'), std::string("-")}) {  // grows, shrinks
    const std::string fresh = Written(scratch, old, "big", value);
    const std::string freshValue = value == "-" ? "(none)" : value;
    for (const size_t cut : {size_t{0}, size_t{1}, size_t{40}, fresh.size() / 2, fresh.size()}) {
      for (const bool write : {true, false}) {
        const std::string what = "a write of " + std::to_string(fresh.size()) + " bytes cut after " +
                                 std::to_string(cut) + ", then a fresh " + (write ? "write" : "read");
        Put(file, old);
        worker.Run({"cut", std::to_string(cut), "big", value});
        if (!fs::exists(file.string() + ".restore")) throw std::runtime_error(what + ": no copy kept beside the file");
        const std::string seen = write ? worker.Run({"write", SeedKey(7), "after"}) : worker.Run({"read", "big"});
        const std::string now = Bytes(file);
        const bool keptOld = now == (write ? Written(scratch, old, SeedKey(7), "after") : old);
        const bool tookNew = now == (write ? Written(scratch, fresh, SeedKey(7), "after") : fresh);
        if (!keptOld && !tookNew) throw std::runtime_error(what + ": the file is neither the old nor the new one");
        const std::string want = tookNew ? freshValue : big;
        if (!write && seen != want + "\n" && seen != want + "\r\n") {
          throw std::runtime_error(what + ": the reader saw another value than the file holds");
        }
        for (const auto& entry : fs::directory_iterator(worker.folder)) {
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
  worker.folder = dir;
  try {
    TwoWriters(worker);
    fs::remove_all(dir);
    fs::create_directory(dir);
    TornWrites(worker);
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
