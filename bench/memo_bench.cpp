// The memo store against kernel32's GetPrivateProfileStringA and
// WritePrivateProfileStringA doing the same reads and writes, on memo files of
// one, ten and a hundred years of daily memos: a grid build's presence probes,
// a save, the purge of every past memo, and the open-all scan. It measures and
// prints; it never fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "memo/memo_store.h"
#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;
using mekuri::Date;
constexpr const char* kSection = mekuri::kMemoSection;

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// Microseconds per call of run, repeated for at least budget seconds (and at
// most max_runs times) after one unmeasured call.
double Measure(const std::function<void()>& run, double budget, int max_runs = 1 << 30) {
  run();
  int runs = 0;
  const double start = Seconds();
  double elapsed = 0;
  do {
    run();
    ++runs;
    elapsed = Seconds() - start;
  } while (elapsed < budget && runs < max_runs);
  return elapsed / runs * 1e6;
}

double Once(const std::function<void()>& run) {
  const double start = Seconds();
  run();
  return (Seconds() - start) * 1e6;
}

// QzlCmn.dll from MEKURI_DIST, the program folder two levels above this
// build, or beside this exe.
mekuri::CipherLibrary LoadCipher(std::string& from) {
  using Entry = int32_t(__stdcall*)(const char*, int32_t, char*, int32_t*);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path exe_dir = fs::path(self).parent_path();
  std::vector<fs::path> folders;
  if (const wchar_t* dist = _wgetenv(L"MEKURI_DIST")) folders.emplace_back(dist);
  folders.push_back(exe_dir / ".." / ".." / "dist");
  folders.push_back(exe_dir);
  for (const fs::path& folder : folders) {
    const fs::path dll = (folder / "QzlCmn.dll").lexically_normal();
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module) continue;
    auto encipher = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "lQzlCmnCiphering")));
    auto decipher = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module, "lQzlCmnDeciphering")));
    if (!encipher || !decipher) continue;
    from = dll.string();
    return {encipher, decipher};
  }
  return {};
}

// A value of the cipher's shape and length for `plain` bytes, without it.
std::string LookAlike(int plain, uint32_t& state) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text(static_cast<size_t>(4 * ((plain + 9) / 3)), ' ');
  for (char& c : text) {
    state = state * 1664525u + 1013904223u;
    c = alphabet[(state >> 24) & 63];
  }
  return text;
}

// Writes the file as last changed a day ago: a file that new is read again by
// both engines at every call for a while (Wine's for 2.1 s).
void Save(const fs::path& file, const std::string& bytes) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= 864'000'000'000ull;
  const FILETIME old{t.LowPart, t.HighPart};
  SetFileTime(h, &old, &old, &old);
  CloseHandle(h);
}

Date Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return mekuri::DateFromYmd(now.wYear, now.wMonth, now.wDay);
}

struct MemoFile {
  std::string bytes;
  std::vector<std::string> keys;  // file order
};

// Memos on consecutive days ending yesterday, values of 40 to 200 characters,
// then the common list as the common-information window leaves it.
MemoFile MakeMemoFile(int memos, Date today) {
  MemoFile file;
  file.bytes = std::string("[") + kSection + "]\r\n";
  uint32_t state = 12345u + static_cast<uint32_t>(memos);
  for (Date d = today - memos; d < today; d = d + 1) {
    state = state * 1664525u + 1013904223u;
    const int plain = 20 + static_cast<int>((state >> 16) % 131);  // 40..200 enciphered
    file.keys.push_back(mekuri::MemoKey(d));
    file.bytes += file.keys.back() + "=" + LookAlike(plain, state) + "\r\n";
  }
  for (int i = 0; i < 5; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Common%03d", i);
    file.bytes += key + ("=" + LookAlike(30, state)) + "\r\n";
  }
  return file;
}

struct Row {
  int memos = 0;
  size_t bytes = 0;
  double probes_ours = 0, probes_platform = 0;  // microseconds per 92 probes
  double save_ours = 0, save_platform = 0;      // microseconds per save
  double purge_ours = 0, purge_platform = 0;    // microseconds, one run
  double purge_one_by_one = 0;                  // ours, a key at a time
  bool purge_one_by_one_estimated = false;
  bool purge_platform_estimated = false;
  bool purge_ok = false;
  double scan_ours = 0, scan_ours_by_key = 0, scan_platform = 0;
  int scan_platform_stride = 1;
  size_t scan_dates = 0;
};

