#pragma once
// What the crash worker writes: each value names its run and write, so no two writes store the same text.
#include <string>

#include "base/cp932.h"
#include "base/date.h"
#include "memo/memo_store.h"
#ifndef _WIN32
#include "cipher/qzl_cipher.h"
#endif

namespace mekuri::crash {

inline constexpr const char* kMemoFileName = "Mekurinote_crash.dat";
inline constexpr int kWorkerKeys = 50;
inline constexpr int kSeedMemos = 3000;

// The keys the worker writes, and the older memos around them that no write may lose.
inline std::string WorkerKey(int i) { return MemoKey(DateFromYmd(2030, 1, 1) + i); }
inline std::string SeedKey(int i) { return MemoKey(DateFromYmd(2001, 1, 1) + i); }

inline std::u16string SeedText(int i) {
  return u"昔のメモ " + FromUtf8(std::to_string(i)) + u" 表示ソ十能" + std::u16string(i % 7, u'x');
}

// Lengths vary so that the file grows and shrinks between writes.
inline std::u16string MemoText(const std::string& key, unsigned run, unsigned write) {
  return u"メモ " + FromUtf8(key + " r" + std::to_string(run) + " w" + std::to_string(write) + " ") +
         std::u16string(write % 23, u'予');
}

#ifndef _WIN32
// On Windows the worker loads QzlCmn.dll instead.
inline const CipherLibrary kNativeCipher{
    [](const char* in, int32_t n, char* out, int32_t* cap) { return qzl::Encipher(in, n, {1, 2, 3}, out, *cap); },
    [](const char* in, int32_t n, char* out, int32_t* cap) { return qzl::Decipher(in, n, out, *cap); }};
#endif

inline std::u16string CommonItem(unsigned run, unsigned write, int i) {
  return u"定型 " + FromUtf8(std::to_string(run) + "." + std::to_string(write) + "." + std::to_string(i));
}

}  // namespace mekuri::crash
