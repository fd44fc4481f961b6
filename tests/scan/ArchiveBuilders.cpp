#include "scan/ArchiveBuilders.h"

#include <algorithm>
#include <cstdio>

#include "scan/ZipTV.h"

namespace tf::test {

std::string Stub(std::size_t image) {
  TBuf b;
  std::size_t pages = (image + 511) / 512, last = image % 512;
  b.Str("MZ").U16(unsigned(last)).U16(unsigned(pages));
  b.S.resize(image, '\0');
  return b.S;
}

TListing List(const std::string& path, std::time_t now, const std::string& mask) {
  TListing l;
  TZipTV z;
  z.SetArchiveFile(path);
  l.Format = z.Format();
  z.FileSpec = mask;
  z.Clock = [now] { return now; };
  z.OnRead = [&l](TZipTV& t) {
    if (l.Entries.empty()) l.CommentAtFirst = t.ArchiveComment;
    l.Entries.push_back({t.FileName, t.UnpackedSize, t.PackedSize, t.Crc, t.DateTime,
                         t.AttributeByte(), t.Method, t.FileComment});
  };
  try {
    z.Activate();
  } catch (const EZipTVError& e) {
    l.Error = e.Code();
  }
  l.Comment = z.ArchiveComment;
  return l;
}

std::string DosText(uint32_t stamp) {
  if (stamp == 0) return "-";
  unsigned date = stamp >> 16, time = stamp & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
                (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return text;
}

std::string Rows(const TListing& l) {
  std::string out;
  for (const TListed& e : l.Entries) {
    char fields[96];
    std::snprintf(fields, sizeof fields, " %u/%u %08x %s a%02x m%d", unsigned(e.Size),
                  unsigned(e.Packed), unsigned(e.Crc), DosText(e.DateTime).c_str(),
                  unsigned(e.Attr), e.Method);
    out += e.Name + fields + (e.Comment.empty() ? "" : " [" + e.Comment + "]") + "\n";
  }
  return out;
}

std::string Rar4(const std::vector<TRar4File>& files, uint16_t mainFlags,
                 const std::string& betweenBlocks) {
  TBuf b;
  b.Str(std::string_view("Rar!\x1A\x07\x00", 7));
  b.U16(0).U8(0x73).U16(mainFlags).U16(13).U16(0).U32(0);
  b.Str(betweenBlocks);
  for (const auto& f : files) {
    bool large = f.Flags & 0x100;
    TBuf h;
    h.U32(f.Packed).U32(f.Unpacked).U8(f.Host).U32(f.Crc).U32(f.DateTime).U8(29).U8(f.Method);
    h.U16(unsigned(f.Name.size())).U32(f.Attr);
    if (large) h.U32(f.HighPacked).U32(f.HighUnpacked);
    h.Str(f.Name).Str(f.AfterName);
    b.U16(0).U8(0x74).U16(f.Flags | 0x8000).U16(unsigned(7 + h.Size())).Str(h.S);
    if (f.WithData) b.Zeros(f.Packed);
  }
  b.U16(0).U8(0x7B).U16(0x4000).U16(7);
  return b.S;
}

std::string Vint(uint64_t v) {
  std::string s;
  do {
    uint8_t byte = v & 0x7F;
    v >>= 7;
    if (v) byte |= 0x80;
    s += char(byte);
  } while (v);
  return s;
}

static std::string Rar5Block(uint64_t type, uint64_t flags, const std::string& fields,
                             const std::string& extra, uint64_t dataSize) {
  std::string body = Vint(type);
  if (!extra.empty()) flags |= 0x01;
  if (dataSize) flags |= 0x02;
  body += Vint(flags);
  if (!extra.empty()) body += Vint(extra.size());
  if (dataSize) body += Vint(dataSize);
  body += fields + extra;
  TBuf b;
  b.U32(0).Str(Vint(body.size())).Str(body);
  return b.S;
}

std::string Rar5(const std::vector<TRar5File>& files, bool encrypted) {
  std::string s("Rar!\x1A\x07\x01\x00", 8);
  if (encrypted) {
    TBuf enc;
    enc.Str(Vint(0)).Str(Vint(0)).U8(15).Zeros(16);
    s += Rar5Block(4, 0, enc.S, {}, 0);
  }
  s += Rar5Block(1, 0, Vint(0), {}, 0);
  for (const auto& f : files) {
    uint64_t fileFlags = f.FileFlags | (f.Mtime ? 0x02 : 0) | (f.HasCrc ? 0x04 : 0);
    TBuf fields;
    fields.Str(Vint(fileFlags)).Str(Vint(f.Unpacked)).Str(Vint(f.Attr));
    if (f.Mtime) fields.U32(f.Mtime);
    if (f.HasCrc) fields.U32(f.Crc);
    fields.Str(Vint(uint64_t(f.Method) << 7)).Str(Vint(f.Host)).Str(Vint(f.Name.size()));
    fields.Str(f.Name);
    uint64_t dataSize = f.Data.empty() ? f.Packed : f.Data.size();
    s += Rar5Block(f.Service ? 3 : 2, f.HeaderFlags, fields.S, f.Extra, dataSize);
    if (!f.Data.empty()) s += f.Data;
    else s.append(std::size_t(std::min<uint64_t>(f.Packed, 4096)), '\0');
  }
  s += Rar5Block(5, 0, Vint(0), {}, 0);
  return s;
}

std::string Zoo(const std::vector<TZooEntry>& entries, const std::string& archiveComment) {
  // Layout: archive header (42), the archive comment, then each entry's header, its comment
  // and its data; the chain ends with an entry whose next offset is 0.
  TBuf b;
  b.Field("ZOO 2.10 Archive.\x1A", 20).U32(0xFDC4A7DCu);
  std::size_t startAt = b.Size();
  b.U32(0).U32(0).U8(2).U8(0).U8(1);
  std::size_t commentPosAt = b.Size();
  b.U32(0).U16(unsigned(archiveComment.size())).U16(0);
  if (!archiveComment.empty()) {
    uint32_t at = uint32_t(b.Size());
    for (int i = 0; i < 4; ++i) b.S[commentPosAt + i] = char(at >> (8 * i));
    b.Str(archiveComment);
  }
  uint32_t first = uint32_t(b.Size());
  for (int i = 0; i < 4; ++i) {
    b.S[startAt + i] = char(first >> (8 * i));
    b.S[startAt + 4 + i] = char(uint32_t(-first) >> (8 * i));
  }
  for (const auto& e : entries) {
    bool var = !e.LongName.empty() || !e.Folder.empty();
    std::string longName = e.LongName.empty() ? "" : e.LongName + '\0';
    std::string folder = e.Folder.empty() ? "" : e.Folder + '\0';
    std::size_t headerSize = 56 + (var ? 2 + longName.size() + folder.size() : 0);
    uint32_t here = uint32_t(b.Size());
    uint32_t commentAt = e.Comment.empty() ? 0 : uint32_t(here + headerSize);
    uint32_t dataAt = uint32_t(here + headerSize + e.Comment.size());
    uint32_t next = dataAt + e.Packed;
    b.U32(0xFDC4A7DCu).U8(2).U8(e.Method).U32(next).U32(dataAt);
    b.U16(e.DateTime >> 16).U16(e.DateTime & 0xFFFF).U16(e.Crc).U32(e.Unpacked).U32(e.Packed);
    b.U8(2).U8(1).U8(e.Deleted ? 1 : 0).U8(0).U32(commentAt).U16(unsigned(e.Comment.size()));
    b.Field(e.ShortName, 13);
    b.U16(var ? unsigned(2 + longName.size() + folder.size()) : 0).U8(0).U16(0);
    if (var) b.U8(unsigned(longName.size())).U8(unsigned(folder.size())).Str(longName).Str(folder);
    b.Str(e.Comment).Zeros(e.Packed);
  }
  // The empty entry that ends the chain.
  uint32_t here = uint32_t(b.Size());
  b.U32(0xFDC4A7DCu).U8(2).U8(0).U32(0).U32(here).Zeros(56 - 14);
  return b.S;
}

std::string Ha(const std::vector<THaEntry>& entries) {
  TBuf b;
  b.Str("HA").U16(unsigned(entries.size()));
  for (const auto& e : entries) {
    b.U8(e.Type).U32(e.Packed).U32(e.Unpacked).U32(e.Crc).U32(e.Time);
    b.Z(e.Path).Z(e.Name).U8(2).U8(1).U8(0x20).Zeros(e.Packed);
  }
  return b.S;
}

std::string Arc(const std::vector<TArcEntry>& entries, bool endMarker) {
  TBuf b;
  for (const auto& e : entries) {
    b.U8(0x1A).U8(e.Method).Field(e.Name, 13).U32(e.Packed);
    b.U16(e.DateTime >> 16).U16(e.DateTime & 0xFFFF).U16(e.Crc);
    if (e.Method != 1) b.U32(e.Unpacked);
    b.Zeros(e.Packed);
  }
  if (endMarker) b.U8(0x1A).U8(0);
  return b.S;
}

std::string Bh(const std::vector<TBhEntry>& entries) {
  TBuf b;
  for (const auto& e : entries) {
    b.Str("BH\x05\x07").U16(unsigned(37 + e.Name.size())).U32(0).U8(e.Method).U32(e.DateTime);
    b.U32(e.Packed).U32(e.Unpacked).U32(e.Crc).U16(e.Attr).U32(0);
    b.U16(unsigned(e.Name.size())).U16(0).Str(e.Name).Zeros(e.Packed);
  }
  return b.S;
}

std::string Cab(const std::vector<TCabFile>& files, uint16_t compression,
                const std::string& prev, const std::string& next) {
  TBuf names;
  if (!prev.empty()) names.Z(prev).Z("DISK");
  if (!next.empty()) names.Z(next).Z("DISK");
  TBuf recs;
  for (const auto& f : files) {
    recs.U32(f.Size).U32(0).U16(f.Folder).U16(f.DateTime >> 16).U16(f.DateTime & 0xFFFF);
    recs.U16(f.Attr).Z(f.Name);
  }
  uint32_t filesAt = uint32_t(36 + names.Size() + 8);
  uint32_t total = uint32_t(filesAt + recs.Size());
  uint16_t flags = uint16_t((prev.empty() ? 0 : 1) | (next.empty() ? 0 : 2));
  TBuf b;
  b.Str("MSCF").U32(0).U32(total).U32(0).U32(filesAt).U32(0).U8(3).U8(1);
  b.U16(1).U16(unsigned(files.size())).U16(flags).U16(0x1234).U16(0);
  b.Str(names.S);
  b.U32(total).U16(0).U16(compression);
  b.Str(recs.S);
  return b.S;
}

std::string Zip(const std::vector<TZipEntry>& entries, const std::string& comment,
                bool zip64End) {
  TBuf b;
  b.Str(std::string_view("PK\x03\x04", 4)).Zeros(26);  // enough of a local header to identify
  uint32_t cdAt = uint32_t(b.Size());
  for (const auto& e : entries) {
    b.Str(std::string_view("PK\x01\x02", 4)).U16(0x031E).U16(20).U16(0).U16(e.Method);
    b.U32(e.DateTime).U32(e.Crc).U32(e.Packed).U32(e.Unpacked);
    b.U16(unsigned(e.Name.size())).U16(unsigned(e.Extra.size())).U16(unsigned(e.Comment.size()));
    b.U16(0).U16(0).U32(e.External).U32(0).Str(e.Name).Str(e.Extra).Str(e.Comment);
  }
  uint32_t cdSize = uint32_t(b.Size() - cdAt);
  if (zip64End) {
    uint64_t endAt = b.Size();
    b.Str(std::string_view("PK\x06\x06", 4)).U64(44).U16(45).U16(45).U32(0).U32(0);
    b.U64(entries.size()).U64(entries.size()).U64(cdSize).U64(cdAt);
    b.Str(std::string_view("PK\x06\x07", 4)).U32(0).U64(endAt).U32(1);
    b.Str(std::string_view("PK\x05\x06", 4)).U16(0).U16(0).U16(0xFFFF).U16(0xFFFF);
    b.U32(0xFFFFFFFFu).U32(0xFFFFFFFFu);
  } else {
    b.Str(std::string_view("PK\x05\x06", 4)).U16(0).U16(0).U16(unsigned(entries.size()));
    b.U16(unsigned(entries.size())).U32(cdSize).U32(cdAt);
  }
  b.U16(unsigned(comment.size())).Str(comment);
  return b.S;
}

}  // namespace tf::test
