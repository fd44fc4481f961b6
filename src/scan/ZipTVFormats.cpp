// The directory walkers of the archive lister. Each reads the fixed part of a header at the
// current position, then its variable parts, reports the entry and moves on. A walk stops at
// the end of the file or at a header that is not valid for its format; a header cut short by
// the end of the file is ErrReadingFile. Every step moves forward, so no walk outlives the
// file, and no buffer is sized from a header field without that field being checked against
// the bytes that are really there.

#include "scan/ZipTVFormats.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace tf::ziptv {

std::string TBytes::Sub(std::size_t i, std::size_t n) const {
  if (i >= Data.size()) return {};
  return Data.substr(i, std::min(n, Data.size() - i));
}

std::string TBytes::Field(std::size_t i, std::size_t n) const {
  std::string s = Sub(i, n);
  std::size_t zero = s.find('\0');
  if (zero != std::string::npos) s.resize(zero);
  return s;
}

TBytes TVolume::Read(uint64_t pos, std::size_t n) {
  TBytes b;
  uint64_t left = Left(pos);
  if (n > left) n = std::size_t(left);
  b.Data.resize(n);
  if (n) b.Data.resize(src_->ReadAt(pos, b.Data.data(), n));
  return b;
}

TBytes TVolume::ReadAll(uint64_t pos, std::size_t n) {
  if (Left(pos) < n) throw EZipTVError(ErrReadingFile);
  TBytes b = Read(pos, n);
  if (b.Size() < n) throw EZipTVError(ErrReadingFile);
  return b;
}

std::string TVolume::ZString(uint64_t pos, std::size_t max, uint64_t& end, bool& ok) {
  std::string s;
  ok = false;
  end = pos;
  while (s.size() < max) {
    TBytes chunk = Read(pos + s.size(), std::min<std::size_t>(256, max - s.size()));
    if (chunk.Size() == 0) break;
    std::size_t zero = chunk.Data.find('\0');
    if (zero != std::string::npos) {
      s.append(chunk.Data, 0, zero);
      end = pos + s.size() + 1;
      ok = true;
      return s;
    }
    s += chunk.Data;
  }
  end = pos + s.size();
  return s;
}

uint32_t Crc32Combine(uint32_t crc1, uint32_t crc2, uint64_t len2) {
  // Appending len2 zero bytes to a CRC register is linear over GF(2): square the one-bit
  // operator up to the byte counts that len2's bits ask for.
  if (len2 == 0) return crc1;
  auto times = [](const uint32_t* mat, uint32_t vec) {
    uint32_t sum = 0;
    for (int i = 0; vec; vec >>= 1, ++i)
      if (vec & 1) sum ^= mat[i];
    return sum;
  };
  auto square = [&times](uint32_t* sq, const uint32_t* mat) {
    for (int n = 0; n < 32; ++n) sq[n] = times(mat, mat[n]);
  };
  uint32_t even[32], odd[32];
  odd[0] = 0xEDB88320u;
  for (int n = 1; n < 32; ++n) odd[n] = 1u << (n - 1);
  square(even, odd);  // two zero bits
  square(odd, even);  // four zero bits
  do {
    square(even, odd);
    if (len2 & 1) crc1 = times(even, crc1);
    len2 >>= 1;
    if (!len2) break;
    square(odd, even);
    if (len2 & 1) crc1 = times(odd, crc1);
    len2 >>= 1;
  } while (len2);
  return crc1 ^ crc2;
}

uint32_t DosAttributesFromUnixMode(uint32_t mode) {
  uint32_t a = (mode & 0170000) == 0040000 ? 0x10 : 0x20;
  if ((mode & 0200) == 0) a |= 0x01;
  return a;
}

