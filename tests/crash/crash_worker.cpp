// crash_worker <folder> <run>: saves memos and the common list until killed, saying "pid <id>", "ready", then
// "begin <op>" and "done <op>" around each write. Single steps, exit code 0 when done as said: crash_worker <folder>
// keys <prefix> <count> | cut <bytes> <key> <value> (in place into a held file, stopping after <bytes>) | write <key>
// <value> | read <key> ("-" deletes)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "commonlist/common_store.h"
#include "crash_values.h"
#include "platform/profile.h"
#include "platform/profile_testing.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/cipher_library.h"
#else
#include <unistd.h>
#endif

namespace mekuri::crash {
namespace {

namespace fs = std::filesystem;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

#ifdef _WIN32
const CipherLibrary& Cipher() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return win::Cipher(fs::path(self).parent_path());
}
unsigned long ProcessId() { return GetCurrentProcessId(); }

// Another program's handle on the file, which will not let it be replaced.
struct Holder {
  explicit Holder(const fs::path& file)
      : h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                      nullptr)) {}
  ~Holder() { if (ok()) CloseHandle(h); }
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
  const HANDLE h;
};
#else
const CipherLibrary& Cipher() { return kNativeCipher; }
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

// A POSIX rename is never refused; the engine is told to act as if it were.
struct Holder {
  explicit Holder(const fs::path&) { profile::testing::SetRenameRefused(true); }
  ~Holder() { profile::testing::SetRenameRefused(false); }
  bool ok() const { return true; }
};
#endif

int Run(const fs::path& folder, unsigned run) {
  // First, so that a worker that ends before this line ran none of the program's code.
  Say("pid " + std::to_string(ProcessId()));
  const CipherLibrary& cipher = Cipher();
  if (!cipher) return Say("fail no cipher library"), 2;
  const fs::path file = folder / kMemoFileName;
  std::mt19937 random(run);
  Say("ready");
  for (unsigned write = 1;; ++write) {
    std::string op;
    SaveResult result;
    if (random() % 4 == 0) {
      // Often fewer than last time, so that items beyond the new end go in the same rewrite.
      const int count = static_cast<int>(random() % 101);
      std::vector<std::u16string> items;
      for (int i = 0; i < count; ++i) items.push_back(CommonItem(run, write, i));
      op = "common " + std::to_string(write) + " " + std::to_string(count);
      Say("begin " + op);
      result = SaveCommonList(file, cipher, items);
    } else {
      const std::string key = WorkerKey(static_cast<int>(random() % kWorkerKeys));
      const bool erase = random() % 6 == 0;
      op = "memo " + key + " " + std::to_string(write) + (erase ? " erase" : " save");
      Say("begin " + op);
      result = SaveMemoText(file, cipher, key, erase ? u"" : MemoText(key, run, write));
    }
    if (result != SaveResult::Saved) return Say("fail " + op), 1;
    Say("done " + op);
  }
}

int Step(const std::string& step, const fs::path& folder, const std::vector<std::string>& args) {
  const fs::path file = folder / kMemoFileName;
  if (step == "keys" && args.size() == 2) {
    profile::SetDurableWrites(false);  // the race is the point, not the disk
    for (int i = 0; i < std::atoi(args[1].c_str()); ++i) {
      const std::string key = args[0] + std::to_string(i);
      if (!profile::WriteString(kMemoSection, key.c_str(), ("v" + key).c_str(), file)) return 1;
    }
    return 0;
  }
  if ((step == "cut" && args.size() == 3) || (step == "write" && args.size() == 2)) {
    const bool cut = step == "cut";
    const std::string& key = args[cut ? 1 : 0];
    const std::string& value = args[cut ? 2 : 1];
    std::optional<Holder> holder;
    if (cut) {
      if (!holder.emplace(file).ok()) return 2;
      profile::testing::SetInPlaceCut(std::atoll(args[0].c_str()));
    }
    const bool wrote = profile::WriteString(kMemoSection, key.c_str(), value == "-" ? nullptr : value.c_str(),
                                            file);
    return wrote != cut ? 0 : 1;  // the cut write is one that did not finish
  }
  if (step != "read" || args.size() != 1) return 2;
  return Say(profile::Read(kMemoSection, args[0], "(none)", 4096, file).text), 0;
}

int Main(const std::vector<std::string>& args) {
  if (args.size() == 2) return Run(args[0], static_cast<unsigned>(std::strtoul(args[1].c_str(), nullptr, 10)));
  return args.size() < 3 ? 2 : Step(args[1], args[0], {args.begin() + 2, args.end()});
}

}  // namespace
}  // namespace mekuri::crash

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(std::filesystem::path(argv[i]).string());
  return mekuri::crash::Main(args);
}
#else
int main(int argc, char** argv) { return mekuri::crash::Main({argv + 1, argv + argc}); }
#endif
