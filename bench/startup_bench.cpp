// Start-up of the program against a plain Win32 window started the same way:
// each copied into a fresh folder and started with CreateProcess, timed until
// its windows are shown and its thread has reached the message loop (it
// answers a sent WM_NULL). The program runs once with an empty folder, as on
// the first day, and once beside a settings file and a memo file of a hundred
// years of daily memos. The child's memory is read at that moment. Medians
// of BENCH_STARTUP_RUNS runs (7 by default). It measures and prints; it never
// fails.
//   startup_bench             the benchmark
//   startup_bench prepare DIR writes the settings and memo files into DIR
#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using namespace mekuri::bench;

constexpr int kMemoCount = 36500;       // a hundred years of daily memos
constexpr DWORD kExitCommand = 0xCFFF;  // the tray menu's "終了する"

std::string Cp932(const std::wstring& text) {
  const int n = WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring UserName() {
  wchar_t name[257];
  DWORD size = 257;
  return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

// A settings file as a user keeps it: a saved position, the year's holidays
// and three daily messages, set hours away from now so that none comes up
// while the benchmark runs.
std::string SettingsFile() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring text = L"[Mekurinote]\r\nStartX=9000\r\nStartY=600\r\n";
  const wchar_t* rules[] = {L"01/01", L"01:2:2", L"02/11", L"02/23",  L"03/20", L"04/29",  L"05/03", L"05/04",
                            L"05/05", L"07:3:2", L"08/11", L"09:3:2", L"09/23", L"10:2:2", L"11/03", L"11/23"};
  for (int i = 0; i < 16; ++i) {
    wchar_t line[32];
    swprintf(line, 32, L"S%02d=%ls\r\n", i + 1, rules[i]);
    text += line;
  }
  const wchar_t* messages[] = {L"お昼休みです。", L"日報を書きましょう。", L"戸締まりを確認してください。"};
  for (int i = 0; i < 3; ++i) {
    wchar_t line[64];
    swprintf(line, 64, L"M%02d=%02d:%02d/%ls\r\n", i + 1, (now.wHour + 6 + 4 * i) % 24, 7 * i, messages[i]);
    text += line;
  }
  return Cp932(text);
}

bool PrepareFiles(const fs::path& folder, const mekuri::CipherLibrary& cipher) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const std::string memos = MakeMemoFile(cipher, kMemoCount, Today(), true, 100);
  return WriteDayOld(folder / "Mekurinote.ini", SettingsFile()) &&
         WriteDayOld(folder / (L"Mekurinote_" + UserName() + L".dat"), memos);
}

struct Case {
  const char* name;
  fs::path exe;                  // copied into the run's folder
  std::vector<fs::path> beside;  // copied with it
  const wchar_t* main_class;     // the window that must show
  const wchar_t* last_class;     // shown last at start-up, or nullptr
  bool program;
  std::vector<double> ms, peak_mb, private_mb;
};