namespace {

uint64_t SatAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

std::string PathWithSeparators(std::string s) {
  // LHA and HA write 0xFF between the folders of a stored path.
  for (char& ch : s)
    if (uint8_t(ch) == 0xFF || ch == '/') ch = '\\';
  return s;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + "\\" + name;
}

// ---------------------------------------------------------------------------------------
// ARJ

constexpr uint8_t ArjVolumeFlag = 0x04;   // the entry continues in the next volume
constexpr uint8_t ArjExtFileFlag = 0x08;  // the entry started in a previous volume
constexpr uint8_t ArjHostUnix = 2;
constexpr std::size_t ArjMaxBasicSize = 2600;

struct TArjHeader {
  TBytes H;  // from the header id on: 4 + basic header size bytes
  std::string Name;
  std::string Comment;
  uint64_t DataPos = 0;  // after the header's CRC and its extended headers
};

enum class TArjRead { Ok, End, Invalid };

TArjRead ReadArjHeader(TVolume& v, uint64_t pos, TArjHeader& h) {
  TBytes id = v.Read(pos, 4);
  if (id.Size() < 4) return TArjRead::End;
  if (id.B(0) != 0x60 || id.B(1) != 0xEA) return TArjRead::Invalid;
  std::size_t basic = id.W(2);
  if (basic == 0) return TArjRead::End;
  if (basic > ArjMaxBasicSize) return TArjRead::Invalid;
  h.H = v.ReadAll(pos, 4 + basic);
  // ARJ 3 writes first headers longer than the classic 30 bytes (34 from the id on): the
  // name starts after the header's own first-header size.
  std::size_t first = h.H.B(4);
  if (first < 30 || first > basic) return TArjRead::Invalid;
  std::size_t nameAt = 4 + first;
  std::string rest = h.H.Sub(nameAt, basic - first);
  std::size_t zero = rest.find('\0');
  h.Name = rest.substr(0, zero);
  h.Comment.clear();
  if (zero != std::string::npos) {
    std::string after = rest.substr(zero + 1);
    h.Comment = after.substr(0, after.find('\0'));
  }
  uint64_t p = pos + 4 + basic + 4;  // the basic header's CRC follows it
  while (p < v.Size()) {
    TBytes s = v.Read(p, 2);
    p += 2;
    if (s.Size() < 2 || s.W(0) == 0) break;
    p = SatAdd(p, uint64_t(s.W(0)) + 4);
  }
  h.DataPos = p;
  return TArjRead::Ok;
}

TEntry ArjEntry(const TArjHeader& h) {
  TEntry e;
  e.Name = h.Name;
  e.Comment = h.Comment;
  e.Method = h.H.B(9);
  e.VersionMadeBy = h.H.B(5);
  e.VersionNeeded = h.H.B(6);
  e.Packed = h.H.D(16);
  e.Unpacked = h.H.D(20);
  e.Crc = h.H.D(24);
  e.Attributes = 0x20;
  uint32_t stamp = h.H.D(12);
  // ARJ on Unix keeps a Unix time where ARJ on DOS keeps a DOS date and time.
  e.DateTime = h.H.B(7) == ArjHostUnix ? DosDateTimeFromUnix(stamp) : stamp;
  return e;
}

// NAME.ARJ is followed by NAME.A01, NAME.A02, ... NAME.A99, and NAME.001 by NAME.002 ...
// NAME.999; "" after the last or without an extension to count on.
std::string NextArjVolume(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  if (ext.size() != 3) return {};
  auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
  if (digit(ext[0]) && digit(ext[1]) && digit(ext[2])) {  // NAME.001, NAME.002, ... NAME.999
    int n = (ext[0] - '0') * 100 + (ext[1] - '0') * 10 + (ext[2] - '0') + 1;
    if (n > 999) return {};
    ext = {char('0' + n / 100), char('0' + n / 10 % 10), char('0' + n % 10)};
    return path.substr(0, dot + 1) + ext;
  }
  int number = 1;
  if (digit(ext[1]) && digit(ext[2])) {
    number = (ext[1] - '0') * 10 + (ext[2] - '0') + 1;
    if (number > 99) return {};
  }
  ext[1] = char('0' + number / 10);
  ext[2] = char('0' + number % 10);
  return path.substr(0, dot + 1) + ext;
}

}  // namespace

void ListArj(TContext& c) {
  TArjHeader h;
  TArjRead r = ReadArjHeader(*c.Volume, c.Start, h);
  if (r == TArjRead::Invalid) throw EZipTVError(ErrBadFileHeader);
  if (r == TArjRead::End) return;
  if (!h.Comment.empty()) c.SetArchiveComment(h.Comment);
  uint64_t pos = h.DataPos;
  int volumes = 1;
  while (ReadArjHeader(*c.Volume, pos, h) == TArjRead::Ok) {
    TEntry e = ArjEntry(h);
    uint64_t next = SatAdd(h.DataPos, h.H.D(16));
    uint8_t flags = h.H.B(8);
    // An entry split over volumes is reported once, when its last piece is read: its sizes
    // are the sums over the pieces, its CRC the CRC of the whole file (each piece carries the
    // CRC of its own part). A missing next volume reports what was read, then fails.
    while (flags & ArjVolumeFlag) {
      std::string nextPath = NextArjVolume(c.Volume->Path());
      int error = ErrFileNotFound;
      std::unique_ptr<TVolume> nv;
      if (!nextPath.empty() && ++volumes <= MaxVolumes) nv = c.Open(nextPath, error);
      if (!nv) {
        c.Report(e);
        throw EZipTVError(ErrFileNotFound);
      }
      c.Volume = std::move(nv);
      TArjHeader main;
      if (ReadArjHeader(*c.Volume, 0, main) != TArjRead::Ok) {
        c.Report(e);
        throw EZipTVError(ErrBadFileHeader);
      }
      next = main.DataPos;
      TArjHeader piece;
      if (ReadArjHeader(*c.Volume, next, piece) != TArjRead::Ok ||
          !(piece.H.B(8) & ArjExtFileFlag) || piece.Name != h.Name)
        break;  // the next volume does not go on with this entry: list it from its start
      uint32_t pieceSize = piece.H.D(20);
      e.Crc = Crc32Combine(e.Crc, piece.H.D(24), pieceSize);
      e.Unpacked += pieceSize;
      e.Packed += piece.H.D(16);
      flags = piece.H.B(8);
      next = SatAdd(piece.DataPos, piece.H.D(16));
    }
    c.Report(e);
    pos = next;
  }
}

// ---------------------------------------------------------------------------------------
// ARC and PAK

