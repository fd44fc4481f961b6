#pragma once
// Kestrevane databases written byte by byte, for the import's tests.

#include <cstdint>
#include <string>

#include "support/TestSupport.h"
#include "text/Text.h"

namespace tf::test {

inline std::string LE16(uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
inline std::string LE32(uint32_t v) {
  return {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24)};
}
// A length byte, the text, and zeros to the field's size.
inline std::string Short(const std::string& text, std::size_t field) {
  std::string s(1, char(text.size()));
  s += text;
  s.resize(field, '\0');
  return s;
}

// The four files of a database, written record by record.
struct TDatabase {
  std::string Dsk, Fil, Fds, Cmt = "\xEB\x20Old Archive\r\n";
  bool WithFil = true, WithFds = true, WithCmt = true;

  TDatabase& Disk(uint16_t number, int32_t capacity, int32_t free, uint8_t drive,
                  const std::string& name, uint8_t day = 15, uint8_t month = 3, uint8_t year = 95) {
    Dsk += LE16(number) + LE32(uint32_t(capacity)) + LE32(uint32_t(free)) + LE32(0) +
           char(drive) + Short(name, 21) + char(day) + char(month) + char(year);
    return *this;
  }
  TDatabase& Entry(uint16_t disk, const std::string& name, int32_t size, uint8_t attributes) {
    Fil += LE16(disk) + Short(name, 13) + LE32(uint32_t(size)) + char(attributes);
    return *this;
  }
  TDatabase& Description(int16_t disk, int32_t entry, const std::string& text) {
    Fds += LE16(uint16_t(disk)) + LE32(uint32_t(entry)) + text + "\r\n";
    return *this;
  }
  TDatabase& Comment(const std::string& line) {
    Cmt += line + "\r\n";
    return *this;
  }
  // Writes BASE.DSK and the others beside it, with extensions in the case of dskExt.
  std::string Write(const test::TTempDir& dir, const std::string& base = "ARCHIVE",
                    bool lower = false) const {
    auto name = [&](const char* ext) { return dir.File(base + "." + (lower ? LowerCase(ext) : ext)); };
    test::WriteBytes(name("DSK"), Dsk);
    if (WithFil) test::WriteBytes(name("FIL"), Fil);
    if (WithFds) test::WriteBytes(name("FDS"), Fds);
    if (WithCmt) test::WriteBytes(name("CMT"), Cmt);
    return name("DSK");
  }
};

// Attribute bits of the file list.
inline constexpr uint8_t Folder = 0x10, Archive = 0x40;

}  // namespace tf::test
