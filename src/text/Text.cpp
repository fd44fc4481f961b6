#include "text/Text.h"

#include <algorithm>
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

std::string Cp437ToUtf8(std::string_view s) {
  static const char16_t high[128] = {
      0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
      0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
      0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
      0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
      0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
      0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
      0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
      0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
      0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
      0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
      0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
      0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  for (unsigned char c : s) {
    if (c < 0x80)
      out += char(c);
    else
      AppendUtf8(out, high[c - 0x80]);
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

std::u32string DecodeText(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  if (!IsValidUtf8(s)) return DecodeText(Cp1252ToUtf8(s));
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned c = *p;
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    out += cp;
    p += extra + 1;
  }
  return out;
}

static int Cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
  static const char32_t high[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  for (int i = 0; i < 32; ++i)
    if (high[i] == c && c != 0) return 0x80 + i;
  return '?';
}

std::string EncodeText(std::u32string_view s, bool asUtf8) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) {
    if (!asUtf8) {
      out += char(Cp1252Byte(c));
    } else if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

char32_t UpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs: even upper, odd lower, except the 0x139..0x148 and 0x179..0x17E
    // runs, which pair odd upper with even lower.
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x131) return 'I';
    if (c == 0x17F) return 'S';
    if (oddUpper) return (c % 2 == 0) ? c - 1 : c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

char32_t LowerChar(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0x80) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F) {
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x130) return 'i';
    if (oddUpper) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

static std::string MapCase(std::string_view s, char32_t (*map)(char32_t)) {
  bool ascii = true;
  for (char ch : s)
    if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
  if (ascii) {
    std::string out(s);
    for (char& ch : out) ch = char(map(static_cast<unsigned char>(ch)));
    return out;
  }
  bool utf8 = IsValidUtf8(s);
  std::u32string text = DecodeText(s);
  for (char32_t& c : text) c = map(c);
  return EncodeText(text, utf8);
}

std::string UpperCase(std::string_view s) { return MapCase(s, UpperChar); }
std::string LowerCase(std::string_view s) { return MapCase(s, LowerChar); }

int CompareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  // The common case of plain ASCII names without a conversion.
  for (; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) break;
    char32_t ux = UpperChar(x), uy = UpperChar(y);
    if (ux != uy) return ux < uy ? -1 : 1;
  }
  if (i == n) return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
  std::u32string ta = DecodeText(a), tb = DecodeText(b);
  std::size_t m = std::min(ta.size(), tb.size());
  for (std::size_t k = 0; k < m; ++k) {
    char32_t ux = UpperChar(ta[k]), uy = UpperChar(tb[k]);
    if (ux != uy) return ux < uy ? -1 : 1;
  }
  return ta.size() == tb.size() ? 0 : ta.size() < tb.size() ? -1 : 1;
}

std::size_t Utf8CompleteLength(std::string_view s) {
  if (IsValidUtf8(s)) return s.size();
  for (std::size_t back = 1; back <= 3 && back <= s.size(); ++back) {
    std::size_t p = s.size() - back;
    unsigned char c = static_cast<unsigned char>(s[p]);
    if ((c & 0xC0) == 0x80) continue;
    int need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (need > int(back) && IsValidUtf8(s.substr(0, p))) return p;
    break;
  }
  return s.size();
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

bool WildcardMatch(std::string_view nameIn, std::string_view mask) {
  std::string name = UpperCase(nameIn);
  std::size_t n = 0, m = 0;
  while (m < mask.size()) {
    char mc = mask[m];
    if (mc == '*') {
      if (m + 1 == mask.size()) return true;
      char next = mask[m + 1];
      std::size_t at = name.find(next, n);
      if (at == std::string::npos) return false;
      n = at + 1;
      m += 2;
      continue;
    }
    if (n >= name.size()) return false;
    if (mc != '?' && mc != name[n]) return false;
    ++n;
    ++m;
  }
  return n == name.size();
}

}  // namespace tf