void ListArc(TContext& c) {
  TVolume& v = *c.Volume;
  uint64_t pos = c.Start;
  for (;;) {
    TBytes h = v.Read(pos, 29);
    if (h.Size() < 2 || h.B(0) != 0x1A || h.B(1) == 0) break;
    uint8_t method = h.B(1);
    // Method 1 is the old stored form, whose header has no original size.
    std::size_t headerSize = method == 1 ? 25 : 29;
    if (h.Size() < headerSize) throw EZipTVError(ErrReadingFile);
    TEntry e;
    e.Name = h.Field(2, 13);
    e.Packed = h.D(15);
    e.DateTime = uint32_t(h.W(19)) << 16 | h.W(21);
    e.Crc = h.W(23);
    e.Unpacked = method == 1 ? e.Packed : h.D(25);
    e.Attributes = 0x20;
    e.Method = method;
    c.Report(e);
    pos = SatAdd(pos + headerSize, e.Packed);
  }
}

// ---------------------------------------------------------------------------------------
// BH

void ListBh(TContext& c) {
  TVolume& v = *c.Volume;
  uint64_t pos = c.Start;
  for (;;) {
    TBytes h = v.Read(pos, 37);
    if (h.Size() < 6 || !h.Is(0, "BH\x05\x07") || h.W(4) == 0) break;
    if (h.Size() < 37) throw EZipTVError(ErrReadingFile);
    std::size_t nameLength = h.W(33);
    TEntry e;
    e.Name = v.ReadAll(pos + 37, nameLength).Data;
    e.Method = h.B(10);
    int32_t stamp = int32_t(h.D(11));
    e.DateTime = stamp > 0 ? uint32_t(stamp) : 0;
    e.Packed = h.D(15);
    e.Unpacked = h.D(19);
    e.Crc = h.D(23);
    e.Attributes = h.W(27);
    c.Report(e);
    // The header's length (at 4, counted from the signature) covers the name and whatever
    // follows it; the packed data comes after.
    uint64_t headerSize = std::max<uint64_t>(h.W(4), 37 + nameLength);
    pos = SatAdd(pos + headerSize, e.Packed);
  }
}

// ---------------------------------------------------------------------------------------
// CAB

namespace {

constexpr uint16_t CabPrevCabinet = 0x0001;
constexpr uint16_t CabNextCabinet = 0x0002;
constexpr uint16_t CabReservePresent = 0x0004;
constexpr uint16_t CabContinuedFromPrev = 0xFFFD;
constexpr uint16_t CabContinuedToNext = 0xFFFE;
constexpr uint16_t CabContinuedPrevAndNext = 0xFFFF;

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Lists one cabinet; returns the file name of the next cabinet, or "" at the end of the set.
// In a followed cabinet the entries carried over from the previous one were reported there.
std::string ListOneCabinet(TContext& c, bool followed) {
  TVolume& v = *c.Volume;
  TBytes h = v.Read(0, 36);
  if (h.Size() < 36 || !h.Is(0, "MSCF")) throw EZipTVError(ErrBadFileHeader);
  uint64_t filesAt = h.D(16);
  std::size_t folderCount = h.W(26), fileCount = h.W(28);
  uint16_t flags = h.W(30);
  uint64_t pos = 36;
  std::size_t folderReserve = 0;
  if (flags & CabReservePresent) {
    TBytes r = v.ReadAll(36, 4);
    folderReserve = r.B(2);
    pos = 40 + uint64_t(r.W(0));
  }
  bool ok = true;
  uint64_t end = pos;
  if (flags & CabPrevCabinet) {
    v.ZString(pos, 256, end, ok);  // previous cabinet
    if (ok) v.ZString(end, 256, end, ok);  // its disk
    if (!ok) throw EZipTVError(ErrReadingFile);
    pos = end;
  }
  std::string nextCabinet;
  if (flags & CabNextCabinet) {
    nextCabinet = v.ZString(pos, 256, end, ok);
    if (ok) v.ZString(end, 256, end, ok);
    if (!ok) throw EZipTVError(ErrReadingFile);
    pos = end;
  }
  // The folders' compression types; a folder record is 8 bytes and its reserve.
  std::vector<uint16_t> compression;
  for (std::size_t i = 0; i < folderCount; ++i) {
    TBytes f = v.Read(pos, 8);
    if (f.Size() < 8) break;
    compression.push_back(f.W(6));
    pos += 8 + folderReserve;
  }
  pos = filesAt;
  for (std::size_t i = 0; i < fileCount; ++i) {
    TBytes f = v.Read(pos, 16);
    if (f.Size() < 16) throw EZipTVError(ErrReadingFile);
    std::string name = v.ZString(pos + 16, 1024, end, ok);
    if (!ok) throw EZipTVError(ErrReadingFile);
    pos = end;
    uint16_t folder = f.W(8);
    if (followed && (folder == CabContinuedFromPrev || folder == CabContinuedPrevAndNext))
      continue;
    std::size_t index = folder;
    if (folder == CabContinuedFromPrev || folder == CabContinuedPrevAndNext)
      index = 0;
    else if (folder == CabContinuedToNext)
      index = compression.empty() ? 0 : compression.size() - 1;
    TEntry e;
    e.Name = std::move(name);
    e.Unpacked = f.D(0);
    e.Packed = e.Unpacked;  // a cabinet keeps no compressed size per file
    e.Crc = 0;
    e.DateTime = uint32_t(f.W(10)) << 16 | f.W(12);
    e.Attributes = f.W(14);
    e.Method = index < compression.size() ? compression[index] & 0x000F : 0;
    c.Report(e);
  }
  return nextCabinet;
}

// The file in folder whose name matches name, exactly or else ignoring ASCII case (a cabinet
// made on DOS names DISK2.CAB for a file that a Linux medium may show as disk2.cab).
std::string FindSibling(TContext& c, const std::string& folder, const std::string& name,
                        std::unique_ptr<TVolume>& opened, int& error) {
  std::string path = folder + name;
  opened = c.Open(path, error);
  if (opened) return path;
  std::string upper = name, lower = name;
  for (char& ch : upper) ch = char(std::toupper(uint8_t(ch)));
  for (char& ch : lower) ch = char(std::tolower(uint8_t(ch)));
  for (const std::string& candidate : {upper, lower}) {
    if (candidate == name) continue;
    opened = c.Open(folder + candidate, error);
    if (opened) return folder + candidate;
  }
  return {};
}

}  // namespace

