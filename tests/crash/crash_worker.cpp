// Saves memos and writes the common list back, as fast as it can, until it is
// killed. It says "pid <id>" first, "ready" when the cipher library is loaded,
// then before each write "begin <op>" and after it "done <op>", so that the
// driver knows which writes finished and which one a kill cut off.
//
//   crash_worker <folder> <run>
//
// It also takes single steps for the driver of concurrent and torn writes
// (race_driver), each ending with exit code 0 when it did what it says:
//   crash_worker keys <folder> <prefix> <count>   writes <prefix>0.. one by one
//   crash_worker cut <folder> <bytes> <key> <value>
//       writes key=value (value "-" deletes) while another handle holds the
//       file, so that it goes in place, and stops after <bytes> bytes of it
//   crash_worker write <folder> <key> <value>     one write
//   crash_worker read <folder> <key>              prints the value
//
// On Windows the memos go through QzlCmn.dll beside the worker, loaded as the
// program loads it; natively through the same algorithm, linked in.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
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

#include "cipher/qzl_cipher.h"
#endif

namespace mekuri::crash {
namespace {

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

#ifdef _WIN32
const CipherLibrary& Cipher() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return win::Cipher(std::filesystem::path(self).parent_path());
}
unsigned long ProcessId() { return GetCurrentProcessId(); }
#else
const CipherLibrary& Cipher() {
  static std::mt19937 nonces{std::random_device{}()};
  static const CipherLibrary cipher{
      [](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
        const qzl::Nonce nonce{static_cast<uint8_t>(nonces()), static_cast<uint8_t>(nonces()),
                               static_cast<uint8_t>(nonces())};
        return qzl::Encipher(in, length, nonce, out, *capacity);
      },
      [](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
        return qzl::Decipher(in, length, out, *capacity);
      }};
  return cipher;
}
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
#endif

int Run(const std::filesystem::path& folder, unsigned run) {
  // First, so that a worker that ends before this line never ran any of
  // the program's code, the cipher library's included.
  Say("pid " + std::to_string(ProcessId()));
  const CipherLibrary& cipher = Cipher();
  if (!cipher) {
    Say("fail no cipher library");
    return 2;
  }
  const std::filesystem::path file = folder / kMemoFileName;
  std::mt19937 random(run);
  Say("ready");
  for (unsigned write = 1;; ++write) {
    std::string op;
    SaveResult result;
    if (random() % 4 == 0) {
      // Up to the full list, and often fewer than last time, so that stored
      // items beyond the new end have to go in the same rewrite.
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
    if (result != SaveResult::Saved) {
      Say("fail " + op);
      return 1;
    }
    Say("done " + op);
  }
}

// Another program's handle on the file, which will not let it be replaced.
class Holder {
 public:
#ifdef _WIN32
  explicit Holder(const std::filesystem::path& file)
      : h_(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr)) {}
  ~Holder() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
#else
  // A POSIX rename is never refused; the engine is told to act as if it were.
  explicit Holder(const std::filesystem::path&) { profile::testing::SetRenameRefused(true); }
  ~Holder() { profile::testing::SetRenameRefused(false); }
  bool ok() const { return true; }
#endif
};

int Step(const std::string& step, const std::filesystem::path& folder, const std::vector<std::string>& args) {
  const std::filesystem::path file = folder / kMemoFileName;
  if (step == "keys" && args.size() == 2) {
    const int count = std::atoi(args[1].c_str());
    profile::SetDurableWrites(false);  // the race is the point, not the disk
    for (int i = 0; i < count; ++i) {
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
      holder.emplace(file);
      if (!holder->ok()) return 2;
      profile::testing::SetInPlaceCut(std::atoll(args[0].c_str()));
    }
    const bool wrote = profile::WriteString(kMemoSection, key.c_str(), value == "-" ? nullptr : value.c_str(), file);
    return wrote != cut ? 0 : 1;  // the cut write is one that did not finish
  }
  if (step == "read" && args.size() == 1) {
    Say(profile::Read(kMemoSection, args[0], "(none)", 4096, file).text);
    return 0;
  }
  return 2;
}

}  // namespace
}  // namespace mekuri::crash

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  if (argc == 3) return mekuri::crash::Run(argv[1], static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)));
  if (argc < 4) return 2;
  std::vector<std::string> args;
  for (int i = 3; i < argc; ++i) args.push_back(std::filesystem::path(argv[i]).string());
  return mekuri::crash::Step(std::filesystem::path(argv[1]).string(), argv[2], args);
}
#else
int main(int argc, char** argv) {
  if (argc == 3) return mekuri::crash::Run(argv[1], static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
  if (argc < 4) return 2;
  return mekuri::crash::Step(argv[1], argv[2], std::vector<std::string>(argv + 3, argv + argc));
}
#endif
