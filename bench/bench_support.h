#pragma once
// What the start-up and window benchmarks share: the clock, repeated timing,
// the cipher library, memo files as the program writes them, and the result
// lines scripts/bench.sh gathers into its table.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "memo/memo_store.h"

namespace mekuri::bench {

namespace fs = std::filesystem;

inline double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// The median of microseconds per call of run: after one unmeasured call,
// calls until budget seconds are spent (at least min_runs, at most max_runs).
// The median keeps one slow redraw of the X server from moving the figure.
inline double Measure(const std::function<void()>& run, double budget, int min_runs = 5, int max_runs = 400) {
  run();
  std::vector<double> times;
  const double start = Seconds();
  while (static_cast<int>(times.size()) < max_runs &&
         (static_cast<int>(times.size()) < min_runs || Seconds() - start < budget)) {
    const double t = Seconds();
    run();
    times.push_back((Seconds() - t) * 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The built program folder: MEKURI_DIST, or dist\ two levels above this exe
// (build\<dir>\x.exe) or three (build\<dir>\<sub>\x.exe).
inline fs::path DistFolder() {
  if (const wchar_t* dist = _wgetenv(L"MEKURI_DIST")) return dist;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  fs::path dir = fs::path(self).parent_path();
  for (int up = 0; up < 4; ++up, dir = dir.parent_path()) {
    if (fs::exists(dir / "dist" / "QzlCmn.dll")) return (dir / "dist").lexically_normal();
  }
  return fs::path(self).parent_path();
}

inline fs::path SelfFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path();
}

// QzlCmn.dll of the program folder, loaded as the program loads it.
inline CipherLibrary LoadCipher(const fs::path& folder) {
  using Entry = int32_t(__stdcall*)(const char*, int32_t, char*, int32_t*);
  HMODULE module = LoadLibraryW((folder / "QzlCmn.dll").c_str());
  if (!module) return {};
  auto encipher = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "lQzlCmnCiphering")));
  auto decipher = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "lQzlCmnDeciphering")));
  if (!encipher || !decipher) return {};
  return {encipher, decipher};
}

inline Date Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateFromYmd(now.wYear, now.wMonth, now.wDay);
}

// A memo of 10 to 120 characters, some of them on two lines.
inline std::u16string MemoText(uint32_t& state) {
  static const char16_t words[][8] = {u"会議",     u"資料",       u"打合せ", u"通院",  u"買い物",
                                      u"誕生日",   u"締切",       u"出張",   u"10:00", u"15:30",
                                      u"田中さん", u"第二会議室", u"電話",   u"振込",  u"予約"};
  state = state * 1664525u + 1013904223u;
  const size_t length = 10 + (state >> 16) % 111;
  std::u16string text;
  while (text.size() < length) {
    state = state * 1664525u + 1013904223u;
    text += words[(state >> 16) % (sizeof words / sizeof words[0])];
    text += (state >> 8) % 7 == 0 ? u"\r\n" : u" ";
  }
  return text;
}

// The memo file as the program leaves it: `memos` daily memos on the days
// before `end` (with `end` itself when include_end), then `commons` items of
// the common list. Values are enciphered by the library when there is one.
inline std::string MakeMemoFile(const CipherLibrary& cipher, int memos, Date end, bool include_end, int commons,
                                std::vector<std::string>* keys = nullptr) {
  std::string bytes = std::string("[") + kMemoSection + "]\r\n";
  uint32_t state = 12345u + static_cast<uint32_t>(memos);
  const Date first = end - memos + (include_end ? 1 : 0);
  for (Date d = first; d < first + memos; d = d + 1) {
    std::optional<std::string> value = EncipherText(cipher, MemoText(state));
    const std::string key = MemoKey(d);
    bytes.append(key).append("=").append(value ? *value : std::string(120, 'A')).append("\r\n");
    if (keys) keys->push_back(key);
  }
  for (int i = 0; i < commons; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Common%03d", i);
    std::optional<std::string> value = EncipherText(cipher, u"共通 " + MemoText(state).substr(0, 20));
    bytes.append(key).append("=").append(value ? *value : std::string(60, 'A')).append("\r\n");
  }
  return bytes;
}

// Writes the file stamped a day ago, as a file the user has not touched
// today: no engine rereads it for being just changed.
inline bool WriteDayOld(const fs::path& file, const std::string& bytes) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= 864'000'000'000ull;
  const FILETIME old{t.LowPart, t.HighPart};
  SetFileTime(h, &old, &old, &old);
  CloseHandle(h);
  return ok;
}

// One line of the summary table: a figure and the reference it is read
// against, in the same unit (us, MB, count). scripts/bench.sh picks these
// lines out of the output and works out the ratio.
inline void Row(const char* group, const std::string& label, double value, const char* unit,
                const std::string& reference, double reference_value, const std::string& note = "") {
  std::printf("@row|%s|%s|%.6g|%s|%s|%.6g|%s\n", group, label.c_str(), value, unit, reference.c_str(),
              reference_value, note.c_str());
  std::fflush(stdout);
}

}  // namespace mekuri::bench
