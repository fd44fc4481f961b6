#include "search/Matcher.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/Text.h"

namespace tf {

namespace {

inline unsigned char Up(unsigned char c) { return uint8_t(c - 'a') < 26 ? uint8_t(c - 32) : c; }

bool IsAscii(std::string_view s) {
  unsigned char any = 0;
  for (char c : s) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

// The upper-case name contains the upper-case pattern; name is plain ASCII.
bool ContainsFolded(std::string_view name, std::string_view pattern) {
  std::size_t n = name.size(), m = pattern.size();
  if (m == 0) return true;
  if (m > n) return false;
  auto first = static_cast<unsigned char>(pattern[0]);
  for (std::size_t i = 0; i + m <= n; ++i) {
    if (Up(static_cast<unsigned char>(name[i])) != first) continue;
    std::size_t k = 1;
    while (k < m && Up(static_cast<unsigned char>(name[i + k])) ==
                        static_cast<unsigned char>(pattern[k]))
      ++k;
    if (k == m) return true;
  }
  return false;
}

bool EqualsFolded(std::string_view name, std::string_view pattern) {
  if (name.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (Up(static_cast<unsigned char>(name[i])) != static_cast<unsigned char>(pattern[i]))
      return false;
  return true;
}

// WildcardMatch of a plain ASCII name, upper-casing it on the way.
bool WildcardFolded(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0;
  while (m < mask.size() && n < name.size()) {
    char mc = mask[m];
    if (mc == '*') {
      if (m + 1 == mask.size()) return true;
      auto next = static_cast<unsigned char>(mask[m + 1]);
      std::size_t at = n;
      while (at < name.size() && Up(static_cast<unsigned char>(name[at])) != next) ++at;
      if (at == name.size()) return false;
      n = at + 1;
      m += 2;
      continue;
    }
    if (mc != '?' && static_cast<unsigned char>(mc) != Up(static_cast<unsigned char>(name[n])))
      return false;
    ++n;
    ++m;
  }
  return n == name.size() && m == mask.size();
}

// Whether the needle occurs in the bytes; with fold, the bytes are compared upper-cased (the
// needle is upper-case already). Sixteen places at a time are tried at once by their first and
// last byte, and only places where both fit are compared whole: a list of a few hundred bytes
// is searched in a few dozen steps.
bool ContainsBytes(const uint8_t* data, std::size_t n, std::string_view needle, bool fold) {
  std::size_t m = needle.size();
  if (m == 0) return true;
  if (m > n) return false;
  auto at = [&](std::size_t i) {
    for (std::size_t k = 0; k < m; ++k) {
      unsigned char b = fold ? Up(data[i + k]) : data[i + k];
      if (b != static_cast<unsigned char>(needle[k])) return false;
    }
    return true;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  auto letter = [&](unsigned char c) { return fold && c >= 'A' && c <= 'Z'; };
  auto first = static_cast<unsigned char>(needle[0]);
  auto last = static_cast<unsigned char>(needle[m - 1]);
  // A letter is compared with its case bit set on both sides: a few more candidates, no miss.
  const __m128i wantFirst = _mm_set1_epi8(char(letter(first) ? first | 0x20 : first));
  const __m128i wantLast = _mm_set1_epi8(char(letter(last) ? last | 0x20 : last));
  const __m128i caseFirst = _mm_set1_epi8(char(letter(first) ? 0x20 : 0));
  const __m128i caseLast = _mm_set1_epi8(char(letter(last) ? 0x20 : 0));
  for (; i + 16 + m - 1 <= n; i += 16) {
    __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)),
                             caseFirst);
    __m128i b = _mm_or_si128(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1)), caseLast);
    auto mask = unsigned(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(a, wantFirst), _mm_cmpeq_epi8(b, wantLast))));
    while (mask) {
      if (at(i + std::size_t(__builtin_ctz(mask)))) return true;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + m <= n; ++i)
    if (at(i)) return true;
  return false;
}

// The longest run of the pattern that a passing name must hold as it stands (upper-cased
// unless case-sensitive): ASCII letters and signs that no wildcard and no other character's
// upper case can stand for.
std::string Needle(std::string_view pattern, TNameMode mode, bool caseSensitive) {
  if (mode != TNameMode::Exact && mode != TNameMode::Part && mode != TNameMode::Mask) return {};
  // A mask is compared with the upper-cased name in any case.
  if (caseSensitive && mode != TNameMode::Mask) return std::string(pattern);
  std::string best, run;
  auto close = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  for (char ch : pattern) {
    auto c = static_cast<unsigned char>(ch);
    // "?" is a wildcard in masks, and the upper case of an undefined Windows-1252 byte.
    if (c >= 0x80 || c == '?' || (mode == TNameMode::Mask && c == '*'))
      close();
    else
      run += ch;
  }
  close();
  return best;
}

}  // namespace

