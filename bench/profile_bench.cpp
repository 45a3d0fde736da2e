// The profile engine against kernel32's GetPrivateProfileStringA and
// WritePrivateProfileStringA on memo files of growing size: the presence
// probes of one calendar build, and one changed memo. It measures and prints;
// it never fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/profile.h"
#include "platform/profile_file.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kSection = "Mekurinote";

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

// Microseconds per call of run, repeated for at least budget seconds (and
// at most max_runs times) after one unmeasured call.
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

struct Day {
  int year, month, day;
};

int DaysIn(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

Day Next(Day d) {
  if (++d.day > DaysIn(d.year, d.month)) {
    d.day = 1;
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  return d;
}

std::string Key(const Day& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", d.year, d.month, d.day);
  return text;
}

// Forty printable characters, as an enciphered memo looks.
std::string Cipher(uint32_t& state) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text(40, ' ');
  for (char& c : text) {
    state = state * 1664525u + 1013904223u;
    c = alphabet[(state >> 24) & 63];
  }
  return text;
}

// Writes the file as last changed a day ago: a file that new stamps it is
// read again by both engines, Wine's for 2.1 s, ours for 50 ms.
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

struct Row {
  int keys;
  double grid_ours, grid_platform;              // file unchanged for a day
  double after_save_ours, after_save_platform;  // the build that follows a save
  double write_fast, write_durable, write_platform;
};

// Microseconds per build right after a save, for at least budget seconds.
double AfterSave(const std::function<void()>& save, const std::function<void()>& build, double budget) {
  double spent = 0;
  int runs = 0;
  const double start = Seconds();
  do {
    save();
    const double t = Seconds();
    build();
    spent += Seconds() - t;
    ++runs;
  } while (Seconds() - start < budget && runs < 50);
  return spent / runs * 1e6;
}

Row Run(const fs::path& folder, int keys) {
  const fs::path ours = folder / ("ours_" + std::to_string(keys) + ".dat");
  const std::string theirs = (folder / ("theirs_" + std::to_string(keys) + ".dat")).string();
  // Memos on consecutive days from 1950 on, then one common-information item.
  const Day first{1950, 1, 1};
  std::string bytes = std::string("[") + kSection + "]\r\n";
  uint32_t state = 12345;
  Day d = first;
  for (int i = 0; i < keys; ++i, d = Next(d)) bytes += Key(d) + "=" + Cipher(state) + "\r\n";
  bytes += "Common000=" + Cipher(state) + "\r\n";
  Save(ours, bytes);
  Save(theirs, bytes);

  // One calendar build: 92 days from the first of the month before the
  // middle of the memos' range.
  Day middle = first;
  for (int i = 0; i < keys / 2; ++i) middle = Next(middle);
  Day probe{middle.month == 1 ? middle.year - 1 : middle.year, middle.month == 1 ? 12 : middle.month - 1, 1};
  std::vector<std::string> grid;
  for (int i = 0; i < 92; ++i, probe = Next(probe)) grid.push_back(Key(probe));
  const std::string changed = keys > 0 ? Key(middle) : "Common000";

  char buffer[4];
  int found = 0;
  auto grid_ours = [&] {
    for (const std::string& key : grid)
      found += mekuri::profile::GetString(kSection, key.c_str(), "", buffer, 4, ours) > 0;
  };
  auto grid_platform = [&] {
    for (const std::string& key : grid)
      found += GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, 4, theirs.c_str()) > 0;
  };
  Row row{keys, 0, 0, 0, 0, 0, 0, 0};
  row.grid_ours = Measure(grid_ours, 0.3);
  row.grid_platform = Measure(grid_platform, 0.3);

  const std::string values[2] = {Cipher(state), Cipher(state)};
  int turn = 0;
  auto write_ours = [&] {
    mekuri::profile::WriteString(kSection, changed.c_str(), values[turn++ & 1].c_str(), ours);
  };
  auto write_platform = [&] {
    WritePrivateProfileStringA(kSection, changed.c_str(), values[turn++ & 1].c_str(), theirs.c_str());
  };
  mekuri::profile::SetDurableWrites(false);
  row.write_fast = Measure(write_ours, 0.4, 400);
  mekuri::profile::SetDurableWrites(true);
  row.write_durable = Measure(write_ours, 0.4, 400);
  row.write_platform = Measure(write_platform, 0.4, 400);
  mekuri::profile::SetDurableWrites(false);
  row.after_save_ours = AfterSave(write_ours, grid_ours, 0.3);
  row.after_save_platform = AfterSave(write_platform, grid_platform, 1.0);
  mekuri::profile::SetDurableWrites(true);
  if (found < 0) std::printf("?");  // keeps the probes from being optimised away
  return row;
}

