#include "store/Text.h"

#include <cstdlib>

namespace tf {

bool IsValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int extra;
    unsigned min;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    unsigned cp = c & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += extra + 1;
  }
  return true;
}

static void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view s) {
  // 0x80..0x9F of Windows-1252; 0xFFFD for the five unassigned codes.
  static const unsigned short high[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (unsigned char c : s) {
    if (c < 0x80)
      out += char(c);
    else if (c < 0xA0)
      AppendUtf8(out, high[c - 0x80]);
    else
      AppendUtf8(out, c);
  }
  return out;
}

std::string ToDisplay(std::string_view s) {
  if (IsValidUtf8(s)) return std::string(s);
  return Cp1252ToUtf8(s);
}

std::size_t CutLength(std::string_view s, std::size_t max) {
  if (s.size() <= max) return s.size();
  if (!IsValidUtf8(s)) return max;
  std::size_t n = max;
  // Back off over continuation bytes to the start of the sequence that the cut would split.
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

void TText::Assign(std::string_view s) {
  Reset();
  if (s.empty()) return;
  p_ = static_cast<char*>(std::malloc(s.size() + 1));
  if (!p_) throw std::bad_alloc();
  std::memcpy(p_, s.data(), s.size());
  p_[s.size()] = 0;
}

void TText::Reset() {
  std::free(p_);
  p_ = nullptr;
}

}  // namespace tf