TNameMatcher::TNameMatcher(const TSearchCriteria& c)
    : mode_(c.NameMode), case_(c.NameCase), pattern_(c.NamePattern),
      patternAscii_(IsAscii(c.NamePattern)) {
  needle_ = Needle(pattern_, mode_, case_);
  foldBytes_ = !case_ || mode_ == TNameMode::Mask;
  needleHasI_ = foldBytes_ && needle_.find('I') != std::string::npos;
  needleHasS_ = foldBytes_ && needle_.find('S') != std::string::npos;
}

bool TNameMatcher::Test(std::string_view name) const {
  switch (mode_) {
    case TNameMode::Exact:
      if (case_) return name == pattern_;
      if (IsAscii(name)) return patternAscii_ && EqualsFolded(name, pattern_);
      return UpperCase(name) == pattern_;
    case TNameMode::Part:
      if (case_) return name.find(pattern_) != std::string_view::npos;
      if (IsAscii(name)) return patternAscii_ && ContainsFolded(name, pattern_);
      return UpperCase(name).find(pattern_) != std::string::npos;
    case TNameMode::Mask:
      if (IsAscii(name)) return WildcardFolded(name, pattern_);
      return WildcardMatch(name, pattern_);
    case TNameMode::Extension:
    case TNameMode::FileType: return TestExtension(name);
  }
  return false;
}

bool TNameMatcher::TestExtension(std::string_view name) const {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = name.size(); i-- > 0;) {
    char c = name[i];
    if (c == '.') {
      dot = i;
      break;
    }
    if (c == '\\' || c == ':') break;
  }
  if (dot == std::string_view::npos) return false;
  std::string_view ext = name.substr(dot);
  char key[258];
  if (IsAscii(ext)) {
    for (std::size_t i = 0; i < ext.size(); ++i)
      key[i] = char(case_ ? static_cast<unsigned char>(ext[i]) : Up(static_cast<unsigned char>(ext[i])));
    key[ext.size()] = ExtSeparator;
    return std::string_view(pattern_).find(std::string_view(key, ext.size() + 1)) !=
           std::string_view::npos;
  }
  std::string k(ext);
  k += ExtSeparator;
  if (!case_) k = UpperCase(k);
  return pattern_.find(k) != std::string::npos;
}

bool TNameMatcher::MayPassIn(const uint8_t* data, std::size_t length) const {
  if (needle_.empty()) return true;
  if ((needleHasI_ && ContainsBytes(data, length, "\xC4\xB1", false)) ||
      (needleHasS_ && ContainsBytes(data, length, "\xC5\xBF", false)))
    return true;
  return ContainsBytes(data, length, needle_, foldBytes_);
}

// ---- all tests ---------------------------------------------------------------------------

namespace {

bool OnlyNameTest(const TSearchCriteria& c) {
  return !c.AttributesUsed && !c.ByDesc && !c.ByCategory && !c.BySize &&
         c.DateField == TDateField::None && c.TimeField == TTimeField::None;
}

}  // namespace

TMatcher::TMatcher(const TSearchCriteria& criteria)
    : c_(criteria), names_(criteria),
      nameDecides_(criteria.ByName &&
                   (criteria.Mode == TMatchMode::All || OnlyNameTest(criteria))) {}

int TMatcher::Test(int which, const TItemView& item) const {
  if (which == int(TMatchTest::Name)) return c_.ByName ? names_.Test(item.Name) : -1;
  return ApplyTest(TMatchTest(which), c_, categories_, item);
}

bool TMatcher::Matches(const TItemView& item) const {
  // The name first: the test that decides most often, and the cheapest to reject.
  static constexpr int order[MatchTestCount] = {4, 7, 0, 1, 2, 3, 6, 8, 9, 5};
  if (c_.Mode == TMatchMode::All) {
    for (int which : order)
      if (Test(which, item) == 0) return false;
    return true;
  }
  for (int which : order)
    if (Test(which, item) == 1) return true;
  return false;
}

}  // namespace tf
