#include <iconv.h>

#include <bit>
#include <cerrno>

#include "base/cp932.h"

namespace mekuri {

namespace {

constexpr char16_t kInvalidMark = u'\u30FB';  // what Windows puts for bad bytes

const char* Utf16Name() { return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE"; }

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one whole unit of input; false when iconv refuses any of it.
  bool Whole(const void* in, size_t inBytes, char* out, size_t outCap, size_t& outBytes) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(static_cast<const char*>(in));
    char* dst = out;
    size_t left = inBytes;
    size_t room = outCap;
    if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return false;
    outBytes = outCap - room;
    return true;
  }

  // Converts as much as it can; returns the input bytes consumed.
  size_t Run(const char* in, size_t inBytes, std::u16string& out) {
    char* src = const_cast<char*>(in);
    size_t left = inBytes;
    char16_t buffer[256];
    while (left > 0) {
      char* dst = reinterpret_cast<char*>(buffer);
      size_t room = sizeof buffer;
      const size_t rc = iconv(cd_, &src, &left, &dst, &room);
      out.append(buffer, (sizeof buffer - room) / sizeof(char16_t));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    return inBytes - left;
  }

 private:
  iconv_t cd_;
};

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Single bytes that Windows' table maps, both ways, and glibc's does not.
constexpr struct {
  unsigned char byte;
  char16_t unit;
} kSingleByteExtras[] = {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

char16_t ExtraUnit(unsigned char b) {
  for (const auto& extra : kSingleByteExtras) {
    if (extra.byte == b) return extra.unit;
  }
  return 0;
}

char ExtraByte(char16_t unit) {
  for (const auto& extra : kSingleByteExtras) {
    if (extra.unit == unit) return static_cast<char>(extra.byte);
  }
  return 0;
}

}  // namespace

std::string ToCp932(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  Converter encode("CP932", Utf16Name());
  Converter decode(Utf16Name(), "CP932");
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      continue;
    }
    if (const char extra = ExtraByte(unit)) {
      out += extra;
      continue;
    }
    // glibc maps some characters to look-alikes (U+301C to 81 60, U+00A5 to
    // 5C); Windows without best fit does not, so only a character that comes
    // back unchanged counts as representable. Windows converts unit by unit,
    // so each half of a surrogate pair becomes its own "?".
    char bytes[8];
    size_t count = 0;
    char16_t back[4];
    size_t backBytes = 0;
    const bool same = encode.ok() && decode.ok() && !(unit >= 0xD800 && unit <= 0xDFFF) &&
                      encode.Whole(&unit, sizeof unit, bytes, sizeof bytes, count) && count > 0 &&
                      decode.Whole(bytes, count, reinterpret_cast<char*>(back), sizeof back, backBytes) &&
                      backBytes == sizeof unit && back[0] == unit;
    if (same) {
      out.append(bytes, count);
    } else {
      out += '?';
    }
  }
  return out;
}

std::u16string FromCp932(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  Converter decode(Utf16Name(), "CP932");
  size_t i = 0;
  while (i < bytes.size()) {
    if (decode.ok()) {
      i += decode.Run(bytes.data() + i, bytes.size() - i, out);
      if (i >= bytes.size()) break;
    }
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || ExtraUnit(b) != 0) {  // ASCII only gets here without iconv
      out += b < 0x80 ? static_cast<char16_t>(b) : ExtraUnit(b);
      ++i;
      continue;
    }
    // A refused lead byte takes the next byte along unless that is a NUL, as
    // Windows does; either way the refused character becomes one mark.
    out += kInvalidMark;
    i += IsLeadByte(b) && i + 1 < bytes.size() && bytes[i + 1] != '\0' ? 2 : 1;
  }
  return out;
}

}  // namespace mekuri
