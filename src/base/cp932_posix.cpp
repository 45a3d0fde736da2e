#include <iconv.h>

#include <bit>
#include <cerrno>

#include "base/cp932.h"

namespace mekuri {

namespace {

constexpr char16_t kInvalidMark = u'\u30FB';  // what Windows puts for bad bytes

const char* Utf16Name() {
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

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
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

std::string ToCp932(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  Converter encode("CP932", Utf16Name());
  Converter decode(Utf16Name(), "CP932");
  for (size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      ++i;
      continue;
    }
    size_t units = 1;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      units = 2;
    }
    // glibc maps some characters to look-alikes (U+301C to 81 60, U+00A5 to
    // 5C); Windows without best fit does not, so only a character that comes
    // back unchanged counts as representable.
    char bytes[8];
    size_t count = 0;
    char16_t back[4];
    size_t backBytes = 0;
    const bool same =
        encode.ok() && decode.ok() &&
        encode.Whole(text.data() + i, units * sizeof(char16_t), bytes, sizeof bytes, count) &&
        count > 0 &&
        decode.Whole(bytes, count, reinterpret_cast<char*>(back), sizeof back, backBytes) &&
        std::u16string_view(back, backBytes / sizeof(char16_t)) == text.substr(i, units);
    if (same) {
      out.append(bytes, count);
    } else {
      out += '?';
    }
    i += units;
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
    // A lead byte takes its trail byte along when that byte could be one;
    // either way the refused character becomes one mark.
    const auto b = static_cast<unsigned char>(bytes[i]);
    const bool pair = IsLeadByte(b) && i + 1 < bytes.size() &&
                      IsTrailByte(static_cast<unsigned char>(bytes[i + 1]));
    out += kInvalidMark;
    i += pair ? 2 : 1;
  }
  return out;
}

}  // namespace mekuri
