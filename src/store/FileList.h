#pragma once
// Stored file lists read where they lie: the entries of a list's bytes, without records.
//
// LoadFiles builds one record per entry. A reader that looks at every entry but keeps few
// (the search over a catalog whose lists are not loaded) walks the bytes with this cursor
// instead and builds records only for a list in which it finds something. The layout is the
// one of catalog-format.md: name (Text8), attributes, created, modified, accessed, size,
// category and flags, description (Text16).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace tf {

inline constexpr int MaxText16 = 4096;                 // bytes kept of a Text16
inline constexpr std::size_t FileEntryDataBytes = 18;  // attributes .. category and flags

class TFileListCursor {
 public:
  TFileListCursor(const uint8_t* data, std::size_t length) : next_(data), end_(data + length) {}

  // Steps to the next entry. False at the end of the list, and at an entry that does not lie
  // wholly inside the list (Damaged() then): LoadFiles rejects such a list as a whole.
  bool Next() {
    std::size_t left = std::size_t(end_ - next_);
    if (left == 0) return false;
    std::size_t fixed = 1 + std::size_t(next_[0]) + FileEntryDataBytes + 2;
    if (fixed > left) return Fail();
    std::size_t descLen = Get16(next_ + fixed - 2);
    if (fixed + descLen > left) return Fail();
    entry_ = next_;
    next_ += fixed + descLen;
    return true;
  }
  bool Damaged() const { return damaged_; }

  std::string_view Name() const {
    return {reinterpret_cast<const char*>(entry_ + 1), std::size_t(entry_[0])};
  }
  uint8_t Attributes() const { return Data()[0]; }
  uint32_t CreatedTime() const { return Get32(Data() + 1); }
  uint32_t ModifiedTime() const { return Get32(Data() + 5); }
  uint32_t AccessedTime() const { return Get32(Data() + 9); }
  uint32_t Size() const { return Get32(Data() + 13); }
  uint8_t CategoryFlags() const { return Data()[17]; }
  // The description as a record keeps it: at most MaxText16 bytes, never a split character;
  // empty for none.
  std::string_view Description() const {
    const uint8_t* d = Data() + FileEntryDataBytes;
    std::string_view desc(reinterpret_cast<const char*>(d + 2), Get16(d));
    return CutText(desc, MaxText16);
  }
  // The bytes of the current entry within the list.
  const uint8_t* EntryBegin() const { return entry_; }
  const uint8_t* EntryEnd() const { return next_; }

  static uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
  static uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
           (uint32_t(p[3]) << 24);
  }

 private:
  const uint8_t* Data() const { return entry_ + 1 + entry_[0]; }
  bool Fail() {
    damaged_ = true;
    next_ = end_;
    return false;
  }

  const uint8_t* next_;
  const uint8_t* end_;
  const uint8_t* entry_ = nullptr;
  bool damaged_ = false;
};

// The number of entries of a list; -1 when one of them does not lie wholly inside it.
inline long CountFileEntries(const uint8_t* data, std::size_t length) {
  TFileListCursor c(data, length);
  long n = 0;
  while (c.Next()) ++n;
  return c.Damaged() ? -1 : n;
}

}  // namespace tf
