#pragma once
// The walkers of the archive lister, one per format family, and what they share: a
// bounds-checked view on header bytes, reads that never trust a size from the archive, and
// the context through which entries are reported. Internal to the lister.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "scan/ZipTV.h"

namespace tf::ziptv {

// Header bytes read from the file. Every getter answers 0 beyond the bytes that were read,
// so a field read from a short header is harmless; the walkers check lengths before they
// rely on a field.
struct TBytes {
  std::string Data;

  std::size_t Size() const { return Data.size(); }
  uint8_t B(std::size_t i) const { return i < Data.size() ? uint8_t(Data[i]) : 0; }
  uint16_t W(std::size_t i) const { return uint16_t(B(i) | B(i + 1) << 8); }
  uint32_t D(std::size_t i) const { return uint32_t(W(i)) | uint32_t(W(i + 2)) << 16; }
  uint64_t Q(std::size_t i) const { return uint64_t(D(i)) | uint64_t(D(i + 4)) << 32; }
  // The bytes [i, i + n) that exist.
  std::string Sub(std::size_t i, std::size_t n) const;
  // A fixed field cut at its first zero.
  std::string Field(std::size_t i, std::size_t n) const;
  bool Is(std::size_t i, std::string_view s) const { return Sub(i, s.size()) == s; }
};

// One archive file being read.
class TVolume {
 public:
  TVolume(std::unique_ptr<TByteSource> src, std::string path)
      : src_(std::move(src)), path_(std::move(path)), size_(src_->Size()) {}
  const std::string& Path() const { return path_; }
  uint64_t Size() const { return size_; }
  uint64_t Left(uint64_t pos) const { return pos < size_ ? size_ - pos : 0; }
  // Up to n bytes from pos (fewer at the end of the file).
  TBytes Read(uint64_t pos, std::size_t n);
  // Exactly n bytes from pos, or ErrReadingFile.
  TBytes ReadAll(uint64_t pos, std::size_t n);
  // A zero-terminated text at pos of at most max bytes; ok false when no zero ends it within
  // max bytes or the file. end is the position after the zero.
  std::string ZString(uint64_t pos, std::size_t max, uint64_t& end, bool& ok);

 private:
  std::unique_ptr<TByteSource> src_;
  std::string path_;
  uint64_t size_;
};

// One entry as a walker found it; sizes before saturation.
struct TEntry {
  std::string Name;
  uint64_t Unpacked = 0;
  uint64_t Packed = 0;
  uint32_t Crc = 0;
  uint32_t DateTime = 0;
  uint32_t Attributes = 0x20;
  int Method = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeeded = 0;
  std::string Comment;
};

struct TContext {
  std::unique_ptr<TVolume> Volume;  // the file being read; walkers may move to a next volume
  uint64_t Start = 0;               // where the archive starts in the first file
  std::time_t Now = 0;
  std::function<void(TEntry&)> Report;
  std::function<void(const std::string&)> SetArchiveComment;
  // Opens a further volume; null when it is missing (error tells why).
  std::function<std::unique_ptr<TVolume>(const std::string& path, int& error)> Open;
};

// The most volumes one listing follows; a set that names itself again is stopped earlier.
inline constexpr int MaxVolumes = 1000;

void ListArj(TContext& c);
void ListArc(TContext& c);  // ARC and PAK
void ListBh(TContext& c);
void ListCab(TContext& c);
void ListHa(TContext& c);
void ListLha(TContext& c);
void ListRar(TContext& c);  // RAR 1.5 to 4 and RAR 5
void ListZip(TContext& c);
void ListZoo(TContext& c);

// Format identification helpers shared with TZipCommon.
struct TZipEnd {
  uint64_t CentralStart = 0;  // where the first central header is (stub corrected)
  uint64_t CentralSize = 0;
  uint64_t Entries = 0;
  std::string Comment;
  bool Empty = false;  // no central directory at all (an archive without entries)
};
// Finds the end-of-central-directory record and the central directory it points at. False
// when there is no end record or no central header where it points.
bool FindZipEnd(TVolume& v, TZipEnd& end);

// CRC-32 of the concatenation of two blocks, from their CRCs and the second one's length.
uint32_t Crc32Combine(uint32_t crc1, uint32_t crc2, uint64_t len2);

// Unix permission bits as a DOS attribute byte: folder 0x10, else archive 0x20, plus
// read-only when the owner cannot write.
uint32_t DosAttributesFromUnixMode(uint32_t mode);

}  // namespace tf::ziptv
