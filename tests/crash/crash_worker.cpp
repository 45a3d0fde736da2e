// Saves memos and writes the common list back, as fast as it can, until it is
// killed. It says "pid <id>" first, "ready" when the cipher library is loaded,
// then before each write "begin <op>" and after it "done <op>", so that the
// driver knows which writes finished and which one a kill cut off.
//
//   crash_worker <folder> <run>
//
// On Windows the memos go through QzlCmn.dll beside the worker, loaded as the
// program loads it; natively through the same algorithm, linked in.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "commonlist/common_store.h"
#include "crash_values.h"

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

}  // namespace
}  // namespace mekuri::crash

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  return mekuri::crash::Run(argv[1], static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)));
}
#else
int main(int argc, char** argv) {
  if (argc != 3) return 2;
  return mekuri::crash::Run(argv[1], static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
}
#endif
