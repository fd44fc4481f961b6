#pragma once
// Byte-by-byte builders for the archive formats that no Debian tool writes (RAR 4 and 5, ZOO,
// HA, ARC/PAK, BH) and for the layouts the real archivers never produce (cabinet sets, ZIP
// central directories with odd claims), plus a listing helper shared by the lister tests.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tf::test {

// Little-endian bytes, appended.
struct TBuf {
  std::string S;
  TBuf& U8(unsigned v) { S += char(v & 0xFF); return *this; }
  TBuf& U16(unsigned v) { return U8(v).U8(v >> 8); }
  TBuf& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  TBuf& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
  TBuf& Str(std::string_view s) { S.append(s); return *this; }
  TBuf& Z(std::string_view s) { S.append(s); S += '\0'; return *this; }
  TBuf& Zeros(std::size_t n) { S.append(n, '\0'); return *this; }
  TBuf& Field(std::string_view s, std::size_t n) {
    std::string f(s.substr(0, n));
    f.resize(n, '\0');
    S += f;
    return *this;
  }
  std::size_t Size() const { return S.size(); }
};

inline uint32_t Dos(int y, int mo, int d, int h, int mi, int s) {
  return uint32_t((y - 1980) << 9 | mo << 5 | d) << 16 | uint32_t(h << 11 | mi << 5 | s / 2);
}

// A DOS executable header whose image is `image` bytes, padded to that size.
std::string Stub(std::size_t image);

struct TListed {
  std::string Name;
  uint32_t Size = 0, Packed = 0, Crc = 0, DateTime = 0, Attr = 0;
  int Method = 0;
  std::string Comment;
};

struct TListing {
  int Format = -1;
  std::vector<TListed> Entries;
  std::string Comment;         // after the listing
  std::string CommentAtFirst;  // as seen by the first OnRead
  int Error = 0;               // the EZipTVError code, 0 when the listing succeeded
};

TListing List(const std::string& path, std::time_t now = 0, const std::string& mask = "*.*");

// A DOS stamp as "2001-02-03 04:05:06"; 0 as "-".
std::string DosText(uint32_t stamp);
// Every entry as one line, so that one comparison checks a whole listing:
// "name size/packed crc date time aATTR mMETHOD", then the entry's comment in brackets.
std::string Rows(const TListing& l);

// --- RAR 4 ---
struct TRar4File {
  std::string Name;
  uint32_t Packed = 0, Unpacked = 0, Crc = 0, DateTime = 0, Attr = 0x20;
  uint8_t Host = 2;  // Win32
  uint8_t Method = 0x33;
  uint16_t Flags = 0;
  uint32_t HighPacked = 0, HighUnpacked = 0;  // with flag 0x100
  std::string AfterName;                      // salt, comment sub-header ...
  bool WithData = true;                       // write Packed bytes of data after the header
};
std::string Rar4(const std::vector<TRar4File>& files, uint16_t mainFlags = 0,
                 const std::string& betweenBlocks = {});

// --- RAR 5 ---
std::string Vint(uint64_t v);
struct TRar5File {
  std::string Name;
  uint64_t Packed = 0, Unpacked = 0;
  uint32_t Crc = 0;
  bool HasCrc = true;
  uint32_t Mtime = 0;  // Unix time in the header, 0: none
  uint64_t Attr = 0x20;
  uint64_t Host = 0;  // 0 Windows, 1 Unix
  uint64_t FileFlags = 0;  // beyond the time and CRC bits
  uint64_t HeaderFlags = 0;
  int Method = 3;
  std::string Extra;  // extra area records
  bool Service = false;
  std::string Data;  // written when given, else Packed zero bytes (bounded)
};
std::string Rar5(const std::vector<TRar5File>& files, bool encrypted = false);

// --- ZOO ---
struct TZooEntry {
  std::string ShortName;
  std::string LongName, Folder;  // type-2 variable part when either is set
  uint32_t Packed = 0, Unpacked = 0, DateTime = 0;
  uint16_t Crc = 0;
  uint8_t Method = 2;
  bool Deleted = false;
  std::string Comment;
};
std::string Zoo(const std::vector<TZooEntry>& entries, const std::string& archiveComment = {});

// --- HA ---
struct THaEntry {
  std::string Path, Name;
  uint8_t Type = 0x22;  // version 2, method 2 (HSC)
  uint32_t Packed = 0, Unpacked = 0, Crc = 0, Time = 0;
};
std::string Ha(const std::vector<THaEntry>& entries);

// --- ARC and PAK ---
struct TArcEntry {
  std::string Name;
  uint8_t Method = 8;
  uint32_t Packed = 0, Unpacked = 0, DateTime = 0;
  uint16_t Crc = 0;
};
std::string Arc(const std::vector<TArcEntry>& entries, bool endMarker = true);

// --- BH ---
struct TBhEntry {
  std::string Name;
  uint8_t Method = 8;
  uint32_t Packed = 0, Unpacked = 0, Crc = 0, DateTime = 0;
  uint16_t Attr = 0x20;
};
std::string Bh(const std::vector<TBhEntry>& entries);

// --- CAB ---
struct TCabFile {
  std::string Name;
  uint32_t Size = 0;
  uint16_t Folder = 0;
  uint32_t DateTime = 0;
  uint16_t Attr = 0x20;
};
std::string Cab(const std::vector<TCabFile>& files, uint16_t compression,
                const std::string& prev = {}, const std::string& next = {});

// --- ZIP central directory only (what the lister reads) ---
struct TZipEntry {
  std::string Name;
  uint32_t Packed = 0, Unpacked = 0, Crc = 0, DateTime = 0, External = 0;
  uint16_t Method = 8;
  std::string Extra, Comment;
};
// Local part (filler), central directory, optional ZIP64 end records, end record.
std::string Zip(const std::vector<TZipEntry>& entries, const std::string& comment = {},
                bool zip64End = false);

}  // namespace tf::test
