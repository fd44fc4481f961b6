#include "scan/ZipTV.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "scan/ZipTVFormats.h"

namespace tf {

const char* ZipTVErrorText(int code) {
  switch (code) {
    case ErrBadFileHeader: return "Bad file header";
    case ErrClosingFile: return "Error closing file";
    case ErrFileNotFound: return "File not found";
    case ErrOpeningFile: return "Error opening file";
    case ErrReadingFile: return "Error reading file or unexpected end of file";
    case ErrInArchive: return "Error in archive";
    case ErrNoOnRead: return "OnRead event not assigned";
    case ErrUnknownFileType: return "Unknown file type";
    case ErrUnsupportedVersion: return "Unsupported version";
    default: return "Error in archive";
  }
}

namespace {

struct TExtensionRow {
  std::string_view Ext;
  char NumberedPrefix;  // a letter that, followed by two digits, also names the type
  bool CarriesComments;
};

constexpr TExtensionRow ExtensionTable[] = {
    {"ARC", 0, false}, {"ARJ", 0, true}, {"CAB", 0, false}, {"HA", 0, false},
    {"LHA", 0, false}, {"LZH", 0, false}, {"PAK", 0, false}, {"RAR", 'R', true},
    {"ZIP", 'Z', true}, {"ZOO", 0, true},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// The file's bytes through POSIX reads; the descriptor is closed with the source.
class TFileSource final : public TByteSource {
 public:
  TFileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~TFileSource() override { ::close(fd_); }
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;
  uint64_t Size() const override { return size_; }
  std::size_t ReadAt(uint64_t pos, void* buf, std::size_t n) override {
    if (pos >= size_) return 0;
    if (n > size_ - pos) n = std::size_t(size_ - pos);
    std::size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done, off_t(pos + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        throw EZipTVError(ErrReadingFile);
      }
      if (r == 0) break;  // the file shrank under us
      done += std::size_t(r);
    }
    return done;
  }

 private:
  int fd_;
  uint64_t size_;
};

// The format of an archive that starts at the given bytes; atStart picks the column for an
// archive at the start of the file, else the one for an archive after an executable stub.
int FormatOfSignature(const ziptv::TBytes& h, bool atStart) {
  auto pick = [atStart](int plain, int sfx) { return atStart ? plain : sfx; };
  if (h.Size() < 4) return FormatUnknown;
  uint8_t b0 = h.B(0), b1 = h.B(1);
  if (b0 == 0x60 && b1 == 0xEA) return pick(FormatArj, FormatArjSfx);
  // arc writes methods 1 and 2 for stored members as well as 3 to 9; PAK adds 10 and 11.
  if (b0 == 0x1A && b1 >= 1 && b1 <= 9) return pick(FormatArc, FormatArcSfx);
  if (b0 == 0x1A && (b1 == 10 || b1 == 11)) return pick(FormatPak, FormatPakSfx);
  if (h.D(0) == 0x5754DFB7u) return pick(FormatArc, FormatArcSfx);
  if (h.Is(0, "BH\x05\x07")) return atStart ? FormatBh : FormatUnknown;
  if (h.Is(0, "MSCF")) return atStart ? FormatCab : FormatUnknown;
  if (b0 == 'H' && b1 == 'A') return atStart ? FormatHa : FormatUnknown;
  if (h.B(2) == '-' && h.B(3) == 'l') return pick(FormatLha, FormatLhaSfx);
  if (b0 == 'R' && b1 == 'a') {
    // Only a full marker is a RAR archive; its next byte tells RAR 4 (0) from RAR 5 (1).
    if (!h.Is(0, "Rar!\x1A\x07")) return FormatUnknown;
    if (h.Size() < 7) return FormatUnknown;
    if (h.B(6) > 1) return FormatUnsupported;
    return pick(FormatRar, FormatRarSfx);
  }
  if (h.Is(0, std::string_view("PK\x03\x04", 4))) return pick(FormatZip, FormatZipSfx);
  // An archive with nothing in it is its end record alone.
  if (atStart && h.Is(0, std::string_view("PK\x05\x06", 4))) return FormatZip;
  if (h.D(0) == 0x50000000u) return pick(FormatZipSpan, FormatZipSpanSfx);
  if (b0 == 'Z' && b1 == 'O') return atStart ? FormatZoo : FormatUnknown;
  return FormatUnknown;
}

}  // namespace

int ArchiveTypeOfExtension(std::string_view upperExt, bool* carriesComments) {
  for (int row = int(std::size(ExtensionTable)); row >= 1; --row) {
    const TExtensionRow& r = ExtensionTable[row - 1];
    bool match = upperExt == r.Ext;
    if (!match && r.NumberedPrefix && upperExt.size() == 3 && upperExt[0] == r.NumberedPrefix &&
        IsDigit(upperExt[1]) && IsDigit(upperExt[2]))
      match = true;
    if (match) {
      if (carriesComments) *carriesComments = r.CarriesComments;
      return row;
    }
  }
  if (carriesComments) *carriesComments = false;
  return 0;
}

uint32_t DosDateTimeFromUnix(int64_t t) {
  if (t == 0) return 0;
  std::time_t tt = std::time_t(t);
  if (int64_t(tt) != t) return 0;
  std::tm tm{};
  if (!::localtime_r(&tt, &tm)) return 0;
  int year = tm.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  uint32_t date = uint32_t((year - 1980) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
  uint32_t time = uint32_t(tm.tm_hour << 11 | tm.tm_min << 5 | (tm.tm_sec / 2));
  return date << 16 | time;
}

namespace {

bool WildMatch(std::string_view s, std::string_view p) {
  // Iterative '*' matching with one back-tracking point: linear in practice, never recursive.
  std::size_t si = 0, pi = 0, starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && (p[pi] == '?' || UpperAscii(p[pi]) == UpperAscii(s[si]))) {
      ++si;
      ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool MatchesFileSpec(std::string_view name, std::string_view mask) {
  if (mask.empty() || mask == "*.*" || mask == "*") return true;
  std::size_t cut = name.find_last_of("\\/");
  if (cut != std::string_view::npos) name = name.substr(cut + 1);
  if (WildMatch(name, mask)) return true;
  // As in DOS, "NAME.*" also matches a name without an extension.
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos)
    return WildMatch(name, mask.substr(0, mask.size() - 2));
  return false;
}

std::unique_ptr<TByteSource> TZipCommon::OpenFile(const std::string& path, int& error) {
  // O_NONBLOCK: a pipe of an archive's name (a next volume, say) must not hang the open; it
  // is refused below like any other file that is not a plain file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    error = (errno == ENOENT || errno == ENOTDIR) ? ErrFileNotFound : ErrOpeningFile;
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = ErrOpeningFile;
    return nullptr;
  }
  error = 0;
  return std::make_unique<TFileSource>(fd, uint64_t(st.st_size));
}

void TZipCommon::SetArchiveFile(const std::string& path) {
  archiveFile_ = path;
  start_ = 0;
  int error = 0;
  auto src = OpenFile(path, error);
  if (!src) {
    format_ = error == ErrFileNotFound ? FormatNone : FormatError;
    return;
  }
  try {
    ziptv::TVolume v(std::move(src), path);
    if (v.Size() < 6) {
      format_ = FormatError;
      return;
    }
    ziptv::TBytes head = v.Read(0, 8);
    if (!head.Is(0, "MZ")) {
      format_ = FormatOfSignature(head, true);
      return;
    }
    // An executable: the archive may follow its image, whose size is (pages - 1) * 512 plus
    // the bytes in the last page. A last-page count of 0 means a full page, as the DOS loader
    // reads it.
    uint64_t lastPage = head.W(2), pages = head.W(4);
    format_ = FormatUnknown;
    if (pages > 0) {
      uint64_t image = (pages - 1) * 512 + (lastPage == 0 ? 512 : lastPage);
      if (image < v.Size()) {
        format_ = FormatOfSignature(v.Read(image, 8), false);
        if (format_ != FormatUnknown) start_ = image;
      }
    }
    if (format_ == FormatUnknown && v.Size() >= 23) {
      ziptv::TZipEnd end;
      if (ziptv::FindZipEnd(v, end)) format_ = FormatZipSfx;
    }
  } catch (const EZipTVError&) {
    format_ = FormatError;
  }
}

void TZipTV::Activate() {
  Count = 0;
  ArchiveComment.clear();
  FileComment.clear();
  try {
    if (!OnRead) throw EZipTVError(ErrNoOnRead);
    int format = Format();
    if (format == FormatNone || format == FormatUnknown) throw EZipTVError(ErrUnknownFileType);
    if (format == FormatError) throw EZipTVError(ErrInArchive);
    if (format == FormatUnsupported) throw EZipTVError(ErrUnsupportedVersion);

    ziptv::TContext c;
    c.Open = [this](const std::string& path, int& error) -> std::unique_ptr<ziptv::TVolume> {
      auto src = OpenFile(path, error);
      if (!src) return nullptr;
      return std::make_unique<ziptv::TVolume>(std::move(src), path);
    };
    int error = 0;
    c.Volume = c.Open(ArchiveFile(), error);
    if (!c.Volume) throw EZipTVError(error);
    c.Start = ArchiveStart();
    c.Now = Clock ? Clock() : std::time(nullptr);
    c.SetArchiveComment = [this](const std::string& text) { ArchiveComment = text; };
    c.Report = [this](ziptv::TEntry& e) {
      std::string name = std::move(e.Name);
      for (char& ch : name)
        if (ch == '/') ch = '\\';
      std::size_t first = name.find_first_not_of(' ');
      if (first == std::string::npos) {
        name.clear();
      } else {
        name.erase(0, first);
        name.erase(name.find_last_not_of(' ') + 1);
      }
      if (!MatchesFileSpec(name, FileSpec)) return;
      ++Count;
      FileName = std::move(name);
      UnpackedSize = uint32_t(std::min<uint64_t>(e.Unpacked, UINT32_MAX));
      PackedSize = uint32_t(std::min<uint64_t>(e.Packed, UINT32_MAX));
      Crc = e.Crc;
      DateTime = e.DateTime;
      Attributes = e.Attributes;
      Method = e.Method;
      VersionMadeBy = e.VersionMadeBy;
      VersionNeeded = e.VersionNeeded;
      FileComment = std::move(e.Comment);
      OnRead(*this);
      FileComment.clear();
    };

    switch (format) {
      case FormatArj:
      case FormatArjSfx: ziptv::ListArj(c); break;
      case FormatArc:
      case FormatArcSfx:
      case FormatPak:
      case FormatPakSfx: ziptv::ListArc(c); break;
      case FormatBh: ziptv::ListBh(c); break;
      case FormatCab: ziptv::ListCab(c); break;
      case FormatHa: ziptv::ListHa(c); break;
      case FormatLha:
      case FormatLhaSfx: ziptv::ListLha(c); break;
      case FormatRar:
      case FormatRarSfx: ziptv::ListRar(c); break;
      case FormatZip:
      case FormatZipSfx:
      case FormatZipSpan:
      case FormatZipSpanSfx: ziptv::ListZip(c); break;
      case FormatZoo: ziptv::ListZoo(c); break;
      default: throw EZipTVError(ErrUnknownFileType);
    }
  } catch (const EZipTVError& e) {
    FileComment.clear();
    if (ShowMessages && OnMessage)
      OnMessage(ArchiveFile() + "\r" + e.what() + ".");
    throw;
  }
}

}  // namespace tf