// The 92 dates of one grid build: the month before, this month and the next.
std::vector<std::string> GridKeys(Date today) {
  const mekuri::Ymd ymd = mekuri::ToYmd(today);
  Date d = mekuri::DateFromYmd(ymd.month == 1 ? ymd.year - 1 : ymd.year, ymd.month == 1 ? 12 : ymd.month - 1, 1);
  std::vector<std::string> keys;
  for (int i = 0; i < 92; ++i, d = d + 1) keys.push_back(mekuri::MemoKey(d));
  return keys;
}

int found_sink = 0;  // keeps the probes from being optimised away

double ProbesOurs(const fs::path& file, const std::vector<Date>& dates) {
  return Measure(
      [&] {
        for (Date d : dates) found_sink += mekuri::MemoPresent(file, d);
      },
      0.3);
}

double ProbesPlatform(const std::string& file, const std::vector<std::string>& keys) {
  char buffer[4];
  return Measure(
      [&] {
        for (const std::string& key : keys) {
          found_sink += GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, 4, file.c_str()) >= 1;
        }
      },
      0.3);
}

// Deleting keys one at a time, timed over the first `cap` and, when that
// is not all, scaled to all of them. Each deletion rewrites the file, whose
// size falls linearly from `start_size` to `end_size` as the keys go, so the
// estimate scales the measured time by the mean size of the rest.
double OneByOne(const std::vector<std::string>& keys, size_t cap, size_t start_size, size_t end_size,
                const std::function<void(const std::string&)>& remove, bool& estimated) {
  const size_t n = std::min(cap, keys.size());
  const double start = Seconds();
  for (size_t i = 0; i < n; ++i) remove(keys[i]);
  const double spent = (Seconds() - start) * 1e6;
  estimated = n < keys.size();
  if (!estimated) return spent;
  const double per_byte_step = (static_cast<double>(start_size) - end_size) / keys.size();
  const double size_first = start_size - per_byte_step * n / 2.0;              // mean over the measured part
  const double size_rest = (start_size - per_byte_step * n + end_size) / 2.0;  // mean over the rest
  return spent + spent / n * (keys.size() - n) * (size_rest / size_first);
}