HWND VisibleWindow(DWORD pid, const wchar_t* cls) {
  struct Search {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
  } search{pid, cls, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t name[64];
        if (owner != s->pid || !IsWindowVisible(w) || !GetClassNameW(w, name, 64) ||
            lstrcmpW(name, s->cls) != 0) {
          return TRUE;
        }
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A line "Key:  123 kB" of /proc/<pid>/status of the Wine process that runs
// the program started from `folder`, found by its command line; Wine reports
// no private bytes for another process, Linux does. -1 when not found.
double UnixStatusMb(const fs::path& folder, const char* key) {
  std::wstring tag = folder.wstring();
  for (wchar_t& c : tag) c = static_cast<wchar_t>(towlower(c == L'/' ? L'\\' : c));
  const size_t from = tag.find(L"mekuri_startup_bench_");
  if (from == std::wstring::npos) return -1;
  tag = tag.substr(from) + L"\\";  // run1 must not match run10
  std::error_code error;
  for (fs::directory_iterator it(L"Z:\\proc", error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    const std::wstring pid = it->path().filename().wstring();
    if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    std::ifstream cmdline(it->path() / "cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    std::wstring text;
    for (char c : bytes) text += static_cast<wchar_t>(towlower(c == '/' ? '\\' : static_cast<unsigned char>(c)));
    if (text.find(tag) == std::wstring::npos) continue;
    std::ifstream status(it->path() / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind(key, 0) == 0 && line.size() > std::strlen(key) && line[std::strlen(key)] == ':') {
        return std::atof(line.c_str() + std::strlen(key) + 1) / 1024.0;
      }
    }
  }
  return -1;
}

struct Sample {
  bool ok = false;
  double ms = 0, peak_mb = 0, private_mb = 0;
};

Sample RunOnce(const Case& c, const fs::path& folder) {
  Sample sample;
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const fs::path exe = folder / c.exe.filename();
  fs::copy_file(c.exe, exe, fs::copy_options::overwrite_existing, ignored);
  for (const fs::path& file : c.beside) {
    fs::copy_file(file, folder / file.filename(), fs::copy_options::overwrite_existing, ignored);
  }

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe.wstring() + L"\"";
  const double start = Seconds();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &pi)) {
    std::printf("  %s: CreateProcess failed (%lu)\n", c.name, GetLastError());
    return sample;
  }
  WaitForInputIdle(pi.hProcess, 60000);
  HWND main = nullptr;
  const double limit = start + 60;
  while (Seconds() < limit) {
    main = VisibleWindow(pi.dwProcessId, c.main_class);
    if (main && (!c.last_class || VisibleWindow(pi.dwProcessId, c.last_class))) break;
    main = nullptr;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  DWORD_PTR answer = 0;
  if (main && SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer)) {
    sample.ms = (Seconds() - start) * 1e3;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
      sample.peak_mb = memory.PeakWorkingSetSize / 1048576.0;
    }
    sample.private_mb = UnixStatusMb(folder, "RssAnon");
    sample.ok = true;
  } else {
    std::printf("  %s: no idle window within 60 s\n", c.name);
  }
  // The program leaves through its own exit command; the plain window has none.
  if (main && c.program) PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  if (!c.program || WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 15000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  fs::remove_all(folder, ignored);
  return sample;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dist = DistFolder();
  const mekuri::CipherLibrary cipher = LoadCipher(dist);
  if (argc >= 3 && std::string(argv[1]) == "prepare") {
    return PrepareFiles(argv[2], cipher) ? 0 : 1;
  }
  if (!cipher) std::printf("startup: QzlCmn.dll not found in %ls; memos are stand-ins\n", dist.c_str());
  int runs = 7;
  if (const char* text = std::getenv("BENCH_STARTUP_RUNS")) runs = std::max(1, std::atoi(text));

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const fs::path root = fs::path(temp) / ("mekuri_startup_bench_" + std::to_string(GetCurrentProcessId()));
  const fs::path files = root / "files";
  std::error_code ignored;
  if (!PrepareFiles(files, cipher)) std::printf("startup: could not write the settings and memo files\n");

  // The shipped folder as the build leaves it, without files a run may have
  // left in dist\.
  std::vector<fs::path> program_folder;
  for (const auto& entry : fs::directory_iterator(dist, ignored)) {
    const fs::path& file = entry.path();
    const std::wstring ext = file.extension().wstring();
    if (entry.is_regular_file() && file.filename() != L"Mekurinote.exe" &&
        (ext == L".dll" || ext == L".exe" || ext == L".wav" || ext == L".txt")) {
      program_folder.push_back(file);
    }
  }
  std::vector<fs::path> with_files = program_folder;
  for (const auto& entry : fs::directory_iterator(files, ignored)) with_files.push_back(entry.path());

  std::vector<Case> cases = {
      {"plain window", SelfFolder() / "idle_minimal_window.exe", {}, L"IdleBaseline", nullptr, false, {}, {}, {}},
      {"first run",
       dist / "Mekurinote.exe",
       program_folder,
       L"Mekurinote.Form1",
       L"Mekurinote.FormToday",
       true,
       {},
       {},
       {}},
      {"with files",
       dist / "Mekurinote.exe",
       with_files,
       L"Mekurinote.Form1",
       L"Mekurinote.FormToday",
       true,
       {},
       {},
       {}},
  };
  // One unmeasured start of each: the disk cache and the Wine server warm up.
  int serial = 0;
  for (const Case& c : cases) RunOnce(c, root / ("run" + std::to_string(++serial)));
  for (int r = 0; r < runs; ++r) {
    // Interleaved, so that a slow moment of the machine falls on all three.
    for (Case& c : cases) {
      const Sample s = RunOnce(c, root / ("run" + std::to_string(++serial)));
      if (!s.ok) continue;
      c.ms.push_back(s.ms);
      c.peak_mb.push_back(s.peak_mb);
      if (s.private_mb >= 0) c.private_mb.push_back(s.private_mb);
    }
  }
  fs::remove_all(root, ignored);

  std::printf("\nStart-up from a fresh folder to an idle shown window under Wine, %d runs\n", runs);
  std::printf("%-14s | %9s %9s %9s | %14s | %14s\n", "", "median ms", "min ms", "max ms", "peak working MB",
              "private res. MB");
  for (const Case& c : cases) {
    if (c.ms.empty()) continue;
    std::printf("%-14s | %9.0f %9.0f %9.0f | %14.1f | %14.1f\n", c.name, Median(c.ms),
                *std::min_element(c.ms.begin(), c.ms.end()), *std::max_element(c.ms.begin(), c.ms.end()),
                Median(c.peak_mb), Median(c.private_mb));
  }
  const Case& plain = cases[0];
  if (plain.ms.empty()) return 0;
  const char* labels[3] = {"", "first run (empty folder)", "settings + 36,500 memos"};
  for (int i = 1; i <= 2; ++i) {
    if (cases[i].ms.empty()) continue;
    Row("startup", std::string("start-up, ") + labels[i], Median(cases[i].ms) * 1e3, "us", "plain Win32 window",
        Median(plain.ms) * 1e3);
  }
  for (int i = 1; i <= 2; ++i) {
    if (cases[i].ms.empty()) continue;
    Row("memory", std::string("peak working set, ") + labels[i], Median(cases[i].peak_mb), "MB",
        "plain Win32 window", Median(plain.peak_mb), "GetProcessMemoryInfo");
  }
  for (int i = 1; i <= 2; ++i) {
    if (cases[i].private_mb.empty() || plain.private_mb.empty()) continue;
    Row("memory", std::string("private resident, ") + labels[i], Median(cases[i].private_mb), "MB",
        "plain Win32 window", Median(plain.private_mb), "RssAnon of the Wine process");
  }
  return 0;
}