void ListCab(TContext& c) {
  std::set<std::string> seen{c.Volume->Path()};
  std::string next = ListOneCabinet(c, false);
  int volumes = 1;
  while (!next.empty()) {
    // A cabinet names its successor without a folder; it is looked for beside this one.
    for (char& ch : next)
      if (ch == '\\') ch = '/';
    std::size_t slash = next.find_last_of('/');
    if (slash != std::string::npos) next.erase(0, slash + 1);
    if (next.empty() || next == "." || next == "..") break;
    std::unique_ptr<TVolume> nv;
    int error = ErrFileNotFound;
    std::string path;
    if (++volumes <= MaxVolumes) path = FindSibling(c, FolderOf(c.Volume->Path()), next, nv, error);
    if (!nv) throw EZipTVError(ErrFileNotFound);
    if (!seen.insert(path).second) break;  // a set that names itself again
    c.Volume = std::move(nv);
    next = ListOneCabinet(c, true);
  }
}

// ---------------------------------------------------------------------------------------
// HA

void ListHa(TContext& c) {
  TVolume& v = *c.Volume;
  uint64_t pos = c.Start + 4;  // "HA" and the entry count
  for (;;) {
    TBytes h = v.Read(pos, 17);
    if (h.Size() < 17) break;
    int method = h.B(0) & 0x0F;
    // 0 stored, 1 ASC, 2 HSC, 14 a folder, 15 special; anything else is not an HA header.
    if (method > 2 && method < 14) break;
    bool ok = true;
    uint64_t end = 0;
    std::string path = v.ZString(pos + 17, 1024, end, ok);
    if (!ok) throw EZipTVError(ErrReadingFile);
    std::string name = v.ZString(end, 1024, end, ok);
    if (!ok) throw EZipTVError(ErrReadingFile);
    TBytes info = v.ReadAll(end, 1);
    end += 1 + uint64_t(info.B(0));  // machine-specific information
    TEntry e;
    e.Name = JoinPath(PathWithSeparators(path), name);
    e.Method = method;
    e.Packed = h.D(1);
    e.Unpacked = h.D(5);
    e.Crc = h.D(9);
    // The entries carry the time of the listing; the header's own time is not taken.
    e.DateTime = DosDateTimeFromUnix(int64_t(c.Now));
    e.Attributes = 0x20;
    c.Report(e);
    pos = SatAdd(end, e.Packed);
  }
}

// ---------------------------------------------------------------------------------------
// LHA

namespace {

// Extended headers of LHA levels 1 and 2: each is a type byte, its data and the size of the
// next one (0 ends the chain). The size counts the type byte, the data and that size field.
struct TLhaExtended {
  std::string Name;
  std::string Folder;
  bool HasDosAttributes = false;
  uint16_t DosAttributes = 0;
  uint64_t Total = 0;  // bytes of all extended headers
};

void ReadLhaExtension(const TBytes& x, TLhaExtended& out) {
  uint8_t type = x.B(0);
  std::string data = x.Sub(1, x.Size() >= 3 ? x.Size() - 3 : 0);
  if (type == 0x01) out.Name = data;
  else if (type == 0x02) out.Folder = PathWithSeparators(data);
  else if (type == 0x40 && data.size() >= 2) {
    out.HasDosAttributes = true;
    out.DosAttributes = uint16_t(uint8_t(data[0]) | uint8_t(data[1]) << 8);
  }
}

}  // namespace

