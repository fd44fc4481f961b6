#pragma once
// Text on this platform: the catalog stores bytes as they are; internal text is UTF-8, and a
// stored text that is not valid UTF-8 (a catalog or a medium from a Windows machine) is
// Windows-1252. Length limits are byte limits, and a cut never splits a UTF-8 sequence.

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tf {

bool IsValidUtf8(std::string_view s);

// Windows-1252 bytes to UTF-8 (the five unassigned codes become U+FFFD).
std::string Cp1252ToUtf8(std::string_view s);

// DOS code page 437 bytes to UTF-8 (description files as DOS programs wrote them).
std::string Cp437ToUtf8(std::string_view s);

// The text as UTF-8 for display: valid UTF-8 as it is, anything else read as Windows-1252.
std::string ToDisplay(std::string_view s);

// The longest prefix length <= max that does not end inside a UTF-8 sequence. Text that is
// not valid UTF-8 is cut at max exactly.
std::size_t CutLength(std::string_view s, std::size_t max);
// The length without a UTF-8 sequence left incomplete at the end of an otherwise valid UTF-8
// text (what a byte limit does to a file's last character); the whole length otherwise.
std::size_t Utf8CompleteLength(std::string_view s);
inline std::string_view CutText(std::string_view s, std::size_t max) {
  return s.substr(0, CutLength(s, max));
}

// Characters of a stored text: UTF-8 decoded, or Windows-1252 bytes when not valid UTF-8.
std::u32string DecodeText(std::string_view s);
// Back to bytes in the same encoding the text came in (asUtf8: it was valid UTF-8).
std::string EncodeText(std::u32string_view s, bool asUtf8);

// Case mapping for names (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic), in the text's own
// encoding. A name's case matters only on case-insensitive media and in comparisons.
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Compares without regard to case: <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }
// "?" one character, "*" up to the next mask character (or the rest at the end); the name is
// compared upper-cased, the mask as given.
bool WildcardMatch(std::string_view name, std::string_view mask);

// An owned, zero-terminated text or none: descriptions, path caches, flag names. Eight bytes,
// so that a file record stays small. An empty text is stored as none.
class TText {
 public:
  TText() = default;
  explicit TText(std::string_view s) { Assign(s); }
  TText(const TText& other) { Assign(other.View()); }
  TText(TText&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  TText& operator=(const TText& other) {
    if (this != &other) Assign(other.View());
    return *this;
  }
  TText& operator=(TText&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ~TText() { Reset(); }

  void Assign(std::string_view s);
  void Reset();

  explicit operator bool() const { return p_ != nullptr; }
  bool Empty() const { return p_ == nullptr; }
  const char* CStr() const { return p_; }  // null for none
  std::string_view View() const { return p_ ? std::string_view(p_) : std::string_view(); }
  std::string Str() const { return std::string(View()); }
  std::size_t Size() const { return p_ ? std::strlen(p_) : 0; }

 private:
  char* p_ = nullptr;
};

}  // namespace tf
