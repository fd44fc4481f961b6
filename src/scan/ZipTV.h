#pragma once
// The archive lister: identifies an archive format from a file's content and reports the
// entries of its directory one by one. Only directories are read; nothing is ever
// decompressed, verified or extracted. An archive is untrusted input: every size, offset and
// count in it is checked against the file before it is used, and every walk is bounded by the
// file's size, so a damaged archive ends in an error or a short listing.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tf {

// Format codes found from content. The pairs tell an archive at the start of the file from
// one that follows an executable stub (self-extracting).
inline constexpr int FormatNone = 0;         // no file
inline constexpr int FormatError = 2;        // shorter than 6 bytes, or unreadable
inline constexpr int FormatUnknown = 3;
inline constexpr int FormatArj = 4;
inline constexpr int FormatArjSfx = 5;
inline constexpr int FormatArc = 6;
inline constexpr int FormatArcSfx = 7;
inline constexpr int FormatBh = 8;
inline constexpr int FormatCab = 9;
inline constexpr int FormatHa = 10;
inline constexpr int FormatLhaSfx = 11;
inline constexpr int FormatLha = 12;
inline constexpr int FormatPak = 13;
inline constexpr int FormatPakSfx = 14;
inline constexpr int FormatRar = 15;
inline constexpr int FormatRarSfx = 16;
inline constexpr int FormatUnsupported = 17;
inline constexpr int FormatZip = 18;
inline constexpr int FormatZipSfx = 19;
inline constexpr int FormatZipSpan = 20;     // starts with the 32-bit value 50000000h
inline constexpr int FormatZipSpanSfx = 21;
inline constexpr int FormatZoo = 22;

// Error codes raised by the lister, each with its fixed text (ZipTVErrorText).
inline constexpr int ErrBadFileHeader = 25108;
inline constexpr int ErrClosingFile = 25115;
inline constexpr int ErrFileNotFound = 25132;
inline constexpr int ErrOpeningFile = 25133;
inline constexpr int ErrReadingFile = 25134;
inline constexpr int ErrInArchive = 25136;
inline constexpr int ErrNoOnRead = 25164;
inline constexpr int ErrUnknownFileType = 25202;
inline constexpr int ErrUnsupportedVersion = 25204;

const char* ZipTVErrorText(int code);

class EZipTVError : public std::runtime_error {
 public:
  explicit EZipTVError(int code) : std::runtime_error(ZipTVErrorText(code)), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// The comment a RAR archive gets in place of its own (which is stored compressed).
inline constexpr const char* RarArchiveCommentText = "Archive Comment encrypted...";

// Random access to the bytes of one archive file (or one volume of a set).
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Copies up to n bytes from pos into buf and returns how many: fewer only at the end of
  // the data. A read failure raises EZipTVError(ErrReadingFile).
  virtual std::size_t ReadAt(uint64_t pos, void* buf, std::size_t n) = 0;
};

// The archive types the scan recognises by file extension (rows 1 to 10: ARC, ARJ, CAB, HA,
// LHA, LZH, PAK, RAR, ZIP, ZOO), matched exactly on the upper-cased extension and searched
// from the last row; R00..R99 count as RAR, Z00..Z99 as ZIP. Returns the row, or 0 when the
// extension names no archive type; *carriesComments (when given) tells whether the type can
// carry an archive comment.
int ArchiveTypeOfExtension(std::string_view upperExt, bool* carriesComments = nullptr);

// A Unix time as an MS-DOS packed local date and time (date in the high 16 bits), or 0 for
// 0 and for times outside 1980..2107.
uint32_t DosDateTimeFromUnix(int64_t t);

// DOS-style mask matching on the last component of an entry name: '*' and '?', case-blind
// for ASCII letters; "*.*" and "*" pass every name, as does a mask ending in ".*" a name
// without a dot.
bool MatchesFileSpec(std::string_view name, std::string_view mask);

// Holds the archive path and its format code. Assigning the path identifies the format.
class TZipCommon {
 public:
  TZipCommon() = default;
  TZipCommon(const TZipCommon&) = delete;
  TZipCommon& operator=(const TZipCommon&) = delete;
  virtual ~TZipCommon() = default;

  void SetArchiveFile(const std::string& path);
  const std::string& ArchiveFile() const { return archiveFile_; }
  int Format() const { return format_; }

  // When set, a failure is first passed to OnMessage as path + "\r" + text + ".". The scan
  // leaves it off.
  bool ShowMessages = false;
  std::function<void(const std::string&)> OnMessage;

 protected:
  // Opens one file of the archive (the archive itself or a further volume). Returns null and
  // sets error to ErrFileNotFound or ErrOpeningFile when it cannot. Tests and the fuzzer serve
  // bytes from memory by overriding it.
  virtual std::unique_ptr<TByteSource> OpenFile(const std::string& path, int& error);

  // The offset where the archive itself starts (after an executable stub).
  uint64_t ArchiveStart() const { return start_; }

 private:
  std::string archiveFile_;
  int format_ = FormatNone;
  uint64_t start_ = 0;
};

// The per-entry properties are valid during one OnRead call.
class TZipTV : public TZipCommon {
 public:
  std::string FileSpec = "*.*";
  std::function<void(TZipTV&)> OnRead;
  // The time HA entries report (HA keeps no time the catalog takes over). Defaults to now.
  std::function<std::time_t()> Clock;

  // Walks the directory and calls OnRead once per entry, in directory order. Raises
  // EZipTVError on failure; the entries reported before it stand.
  void Activate();

  // Entries reported so far by the running (or last) Activate.
  int Count = 0;

  std::string FileName;        // path and name inside the archive, separators as "\"
  uint32_t UnpackedSize = 0;   // saturated at 4294967295 for entries of 4 GiB and more
  uint32_t PackedSize = 0;
  uint32_t Crc = 0;            // CRC-32; 16-bit CRCs widened; 0 when the format keeps none
  uint32_t DateTime = 0;       // MS-DOS packed local date and time, 0 when unknown
  uint32_t Attributes = 0;     // the low byte is the DOS attribute byte
  int Method = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeeded = 0;
  std::string FileComment;     // empty: none
  std::string ArchiveComment;  // empty: none; valid from the first OnRead of an archive

  uint8_t AttributeByte() const { return uint8_t(Attributes & 0xFF); }
};

}  // namespace tf