void ListLha(TContext& c) {
  TVolume& v = *c.Volume;
  uint64_t pos = c.Start;
  for (;;) {
    TBytes h = v.Read(pos, 22);
    if (h.Size() == 0 || h.B(0) == 0) break;  // a zero header size ends the archive
    if (h.Size() < 22) throw EZipTVError(ErrReadingFile);
    if (h.B(2) != '-' || h.B(6) != '-') break;
    uint8_t level = h.B(20);
    TEntry e;
    e.Method = h.B(5);
    e.Unpacked = h.D(11);
    uint64_t packed = h.D(7);
    TLhaExtended ext;
    uint64_t next = 0;
    if (level == 0 || level == 1) {
      std::size_t headerSize = 2 + std::size_t(h.B(0));
      std::size_t nameLength = h.B(21);
      std::size_t needed = 22 + nameLength + (level == 1 ? 5 : 0);
      if (needed > headerSize) break;
      TBytes base = v.ReadAll(pos, headerSize);
      e.Name = PathWithSeparators(base.Sub(22, nameLength));
      e.DateTime = h.D(15);
      e.Attributes = h.B(19);
      uint64_t dataPos = pos + headerSize;
      if (level == 1) {
        // The packed size of level 1 counts the extended headers after the base header.
        uint64_t p = dataPos;
        std::size_t size = base.W(headerSize - 2);
        while (size != 0) {
          if (size < 3) break;
          TBytes x = v.Read(p, size);
          if (x.Size() < size) throw EZipTVError(ErrReadingFile);
          ReadLhaExtension(x, ext);
          ext.Total += size;
          p += size;
          size = x.W(size - 2);
        }
        if (!ext.Name.empty()) e.Name = PathWithSeparators(ext.Name);
        packed = packed >= ext.Total ? packed - ext.Total : 0;
        next = SatAdd(p, packed);
      } else {
        next = SatAdd(dataPos, packed);
      }
    } else if (level == 2) {
      // Level 2: a 16-bit total header size first, a Unix time, the name in an extension.
      std::size_t headerSize = h.W(0);
      if (headerSize < 26) break;
      TBytes whole = v.ReadAll(pos, headerSize);
      e.DateTime = DosDateTimeFromUnix(int64_t(h.D(15)));
      e.Attributes = h.B(19);
      std::size_t p = 26;
      std::size_t size = whole.W(24);
      while (size >= 3 && p + size <= headerSize) {
        TBytes x;
        x.Data = whole.Sub(p, size);
        ReadLhaExtension(x, ext);
        p += size;
        size = x.W(size - 2);
      }
      e.Name = PathWithSeparators(ext.Name);
      next = SatAdd(pos + headerSize, packed);
    } else {
      break;
    }
    if (!ext.Folder.empty()) e.Name = JoinPath(ext.Folder, e.Name);
    if (ext.HasDosAttributes) e.Attributes = ext.DosAttributes & 0xFF;
    e.Packed = packed;
    e.Crc = 0;
    c.Report(e);
    pos = next;
  }
}

// ---------------------------------------------------------------------------------------
// RAR

namespace {

constexpr uint16_t RarLongBlock = 0x8000;
constexpr uint16_t RarMainComment = 0x0002;
constexpr uint16_t RarMainPassword = 0x0080;  // headers encrypted
constexpr uint16_t RarFileSplitAfter = 0x0002;
constexpr uint16_t RarFileComment = 0x0008;
constexpr uint16_t RarFileDirectory = 0x00E0;
constexpr uint16_t RarFileLarge = 0x0100;
constexpr uint16_t RarFileUnicode = 0x0200;
constexpr uint16_t RarFileSalt = 0x0400;

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | cp >> 6);
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | cp >> 12);
    out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// RAR 3 keeps a Unicode name after the plain one and a zero, packed against the plain name:
// a high byte shared by the characters, then two-bit codes (plain byte, byte with the high
// byte, full 16-bit character, or a run taken from the plain name).
std::string RarName(const std::string& field, bool unicode) {
  std::size_t zero = field.find('\0');
  std::string plain = field.substr(0, zero);
  if (!unicode || zero == std::string::npos || zero + 2 > field.size()) return plain;
  const auto* enc = reinterpret_cast<const uint8_t*>(field.data() + zero + 1);
  std::size_t size = field.size() - zero - 1, ep = 0;
  std::vector<uint32_t> out;
  const std::size_t maxLength = 1024;
  uint32_t high = enc[ep++];
  unsigned flags = 0;
  int flagBits = 0;
  while (ep < size && out.size() < maxLength) {
    if (flagBits == 0) {
      flags = enc[ep++];
      flagBits = 8;
    }
    unsigned code = (flags >> 6) & 3;
    if (code == 0) {
      if (ep >= size) break;
      out.push_back(enc[ep++]);
    } else if (code == 1) {
      if (ep >= size) break;
      out.push_back(enc[ep++] + (high << 8));
    } else if (code == 2) {
      if (ep + 1 >= size) break;
      out.push_back(enc[ep] | uint32_t(enc[ep + 1]) << 8);
      ep += 2;
    } else {
      if (ep >= size) break;
      unsigned length = enc[ep++];
      if (length & 0x80) {
        if (ep >= size) break;
        uint8_t correction = enc[ep++];
        for (length = (length & 0x7F) + 2; length > 0 && out.size() < maxLength; --length) {
          std::size_t d = out.size();
          uint8_t a = d < plain.size() ? uint8_t(plain[d]) : 0;
          out.push_back(((a + correction) & 0xFF) + (high << 8));
        }
      } else {
        for (length += 2; length > 0 && out.size() < maxLength; --length) {
          std::size_t d = out.size();
          out.push_back(d < plain.size() ? uint8_t(plain[d]) : 0);
        }
      }
    }
    flags = (flags << 2) & 0xFF;
    flagBits -= 2;
  }
  std::string name;
  for (uint32_t cp : out) {
    if (cp == 0) break;
    AppendUtf8(name, cp);
  }
  return name.empty() ? plain : name;
}

