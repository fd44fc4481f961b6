#include "platform/CaseMap.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

#include "store/Text.h"

namespace tf {

namespace {

// glibc's C.UTF-8 carries the full Unicode case tables; when it is missing only ASCII maps.
locale_t Utf8Locale() {
  static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return loc;
}

// Decodes one code point of valid UTF-8 at s[i], advancing i.
char32_t Decode(std::string_view s, std::size_t& i) {
  auto b = uint8_t(s[i]);
  int n = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
  char32_t c = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
  for (int k = 1; k <= n; ++k) c = (c << 6) | (uint8_t(s[i + std::size_t(k)]) & 0x3F);
  i += std::size_t(n) + 1;
  return c;
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x80) {
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

char32_t MapChar(char32_t c, bool upper) {
  if (c < 0x80) {
    if (upper && c >= 'a' && c <= 'z') return c - 32;
    if (!upper && c >= 'A' && c <= 'Z') return c + 32;
    return c;
  }
  locale_t loc = Utf8Locale();
  if (loc == locale_t(0)) return c;
  wint_t m = upper ? towupper_l(wint_t(c), loc) : towlower_l(wint_t(c), loc);
  // A mapping must stay a scalar value; anything odd keeps the character.
  if (m == 0 || m > 0x10FFFF || (m >= 0xD800 && m <= 0xDFFF)) return c;
  return char32_t(m);
}

std::string Map(std::string_view text, bool upper, std::size_t count) {
  std::string out;
  out.reserve(text.size());
  if (!IsValidUtf8(text)) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (i < count && uint8_t(c) < 0x80) c = char(MapChar(char32_t(c), upper));
      out += c;
    }
    return out;
  }
  std::size_t i = 0;
  for (std::size_t n = 0; i < text.size(); ++n) {
    std::size_t start = i;
    char32_t c = Decode(text, i);
    if (n < count)
      Encode(MapChar(c, upper), out);
    else
      out.append(text.substr(start, i - start));
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text) { return Map(text, true, std::string::npos); }
std::string LowerCase(std::string_view text) { return Map(text, false, std::string::npos); }
std::string UpperFirst(std::string_view text) { return Map(text, true, 1); }

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  return LowerCase(a) == LowerCase(b) || UpperCase(a) == UpperCase(b);
}

}  // namespace tf