// What one freshness check costs: the path's attributes, or opening the file.
void StampCosts(const fs::path& file) {
  const double by_path = Measure(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
      },
      0.2);
  const double by_handle = Measure(
      [&] {
        HANDLE h = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
      },
      0.2);
  std::printf(
      "freshness check: GetFileAttributesExW %.1f us, open + GetFileInformationByHandle + close %.1f us "
      "(%.1fx)\n",
      by_path, by_handle, by_handle / by_path);
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const fs::path folder = fs::path(temp) / ("mekuri_profile_bench_" + std::to_string(GetCurrentProcessId()));
  std::error_code ignored;
  fs::create_directories(folder, ignored);

  std::vector<Row> rows;
  for (int keys : {0, 365, 3650, 36500}) rows.push_back(Run(folder, keys));

  std::printf(
      "\nProfile engine (ours) against kernel32 (platform) under Wine; microseconds per grid build or\n"
      "write; ratio = platform / ours\n\n");
  std::printf("%6s | %-31s | %-31s | %-49s\n", "", "grid build, file a day old", "grid build right after a save",
              "one write (an existing key's value changes)");
  std::printf("%6s | %8s %10s %10s | %8s %10s %10s | %9s %9s %9s %9s %8s\n", "keys", "ours", "platform", "ratio",
              "ours", "platform", "ratio", "ours", "ours dur.", "platform", "ratio", "r. dur.");
  for (const Row& r : rows) {
    std::printf("%6d | %8.0f %10.0f %9.1fx | %8.0f %10.0f %9.1fx | %9.0f %9.0f %9.0f %8.2fx %7.2fx\n", r.keys,
                r.grid_ours, r.grid_platform, r.grid_platform / r.grid_ours, r.after_save_ours,
                r.after_save_platform, r.after_save_platform / r.after_save_ours, r.write_fast, r.write_durable,
                r.write_platform, r.write_platform / r.write_fast, r.write_platform / r.write_durable);
  }
  std::printf(
      "\n92 probes of cap 4 per build. ours: durable writes off; ours dur.: the temporary file is flushed\n"
      "before it replaces the old one. The platform rereads a file for 2.1 s after it changes.\n");
  StampCosts(folder / "ours_36500.dat");
  const Row& big = rows.back();
  mekuri::bench::Row("profile", "92 probes just after a save, 36,500 keys", big.after_save_ours, "us", "kernel32",
                     big.after_save_platform);
  mekuri::bench::Row("profile", "one write, flushed, 36,500 keys", big.write_durable, "us",
                     "kernel32 (not flushed)", big.write_platform);
  // What serialising writers across processes adds to every write.
  const fs::path locked = folder / "ours_365.dat";
  const double lock = Measure([&] { mekuri::profile::detail::FileLock turn(locked); }, 0.3);
  std::printf("write lock (lock file taken and let go): %.1f us\n", lock);
  mekuri::bench::Row("profile", "write lock taken and let go", lock, "us", "one write, flushed, 365 keys",
                     rows[1].write_durable);
  fs::remove_all(folder, ignored);
  return 0;
}