void ListRar4(TContext& c, uint64_t pos) {
  TVolume& v = *c.Volume;
  TBytes m = v.Read(pos, 13);
  if (m.Size() < 13 || m.B(2) != 0x73 || m.W(5) < 13) throw EZipTVError(ErrBadFileHeader);
  uint16_t mainFlags = m.W(3);
  if (mainFlags & RarMainPassword) throw EZipTVError(ErrUnsupportedVersion);
  // The archive comment is stored compressed and is not decoded.
  bool commentSet = false;
  auto setComment = [&] {
    if (!commentSet) c.SetArchiveComment(RarArchiveCommentText);
    commentSet = true;
  };
  if (mainFlags & RarMainComment) setComment();
  pos += m.W(5);
  for (;;) {
    TBytes b = v.Read(pos, 11);
    if (b.Size() < 7) break;
    uint8_t type = b.B(2);
    uint16_t flags = b.W(3);
    std::size_t headSize = b.W(5);
    if (headSize < 7 || type < 0x72 || type > 0x7B || type == 0x7B) break;
    uint64_t addSize = 0;
    if (flags & RarLongBlock) {
      if (headSize < 11 || b.Size() < 11) break;
      addSize = b.D(7);
    }
    if (type == 0x74) {
      if (headSize < 32) break;
      TBytes h = v.ReadAll(pos, headSize);
      std::size_t nameAt = (flags & RarFileLarge) ? 40 : 32;
      std::size_t nameSize = h.W(26);
      if (nameAt + nameSize > headSize) break;
      TEntry e;
      e.Packed = h.D(7);
      e.Unpacked = h.D(11);
      if (flags & RarFileLarge) {
        e.Packed |= uint64_t(h.D(32)) << 32;
        e.Unpacked |= uint64_t(h.D(36)) << 32;
      }
      addSize = e.Packed;
      uint8_t host = h.B(15);
      // The header's CRC is the CRC-32 of the whole file, except in a piece that goes on in
      // the next volume, where it covers only that piece: then none is reported.
      e.Crc = (flags & RarFileSplitAfter) ? 0 : h.D(16);
      e.DateTime = h.D(20);
      e.VersionNeeded = h.B(24);
      e.Method = h.B(25);
      e.Attributes = h.D(28);
      if (host == 3 || host == 5)  // Unix, BeOS: the attributes are a Unix mode
        e.Attributes = DosAttributesFromUnixMode(e.Attributes);
      if ((flags & RarFileDirectory) == RarFileDirectory) e.Attributes |= 0x10;
      e.Name = RarName(h.Sub(nameAt, nameSize), flags & RarFileUnicode);
      // RAR 2 keeps an entry comment in a sub-header after the name; only a stored one can be
      // read without decompressing.
      std::size_t sub = nameAt + nameSize + ((flags & RarFileSalt) ? 8 : 0);
      if ((flags & RarFileComment) && sub + 13 <= headSize && h.B(sub + 2) == 0x75 &&
          h.B(sub + 10) == 0x30)
        e.Comment = h.Sub(sub + 13, std::min<std::size_t>(h.W(sub + 7), headSize - sub - 13));
      c.Report(e);
    } else if (type == 0x7A) {
      // A RAR 3 sub-block named "CMT" holds the archive comment.
      TBytes h = v.Read(pos, std::min<std::size_t>(headSize, 64));
      if (h.Size() >= 35 && h.W(26) == 3 && h.Is(32, "CMT")) setComment();
    } else if (type == 0x75) {
      setComment();
    }
    pos = SatAdd(pos + headSize, addSize);
  }
}

// RAR 5 numbers: seven bits a byte, low first, the high bit set on all but the last.
bool ReadVint(const TBytes& b, std::size_t& p, uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 70; shift += 7) {
    if (p >= b.Size()) return false;
    uint8_t byte = b.B(p++);
    if (shift < 64) value |= uint64_t(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return true;
  }
  return false;
}

constexpr uint64_t Rar5MaxHeaderSize = 2 * 1024 * 1024;

// The modification time from a file header's extra area (record type 3), as a Unix time; 0
// when there is none.
int64_t Rar5ExtraTime(const TBytes& h, std::size_t p, std::size_t end) {
  while (p < end) {
    uint64_t size = 0, type = 0;
    if (!ReadVint(h, p, size) || size == 0 || size > end - p) return 0;
    std::size_t recordEnd = p + std::size_t(size);
    if (!ReadVint(h, p, type)) return 0;
    if (type == 3) {
      uint64_t flags = 0;
      if (!ReadVint(h, p, flags) || !(flags & 0x02)) return 0;
      if (flags & 0x01) return p + 4 <= recordEnd ? int64_t(h.D(p)) : 0;
      if (p + 8 > recordEnd) return 0;
      uint64_t fileTime = h.Q(p);  // 100 ns since 1601
      return fileTime ? int64_t(fileTime / 10000000) - 11644473600LL : 0;
    }
    p = recordEnd;
  }
  return 0;
}