Row Run(const fs::path& folder, int memos, const mekuri::CipherLibrary& cipher) {
  const Date today = Today();
  const MemoFile memo = MakeMemoFile(memos, today);
  const fs::path ours = folder / ("ours_" + std::to_string(memos) + ".dat");
  const fs::path theirs_path = folder / ("theirs_" + std::to_string(memos) + ".dat");
  const std::string theirs = theirs_path.string();
  Save(ours, memo.bytes);
  Save(theirs_path, memo.bytes);
  Row row;
  row.memos = memos;
  row.bytes = memo.bytes.size();

  // (a) one grid build's presence probes.
  const std::vector<std::string> grid = GridKeys(today);
  std::vector<Date> grid_dates;
  for (const std::string& key : grid) grid_dates.push_back(*mekuri::ParseDateKey(key));
  row.probes_ours = ProbesOurs(ours, grid_dates);
  row.probes_platform = ProbesPlatform(theirs, grid);

  // (b) a changed memo of a day that has one, durably written.
  const std::string key = memo.keys[memo.keys.size() / 2];
  const std::u16string texts[2] = {u"10:00 企画会議（第二会議室）\r\n資料を十部印刷しておくこと。",
                                   u"10:30 企画会議に変更\r\n資料は八部、議事録は田中さん。"};
  std::string enciphered[2];
  uint32_t state = 99;
  for (int i = 0; i < 2; ++i) {
    std::optional<std::string> value = mekuri::EncipherText(cipher, texts[i]);
    enciphered[i] = value ? *value : LookAlike(60, state);
  }
  mekuri::profile::SetDurableWrites(true);
  int turn = 0;
  row.save_ours = Measure([&] { mekuri::SaveMemoText(ours, cipher, key, texts[turn++ & 1]); }, 0.5, 200);
  row.save_platform = Measure(
      [&] { WritePrivateProfileStringA(kSection, key.c_str(), enciphered[turn++ & 1].c_str(), theirs.c_str()); },
      0.5, 200);

  // (d) the open-all scan, before the purge empties the files.
  Save(ours, memo.bytes);
  Save(theirs_path, memo.bytes);
  row.scan_ours = Measure(
      [&] {
        const std::optional<std::string> bytes = mekuri::profile::ReadBytes(ours);
        row.scan_dates = bytes ? mekuri::AllMemoDates(*bytes).size() : 0;
      },
      0.3, 50);
  std::vector<char> list(1 << 20);
  auto listed_keys = [&](auto get) {
    std::vector<std::string> names;
    get(list.data(), static_cast<uint32_t>(list.size()));
    for (const char* p = list.data(); *p; p += std::strlen(p) + 1) names.emplace_back(p);
    return names;
  };
  row.scan_ours_by_key = Once([&] {
    const std::vector<std::string> names = listed_keys([&](char* buffer, uint32_t cap) {
      mekuri::profile::GetString(kSection, nullptr, "", buffer, cap, ours);
    });
    for (const std::string& name : names)
      found_sink += mekuri::profile::Read(kSection, name, "", 65536, ours).count > 0;
  });
  // The platform searches its keys one after another, so reading all of them
  // grows with the square of their number: above 4000 keys every n-th is read
  // and the time scaled.
  std::vector<char> value(65536);
  double listing = 0;
  std::vector<std::string> names;
  listing = Once([&] {
    names = listed_keys([&](char* buffer, uint32_t cap) {
      GetPrivateProfileStringA(kSection, nullptr, "", buffer, cap, theirs.c_str());
    });
  });
  row.scan_platform_stride = std::max<int>(1, static_cast<int>(names.size() / 4000));
  size_t sampled = 0;
  const double reading = Once([&] {
    for (size_t i = 0; i < names.size(); i += row.scan_platform_stride, ++sampled) {
      found_sink += GetPrivateProfileStringA(kSection, names[i].c_str(), "", value.data(), 65536,
                                             theirs.c_str()) > 0;
    }
  });
  row.scan_platform = listing + (sampled ? reading / sampled * names.size() : 0);

  // (c) the purge of every memo, all of them dated before today.
  Save(ours, memo.bytes);
  row.purge_ours = Once([&] { mekuri::DeletePastMemos(ours, today); });
  const std::optional<std::string> left = mekuri::profile::ReadBytes(ours);
  row.purge_ok = left && mekuri::AllMemoDates(*left).empty() && left->find("Common004=") != std::string::npos;
  const size_t end_size = left ? left->size() : 0;
  Save(ours, memo.bytes);
  row.purge_one_by_one = OneByOne(
      memo.keys, 200, memo.bytes.size(), end_size, [&](const std::string& k) { mekuri::RemoveMemo(ours, k); },
      row.purge_one_by_one_estimated);
  Save(theirs_path, memo.bytes);
  row.purge_platform = OneByOne(
      memo.keys, 500, memo.bytes.size(), end_size,
      [&](const std::string& k) { WritePrivateProfileStringA(kSection, k.c_str(), nullptr, theirs.c_str()); },
      row.purge_platform_estimated);
  return row;
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const fs::path folder = fs::path(temp) / ("mekuri_memo_bench_" + std::to_string(GetCurrentProcessId()));
  std::error_code ignored;
  fs::create_directories(folder, ignored);

  std::string from;
  const mekuri::CipherLibrary cipher = LoadCipher(from);
  if (cipher) {
    std::printf("cipher: %s\n", from.c_str());
  } else {
    std::printf("cipher: QzlCmn.dll not found (set MEKURI_DIST); saves are refused and time only the refusal\n");
  }

  // The same probes on a file that is not there.
  const std::vector<std::string> grid = GridKeys(Today());
  std::vector<Date> grid_dates;
  for (const std::string& key : grid) grid_dates.push_back(*mekuri::ParseDateKey(key));
  const double missing_ours = ProbesOurs(folder / "missing.dat", grid_dates);
  const double missing_platform = ProbesPlatform((folder / "missing.dat").string(), grid);

  std::vector<Row> rows;
  for (int memos : {365, 3650, 36500}) rows.push_back(Run(folder, memos, cipher));

  std::printf(
      "\nMemo store (ours) against kernel32's profile functions (platform) under Wine; ratio = platform / "
      "ours\n");
  std::printf("\n(a) one grid build: 92 presence probes, microseconds\n");
  std::printf("%7s %9s | %8s %10s %8s\n", "memos", "file KB", "ours", "platform", "ratio");
  std::printf("%7s %9s | %8.0f %10.0f %7.1fx\n", "missing", "-", missing_ours, missing_platform,
              missing_platform / missing_ours);
  for (const Row& r : rows) {
    std::printf("%7d %9.0f | %8.0f %10.0f %7.1fx   (against the missing file: ours %.1fx, platform %.1fx)\n",
                r.memos, r.bytes / 1024.0, r.probes_ours, r.probes_platform, r.probes_platform / r.probes_ours,
                r.probes_ours / missing_ours, r.probes_platform / missing_platform);
  }
  std::printf("    Under Wine a file that is not there costs more to look up than one that is.\n");
  std::printf(
      "\n(b) one save of an existing day's memo, microseconds (ours enciphers and writes durably; the\n"
      "    platform writes the enciphered value)\n");
  std::printf("%7s | %8s %10s %8s\n", "memos", "ours", "platform", "ratio");
  for (const Row& r : rows) {
    std::printf("%7d | %8.0f %10.0f %7.2fx\n", r.memos, r.save_ours, r.save_platform,
                r.save_platform / r.save_ours);
  }
  std::printf("\n(c) purge of every memo (all dated before today), one run, milliseconds\n");
  std::printf("%7s | %8s %16s %16s %8s\n", "memos", "ours", "ours key by key", "platform", "ratio");
  for (const Row& r : rows) {
    std::printf("%7d | %8.1f %15.0f%s %15.0f%s %7.0fx%s\n", r.memos, r.purge_ours / 1e3, r.purge_one_by_one / 1e3,
                r.purge_one_by_one_estimated ? "*" : " ", r.purge_platform / 1e3,
                r.purge_platform_estimated ? "*" : " ", r.purge_platform / r.purge_ours,
                r.purge_ok ? "" : "   (ours left memos behind!)");
  }
  std::printf(
      "    * estimated: the first 500 deletions (ours key by key, the old way: 200) timed and scaled\n"
      "      to all, allowing for the file shrinking as keys go\n");
  std::printf(
      "\n(d) open-all scan, milliseconds: ours reads the file and picks the memo keys; the platform lists\n"
      "    the keys (null key) and reads each value; 'ours by key' does that through our engine\n");
  std::printf("%7s | %8s %12s %10s %8s\n", "memos", "ours", "ours by key", "platform", "ratio");
  for (const Row& r : rows) {
    std::printf("%7d | %8.2f %12.1f %10.0f%s %7.0fx   (%zu dates)\n", r.memos, r.scan_ours / 1e3,
                r.scan_ours_by_key / 1e3, r.scan_platform / 1e3, r.scan_platform_stride > 1 ? "*" : " ",
                r.scan_platform / r.scan_ours, r.scan_dates);
  }
  std::printf("    * estimated: every %d-th value read and the time scaled to all\n",
              rows.empty() ? 1 : rows.back().scan_platform_stride);
  if (found_sink < 0) std::printf("?");
  if (!rows.empty()) {
    const Row& r = rows.back();
    const std::string n = r.memos == 36500 ? "36,500" : std::to_string(r.memos);
    mekuri::bench::Row("memo", "DeletePastMemos, " + n + " memos", r.purge_ours, "us", "kernel32, key by key",
                       r.purge_platform, r.purge_platform_estimated ? "kernel32 estimated from 500 keys" : "");
    mekuri::bench::Row("memo", "open-all scan, " + n + " memos", r.scan_ours, "us", "kernel32: list, read each",
                       r.scan_platform, r.scan_platform_stride > 1 ? "kernel32 estimated from a sample" : "");
    mekuri::bench::Row("memo", "92 presence probes, " + n + " memos", r.probes_ours, "us", "kernel32",
                       r.probes_platform);
    mekuri::bench::Row("memo", "save of one memo, " + n + " memos", r.save_ours, "us", "kernel32 (not flushed)",
                       r.save_platform);
  }
  fs::remove_all(folder, ignored);
  return 0;
}
