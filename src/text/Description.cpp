#include "text/Description.h"

#include <algorithm>

#include "text/Text.h"

namespace tf {

namespace {

bool IsBlank(char c) { return c == ' ' || static_cast<unsigned char>(c) == 0xFF; }

}  // namespace

std::string TrimDescriptionEnd(std::string_view text) {
  std::size_t n = text.size();
  for (;;) {
    if (n > 0 && IsBlank(text[n - 1])) {
      --n;
    } else if (n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n') {
      n -= 2;
    } else {
      break;
    }
  }
  return std::string(text.substr(0, n));
}

std::string TrimDescriptionLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    std::size_t b = 0, e = line.size();
    while (e - b > 1 && IsBlank(line[b])) ++b;
    while (e - b > 1 && IsBlank(line[e - 1])) --e;
    out.append(line.substr(b, e - b));
    out += "\r\n";
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return TrimDescriptionEnd(out);
}

bool WrapDescription(std::string& text, int width, int maxLines) {
  if (width < 1) return false;
  // Wrapping counts characters, so a UTF-8 text is wrapped as decoded characters.
  bool utf8 = IsValidUtf8(text);
  std::u32string t = DecodeText(text);
  auto isBreak = [](char32_t c) { return c == ' ' || c == ',' || c == '-' || c == '.'; };
  // Positions below are 0-based; "line start" is start.
  std::size_t start = 0;
  int count = 1;
  bool truncated = false;
  std::size_t w = std::size_t(width);
  while (t.size() - start > w + 1) {
    std::size_t cr = std::u32string::npos;
    for (std::size_t p = start; p <= start + w && p < t.size(); ++p) {
      if (t[p] == '\r') {
        cr = p;
        break;
      }
    }
    if (cr != std::u32string::npos) {
      start = cr + 2;
    } else {
      std::size_t brk = std::u32string::npos;
      for (std::size_t p = start + w + 1; p >= start + 1; --p) {
        if (p < t.size() && isBreak(t[p])) {
          brk = p;
          break;
        }
      }
      if (brk == std::u32string::npos || brk < start + 2) brk = start + w;
      t.insert(brk, U"\r\n");
      start = brk + 2;
    }
    ++count;
    if (maxLines > 0 && count > maxLines) {
      t.erase(std::min(start, t.size()));
      truncated = true;
      break;
    }
    if (start > t.size()) break;
  }
  text = EncodeText(t, utf8 || text.empty());
  if (truncated) text = TrimDescriptionEnd(text);
  return truncated;
}

namespace {

char BoxReplacementCp437(unsigned char c) {
  switch (c) {
    case 0xC9: case 0xBB: case 0xC8: case 0xBC: case 0xCE: case 0xDA: case 0xBF:
    case 0xC0: case 0xD9: case 0xC3: case 0xC5: case 0xD5: case 0xB8: case 0xD6:
    case 0xB7: case 0xD8: case 0xD7: case 0xD4: case 0xBE: case 0xD3: case 0xBD:
      return '+';
    case 0xCD: case 0xCB: case 0xCA: case 0xC4: case 0xC2: case 0xC1: case 0xD1:
    case 0xD2: case 0xCF: case 0xD0:
      return '-';
    case 0xBA: case 0xCC: case 0xB9: case 0xB3: case 0xB4: case 0xC6: case 0xB5:
    case 0xC7: case 0xB6:
      return '|';
    case 0xF0: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: case 0xB0:
    case 0xB1: case 0xB2:
      return '#';
    case 0xFA: return char(0xB7);  // middle dot in Windows-1252
    case 0xF9: case 0xF8: case 0xFE: return char(0x95);  // bullet in Windows-1252
    default: return 0;
  }
}

// The same shapes as Unicode characters: lines become "-" and "|", corners and crossings
// "+", blocks and shades "#".
char32_t BoxReplacementUnicode(char32_t c) {
  if (c >= 0x2580 && c <= 0x259F) return '#';
  if (c < 0x2500 || c > 0x257F) return 0;
  switch (c) {
    case 0x2500: case 0x2501: case 0x2504: case 0x2505: case 0x2508: case 0x2509:
    case 0x254C: case 0x254D: case 0x2550: case 0x2574: case 0x2576: case 0x2578:
    case 0x257A: case 0x257C: case 0x257E:
      return '-';
    case 0x2502: case 0x2503: case 0x2506: case 0x2507: case 0x250A: case 0x250B:
    case 0x254E: case 0x254F: case 0x2551: case 0x2575: case 0x2577: case 0x2579:
    case 0x257B: case 0x257D: case 0x257F:
      return '|';
    default:
      return '+';
  }
}

}  // namespace

std::string ReplaceBoxCharacters(std::string_view text) {
  if (!IsValidUtf8(text)) {
    std::string out(text);
    for (char& c : out)
      if (char r = BoxReplacementCp437(static_cast<unsigned char>(c))) c = r;
    return out;
  }
  bool any = false;
  for (char c : text)
    if (static_cast<unsigned char>(c) == 0xE2) any = true;  // U+2000..U+2FFF lead byte
  if (!any) return std::string(text);
  std::u32string t = DecodeText(text);
  for (char32_t& c : t)
    if (char32_t r = BoxReplacementUnicode(c)) c = r;
  return EncodeText(t, true);
}

}  // namespace tf