void ListRar5(TContext& c, uint64_t pos) {
  TVolume& v = *c.Volume;
  for (;;) {
    TBytes start = v.Read(pos, 7);
    if (start.Size() < 5) break;
    std::size_t p = 4;
    uint64_t headerSize = 0;
    if (!ReadVint(start, p, headerSize)) {
      if (start.Size() < 7) throw EZipTVError(ErrReadingFile);
      break;
    }
    if (headerSize == 0 || headerSize > Rar5MaxHeaderSize) break;
    std::size_t bodyAt = p;
    TBytes h = v.ReadAll(pos, bodyAt + std::size_t(headerSize));
    std::size_t end = bodyAt + std::size_t(headerSize);
    uint64_t type = 0, flags = 0, extraSize = 0, dataSize = 0;
    if (!ReadVint(h, p, type) || !ReadVint(h, p, flags)) break;
    if ((flags & 0x01) && !ReadVint(h, p, extraSize)) break;
    if ((flags & 0x02) && !ReadVint(h, p, dataSize)) break;
    if (extraSize > end - std::min(p, end)) break;
    std::size_t extraAt = end - std::size_t(extraSize);
    if (type == 4) throw EZipTVError(ErrUnsupportedVersion);  // encrypted headers
    if (type == 5) break;                                      // end of archive
    if (type == 2 || type == 3) {
      uint64_t fileFlags = 0, unpacked = 0, attributes = 0, compression = 0, host = 0,
               nameLength = 0;
      if (!ReadVint(h, p, fileFlags) || !ReadVint(h, p, unpacked) ||
          !ReadVint(h, p, attributes))
        break;
      uint32_t mtime = 0, crc = 0;
      if (fileFlags & 0x02) {
        mtime = h.D(p);
        p += 4;
      }
      if (fileFlags & 0x04) {
        crc = h.D(p);
        p += 4;
      }
      if (!ReadVint(h, p, compression) || !ReadVint(h, p, host) ||
          !ReadVint(h, p, nameLength) || p > extraAt || nameLength > extraAt - p)
        break;
      std::string name = h.Sub(p, std::size_t(nameLength));
      int method = int((compression >> 7) & 7);
      if (type == 3) {
        // Service headers: only the archive comment is of interest. RAR 5 stores it as it
        // is when it is short; a compressed one is not decoded.
        if (name == "CMT") {
          if (method == 0 && dataSize > 0 && dataSize <= 65536) {
            std::string text = v.Read(pos + end, std::size_t(dataSize)).Data;
            c.SetArchiveComment(text.substr(0, text.find('\0')));
          } else {
            c.SetArchiveComment(RarArchiveCommentText);
          }
        }
      } else {
        TEntry e;
        e.Name = std::move(name);
        e.Unpacked = (fileFlags & 0x08) ? 0 : unpacked;
        e.Packed = dataSize;
        e.Crc = (flags & 0x10) ? 0 : crc;  // a piece that goes on in the next volume
        int64_t t = (fileFlags & 0x02) ? int64_t(mtime) : Rar5ExtraTime(h, extraAt, end);
        e.DateTime = DosDateTimeFromUnix(t);
        e.Method = 0x30 + method;
        e.VersionNeeded = uint16_t(compression & 0x3F);
        if (host == 1)
          e.Attributes = DosAttributesFromUnixMode(uint32_t(attributes));
        else
          e.Attributes = uint32_t(attributes);
        if (fileFlags & 0x01) e.Attributes |= 0x10;
        c.Report(e);
      }
    }
    pos = SatAdd(pos + end, dataSize);
  }
}

}  // namespace

void ListRar(TContext& c) {
  TBytes marker = c.Volume->Read(c.Start, 8);
  if (marker.Is(0, std::string_view("Rar!\x1A\x07\x01\x00", 8)))
    ListRar5(c, c.Start + 8);
  else if (marker.Is(0, std::string_view("Rar!\x1A\x07\x00", 7)))
    ListRar4(c, c.Start + 7);
  else
    throw EZipTVError(ErrUnsupportedVersion);
}

// ---------------------------------------------------------------------------------------
// ZIP

namespace {

constexpr std::string_view ZipCentralSig("PK\x01\x02", 4);
constexpr std::string_view ZipEndSig("PK\x05\x06", 4);
constexpr std::string_view Zip64LocatorSig("PK\x06\x07", 4);
constexpr std::string_view Zip64EndSig("PK\x06\x06", 4);
// The end record is 22 bytes and its comment at most 65535.
constexpr std::size_t ZipEndSearch = 22 + 65535;

bool IsCentralHeader(TVolume& v, uint64_t pos) {
  return v.Read(pos, 4).Is(0, ZipCentralSig);
}

}  // namespace

bool FindZipEnd(TVolume& v, TZipEnd& end) {
  uint64_t size = v.Size();
  if (size < 22) return false;
  // Searched backwards; the record nearest the end wins. It starts the file only in an empty
  // archive, which is nothing else.
  std::size_t window = std::size_t(std::min<uint64_t>(size, ZipEndSearch));
  uint64_t tailAt = size - window;
  TBytes tail = v.Read(tailAt, window);
  if (tail.Size() < 22) return false;
  std::size_t i = tail.Size() - 22;
  for (;; --i) {
    if (tail.B(i) == 'P' && tail.Is(i, ZipEndSig)) break;
    if (i == 0) return false;
  }
  uint64_t recordAt = tailAt + i;
  uint64_t entries = tail.W(i + 10);
  uint64_t centralSize = tail.D(i + 12);
  uint64_t centralAt = tail.D(i + 16);
  end.Comment = tail.Sub(i + 22, tail.W(i + 20));
  // ZIP64: a locator just before the end record points at the 64-bit end record.
  if (recordAt >= 20) {
    TBytes locator = v.Read(recordAt - 20, 20);
    if (locator.Is(0, Zip64LocatorSig)) {
      uint64_t at = locator.Q(8);
      TBytes r = v.Read(at, 56);
      if (r.Size() == 56 && r.Is(0, Zip64EndSig)) {
        entries = r.Q(32);
        centralSize = r.Q(40);
        centralAt = r.Q(48);
        recordAt = at;
      }
    }
  }
  end.Entries = entries;
  end.CentralSize = centralSize;
  if (entries == 0 && centralSize == 0) {
    end.Empty = true;
    return true;
  }
  if (IsCentralHeader(v, centralAt)) {
    end.CentralStart = centralAt;
    return true;
  }
  // An archive behind a stub that its offsets do not count: the central directory ends
  // where the end record begins.
  if (recordAt >= centralSize && IsCentralHeader(v, recordAt - centralSize)) {
    end.CentralStart = recordAt - centralSize;
    return true;
  }
  return false;
}

void ListZip(TContext& c) {
  TVolume& v = *c.Volume;
  TZipEnd end;
  if (!FindZipEnd(v, end)) throw EZipTVError(ErrInArchive);
  if (!end.Comment.empty()) c.SetArchiveComment(end.Comment);
  if (end.Empty) return;
  uint64_t pos = end.CentralStart;
  for (;;) {
    TBytes h = v.Read(pos, 46);
    if (h.Size() < 46 || !h.Is(0, ZipCentralSig)) break;
    std::size_t nameLength = h.W(28), extraLength = h.W(30), commentLength = h.W(32);
    TBytes var = v.ReadAll(pos + 46, nameLength + extraLength + commentLength);
    TEntry e;
    e.Name = var.Sub(0, nameLength);
    e.Comment = var.Sub(nameLength + extraLength, commentLength);
    e.VersionMadeBy = h.W(4);
    e.VersionNeeded = h.W(6);
    e.Method = h.W(10);
    e.DateTime = h.D(12);  // time at 12, date at 14: a DOS stamp as it is
    e.Crc = h.D(16);
    e.Packed = h.D(20);
    e.Unpacked = h.D(24);
    e.Attributes = h.D(38);
    // ZIP64 extra field: the 64-bit values of the fields that hold FFFFFFFFh, in order.
    std::size_t x = nameLength, xEnd = nameLength + extraLength;
    while (x + 4 <= xEnd) {
      uint16_t id = var.W(x), size = var.W(x + 2);
      std::size_t data = x + 4;
      if (size > xEnd - data) break;
      if (id == 0x0001) {
        std::size_t q = data, qEnd = data + size;
        if (h.D(24) == 0xFFFFFFFFu && q + 8 <= qEnd) {
          e.Unpacked = var.Q(q);
          q += 8;
        }
        if (h.D(20) == 0xFFFFFFFFu && q + 8 <= qEnd) e.Packed = var.Q(q);
      }
      x = data + size;
    }
    c.Report(e);
    pos += 46 + nameLength + extraLength + commentLength;
  }
}

// ---------------------------------------------------------------------------------------
// ZOO

namespace {
constexpr uint32_t ZooTag = 0xFDC4A7DCu;
}

void ListZoo(TContext& c) {
  TVolume& v = *c.Volume;
  TBytes a = v.Read(c.Start, 42);
  if (a.Size() < 34) return;
  uint32_t first = a.D(24);
  // The header keeps the first entry's offset and its negation as a check.
  if (uint32_t(first + a.D(28)) != 0) return;
  if (a.Size() >= 41 && a.D(35) != 0 && a.W(39) != 0)
    c.SetArchiveComment(v.Read(a.D(35), a.W(39)).Data);
  uint64_t pos = first;
  for (;;) {
    TBytes h = v.Read(pos, 58);
    if (h.Size() < 6 || h.D(0) != ZooTag) break;
    if (h.Size() < 56) throw EZipTVError(ErrReadingFile);
    uint64_t next = h.D(6);
    if (next == 0) break;  // the chain ends with an empty entry
    TEntry e;
    e.Method = h.B(5);
    e.DateTime = uint32_t(h.W(14)) << 16 | h.W(16);
    e.Crc = h.W(18);
    e.Unpacked = h.D(20);
    e.Packed = h.D(24);
    e.VersionNeeded = uint16_t(h.B(28) << 8 | h.B(29));
    // ZOO keeps no DOS attributes (type-2 entries carry a host-specific mode): report
    // archive, as for the other formats without them.
    e.Attributes = 0x20;
    std::string shortName = h.Field(38, 13);
    e.Name = shortName;
    // Type 2 entries may carry a long name and a folder after the fixed part.
    if (h.B(4) == 2 && h.W(51) > 0 && h.Size() >= 58) {
      std::size_t nameLength = h.B(56), folderLength = h.B(57);
      TBytes var = v.Read(pos + 58, nameLength + folderLength);
      std::string longName = var.Field(0, nameLength);
      std::string folder = var.Field(nameLength, folderLength);
      e.Name = JoinPath(PathWithSeparators(folder), longName.empty() ? shortName : longName);
    }
    uint32_t commentAt = h.D(32);
    uint16_t commentLength = h.W(36);
    if (commentAt != 0 && commentLength != 0) e.Comment = v.Read(commentAt, commentLength).Data;
    // Deleted entries stay in the chain until the archive is packed; they are no longer in it.
    if (h.B(30) == 0) c.Report(e);
    // Entries are appended, so the chain only moves forward; anything else is a loop.
    if (next <= pos) break;
    pos = next;
  }
}

}  // namespace tf::ziptv
