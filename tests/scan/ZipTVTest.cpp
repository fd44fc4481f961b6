// The archive lister against archives made by the real archivers (tests/data/archives, made
// by make-fixtures.sh there) and against archives built byte by byte for the formats no
// Debian tool writes. Everything runs in UTC, so Unix times convert the same everywhere.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "scan/ArchiveBuilders.h"
#include "scan/ZipTV.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

const bool InUtc = [] {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  return true;
}();

const std::string Fixtures = std::string(TF_TEST_DATA_DIR) + "/archives/";

// 2001-02-03 04:05:06 and 2003-04-05 06:07:08, the times make-fixtures.sh gives its files.
const uint32_t FileTime = Dos(2001, 2, 3, 4, 5, 6);
const uint32_t FolderTime = Dos(2003, 4, 5, 6, 7, 8);

std::string Write(TTempDir& dir, const std::string& name, const std::string& bytes) {
  std::string path = dir.File(name);
  WriteBytes(path, bytes);
  return path;
}

std::vector<std::string> Names(const TListing& l) {
  std::vector<std::string> n;
  for (const auto& e : l.Entries) n.push_back(e.Name);
  return n;
}

// ---------------------------------------------------------------------------------------

TEST(ArchiveExtensions, TableRowsAndNumberedVolumes) {
  // DATA.R01 is a RAR volume, DATA.RA1 is nothing; the same for Z00..Z99. The comparison is
  // exact on the upper-cased extension the scan hands over.
  const struct {
    const char* Ext;
    int Type;
    bool Comments;
  } cases[] = {{"ARC", 1, false}, {"ARJ", 2, true}, {"LZH", 6, false}, {"ZOO", 10, true},
               {"R01", 8, true},  {"R99", 8, true}, {"RA1", 0, false}, {"Z00", 9, true},
               {"Z1", 0, false},  {"Z123", 0, false}, {"zip", 0, false}, {"", 0, false},
               {"EXE", 0, false}};
  for (const auto& c : cases) {
    bool comments = !c.Comments;
    EXPECT_EQ(ArchiveTypeOfExtension(c.Ext, &comments), c.Type) << c.Ext;
    EXPECT_EQ(comments, c.Comments) << c.Ext;
  }
}

TEST(ArchiveFileSpec, DosMasks) {
  EXPECT_TRUE(MatchesFileSpec("docs\\readme", "*.*"));
  EXPECT_TRUE(MatchesFileSpec("docs\\readme.txt", "*.TXT"));
  EXPECT_FALSE(MatchesFileSpec("docs\\readme.txt", "*.doc"));
  EXPECT_TRUE(MatchesFileSpec("a\\readme", "readme.*"));
  EXPECT_TRUE(MatchesFileSpec("hello.txt", "h?llo.*"));
  EXPECT_FALSE(MatchesFileSpec("hello.txt", "h?lo.*"));
}

TEST(ArchiveTimes, UnixToDosLocal) {
  EXPECT_EQ(DosDateTimeFromUnix(981173106), FileTime);  // 2001-02-03 04:05:06 UTC
  EXPECT_EQ(DosDateTimeFromUnix(0), 0u);
  EXPECT_EQ(DosDateTimeFromUnix(315532799), 0u);  // 1979-12-31 23:59:59
  EXPECT_EQ(DosDateTimeFromUnix(315532800), Dos(1980, 1, 1, 0, 0, 0));
}

// ---------------------------------------------------------------------------------------

TEST(ArchiveIdentification, SignaturesAtTheStart) {
  TTempDir dir;
  TZipTV z;
  z.SetArchiveFile(dir.File("nothing.zip"));
  EXPECT_EQ(z.Format(), FormatNone);
  struct {
    std::string Head;
    int Format;
  } cases[] = {
      {std::string("\x60\xEA\x00\x00\x00\x00", 6), FormatArj},
      {std::string("\x1A\x02name\x00\x00", 8), FormatArc},  // arc's stored members
      {std::string("\x1A\x08name\x00\x00", 8), FormatArc},
      {std::string("\x1A\x0Aname\x00\x00", 8), FormatPak},
      {std::string("\x1A\x0Bname\x00\x00", 8), FormatPak},
      {std::string("\xB7\xDF\x54\x57\x00\x00", 6), FormatArc},
      {std::string("BH\x05\x07\x00\x00", 6), FormatBh},
      {std::string("MSCF\x00\x00", 6), FormatCab},
      {std::string("HA\x00\x00\x00\x00", 6), FormatHa},
      {std::string("\x20\x00-lh5-", 7), FormatLha},
      {std::string("Rar!\x1A\x07\x00", 7), FormatRar},
      {std::string("Rar!\x1A\x07\x01\x00", 8), FormatRar},
      {std::string("PK\x03\x04\x00\x00", 6), FormatZip},
      {std::string("\x00\x00\x00\x50\x00\x00", 6), FormatZipSpan},
      {std::string("ZOO 2.10 Archive.", 17), FormatZoo},
      {std::string("PK\x03\x04\x00", 5), FormatError},  // too short for its signature
      {"plain text, not an archive", FormatUnknown},
      {"Random notes", FormatUnknown},  // two bytes "Ra" are not enough for RAR
      {std::string("Rar!\x1A\x07\x02\x00", 8), FormatUnsupported},
  };
  for (const auto& c : cases) {
    z.SetArchiveFile(Write(dir, "a.bin", c.Head));
    EXPECT_EQ(z.Format(), c.Format) << testing::PrintToString(c.Head);
  }
}

TEST(ArchiveIdentification, AfterAnExecutableStub) {
  TTempDir dir;
  std::string stub = Stub(1000);
  struct {
    std::string Archive;
    int Format;
  } cases[] = {
      {std::string("\x60\xEA\x00\x00\x00\x00", 6), FormatArjSfx},
      {std::string("\x1A\x08name\x00\x00", 8), FormatArcSfx},
      {std::string("\x1A\x0Aname\x00\x00", 8), FormatPakSfx},
      {std::string("\x20\x00-lh5-", 7), FormatLhaSfx},
      {std::string("Rar!\x1A\x07\x00", 7), FormatRarSfx},
      {std::string("PK\x03\x04\x00\x00", 6), FormatZipSfx},
      {std::string("\x00\x00\x00\x50\x00\x00", 6), FormatZipSpanSfx},
      // No self-extracting form of these.
      {std::string("MSCF\x00\x00", 6), FormatUnknown},
      {std::string("HA\x00\x00\x00\x00", 6), FormatUnknown},
      {std::string("ZOO 2.10 Archive.", 17), FormatUnknown},
  };
  for (const auto& c : cases) {
    TZipTV z;
    z.SetArchiveFile(Write(dir, "a.exe", stub + c.Archive));
    EXPECT_EQ(z.Format(), c.Format) << testing::PrintToString(c.Archive);
  }
  // An image that ends beyond the file, and a plain executable.
  TZipTV z;
  z.SetArchiveFile(Write(dir, "big.exe", Stub(1000).substr(0, 700)));
  EXPECT_EQ(z.Format(), FormatUnknown);
  z.SetArchiveFile(Write(dir, "plain.exe", Stub(1000) + std::string(200, 'x')));
  EXPECT_EQ(z.Format(), FormatUnknown);
  // A last-page count of 0 is a full last page: the image is 1024 bytes.
  std::string full = Stub(1024);
  EXPECT_EQ(full[2], 0);
  z.SetArchiveFile(Write(dir, "full.exe", full + std::string("\x60\xEA\x00\x00\x00\x00", 6)));
  EXPECT_EQ(z.Format(), FormatArjSfx);
}

TEST(ArchiveIdentification, ExecutableWithZipEndRecord) {
  TTempDir dir;
  // The archive does not follow the image directly, but the end record and the central
  // directory it points at make it a self-extracting ZIP.
  std::string zip = Zip({{"a.txt", 3, 3, 0x12345678, FileTime, 0x20, 0}});
  std::string exe = Stub(1000) + std::string(300, 'x') + zip;
  TListing l = List(Write(dir, "sfx.exe", exe));
  EXPECT_EQ(l.Format, FormatZipSfx);
  EXPECT_EQ(Rows(l), "a.txt 3/3 12345678 2001-02-03 04:05:06 a20 m0\n");
  // An end record whose central directory is nowhere: not an archive.
  std::string broken = exe;
  broken[1000 + 300 + 30] = 'X';  // the central header's signature
  TZipTV z;
  z.SetArchiveFile(Write(dir, "broken.exe", broken));
  EXPECT_EQ(z.Format(), FormatUnknown);
}

TEST(ArchiveIdentification, ContentDecidesNotTheExtension) {
  TTempDir dir;
  std::filesystem::copy_file(Fixtures + "basic.arj", dir.File("really-arj.zip"));
  TListing l = List(dir.File("really-arj.zip"));
  EXPECT_EQ(l.Format, FormatArj);
  EXPECT_EQ(Names(l), (std::vector<std::string>{"hello.txt", "docs\\readme.txt"}));
}

// ---------------------------------------------------------------------------------------

TEST(ArchiveActivate, FailuresCarryTheirCodesAndTexts) {
  TTempDir dir;
  TZipTV z;
  z.SetArchiveFile(Fixtures + "basic.zip");
  try {
    z.Activate();
    FAIL() << "no OnRead";
  } catch (const EZipTVError& e) {
    EXPECT_EQ(e.Code(), ErrNoOnRead);
    EXPECT_STREQ(e.what(), "OnRead event not assigned");
  }
  EXPECT_EQ(List(dir.File("missing.zip")).Error, ErrUnknownFileType);
  EXPECT_EQ(List(Write(dir, "text.zip", "just some text")).Error, ErrUnknownFileType);
  EXPECT_EQ(List(Write(dir, "tiny.zip", "PK")).Error, ErrInArchive);
  EXPECT_EQ(List(Write(dir, "v.rar", std::string("Rar!\x1A\x07\x05\x00", 8))).Error,
            ErrUnsupportedVersion);
  EXPECT_STREQ(ZipTVErrorText(ErrReadingFile), "Error reading file or unexpected end of file");
  EXPECT_STREQ(ZipTVErrorText(ErrBadFileHeader), "Bad file header");
  EXPECT_STREQ(ZipTVErrorText(ErrFileNotFound), "File not found");
}

TEST(ArchiveActivate, ShowMessagesReportsPathAndText) {
  TTempDir dir;
  std::string path = Write(dir, "text.zip", "just some text");
  TZipTV z;
  z.SetArchiveFile(path);
  z.OnRead = [](TZipTV&) {};
  std::string message;
  z.OnMessage = [&message](const std::string& m) { message = m; };
  EXPECT_THROW(z.Activate(), EZipTVError);
  EXPECT_EQ(message, "");  // off by default, as the scan uses it
  z.ShowMessages = true;
  EXPECT_THROW(z.Activate(), EZipTVError);
  EXPECT_EQ(message, path + "\rUnknown file type.");
}

TEST(ArchiveActivate, CountSpecReuseAndCommentBeforeTheFirstEntry) {
  TListing l = List(Fixtures + "comment.zip", 0, "*.txt");
  EXPECT_EQ(l.Entries.size(), 2u);
  EXPECT_EQ(l.CommentAtFirst, "A zip comment\r\nsecond line");
  EXPECT_EQ(List(Fixtures + "basic.zip", 0, "hello.*").Entries.size(), 1u);

  TZipTV z;
  int calls = 0;
  z.OnRead = [&calls](TZipTV&) { ++calls; };
  z.SetArchiveFile(Fixtures + "comment.zip");
  z.Activate();
  EXPECT_EQ(z.Count, 2);
  EXPECT_FALSE(z.ArchiveComment.empty());
  // Reused for the next archive: the count and the comment start again.
  z.SetArchiveFile(Fixtures + "level2.lzh");
  EXPECT_EQ(z.Format(), FormatLha);
  z.Activate();
  EXPECT_EQ(z.Count, 2);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(z.ArchiveComment, "");
}

// ---------------------------------------------------------------------------------------
// Archives made by the real archivers.

TEST(RealArchives, EveryFormatListsItsEntries) {
  // docs/readme.txt is reported as docs\readme.txt. LHA reports no CRC and its level-1 packed
  // size without the extended headers; arc stores small members with method 2 and a CRC-16.
  const std::string zip =
      "hello.txt 12/12 af083b2d 2001-02-03 04:05:06 a00 m0\n"
      "docs\\readme.txt 600/21 0094eb5d 2001-02-03 04:05:06 a00 m8\n";
  const std::string arj =
      "hello.txt 12/12 af083b2d 2001-02-03 04:05:06 a20 m0\n"
      "docs\\readme.txt 600/28 0094eb5d 2001-02-03 04:05:06 a20 m1\n";
  const std::string arc =
      "hello.txt 12/12 00009778 2001-02-03 04:05:06 a20 m2\n"
      "readme.txt 600/130 00007a9e 2001-02-03 04:05:06 a20 m8\n";
  const std::string lha =
      "hello.txt 12/12 00000000 2001-02-03 04:05:06 a20 m48\n"
      "docs\\readme.txt 600/28 00000000 2001-02-03 04:05:06 a20 m53\n";
  const std::string cab =  // stored, and compressed with MSZIP (method 1)
      "hello.txt 12/12 00000000 2001-02-03 04:05:06 a20 m0\n"
      "docs\\readme.txt 600/600 00000000 2001-02-03 04:05:06 a20 m0\n";
  std::string mszip = cab;
  for (std::size_t at; (at = mszip.find(" m0")) != std::string::npos;) mszip[at + 2] = '1';
  const struct {
    const char* File;
    int Format;
    std::string Rows;
    std::string Comment;
  } cases[] = {
      {"basic.zip", FormatZip, zip, ""},
      {"zip64.zip", FormatZip, zip, ""},
      {"sfx-adjusted.exe", FormatZipSfx, zip, ""},
      {"sfx-concatenated.exe", FormatZipSfx, zip, ""},
      {"comment.zip", FormatZip,
       "hello.txt 12/12 af083b2d 2001-02-03 04:05:06 a00 m0 [a comment for hello]\n"
       "docs\\readme.txt 600/21 0094eb5d 2001-02-03 04:05:06 a00 m8 [a comment for readme]\n",
       "A zip comment\r\nsecond line"},
      {"folders.zip", FormatZip,
       "docs\\ 0/0 00000000 2003-04-05 06:07:08 a10 m0\n"
       "docs\\readme.txt 600/21 0094eb5d 2001-02-03 04:05:06 a00 m8\n"
       "hello.txt 12/12 af083b2d 2001-02-03 04:05:06 a00 m0\n",
       ""},
      // ARJ 3 on Unix: first headers of 46 bytes, Unix times, host OS 2.
      {"basic.arj", FormatArj, arj, "An archive comment\r\nsecond line"},
      {"sfx-arj.exe", FormatArjSfx, arj, "An archive comment\r\nsecond line"},
      {"basic.arc", FormatArc, arc, ""},
      {"sfx-arc.exe", FormatArcSfx, arc, ""},
      {"level0.lzh", FormatLha, lha, ""},
      {"level1.lzh", FormatLha, lha, ""},
      {"level2.lzh", FormatLha, lha, ""},
      {"sfx-lha.exe", FormatLhaSfx, lha, ""},
      {"stored.cab", FormatCab, cab, ""},
      {"mszip.cab", FormatCab, mszip, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    TListing l = List(Fixtures + c.File);
    EXPECT_EQ(l.Format, c.Format);
    EXPECT_EQ(l.Error, 0);
    EXPECT_EQ(Rows(l), c.Rows);
    EXPECT_EQ(l.Comment, c.Comment);
    EXPECT_EQ(l.CommentAtFirst, l.Comment);
  }
}

TEST(RealArchives, ArjVolumesAreFollowed) {
  // big.bin (50000 bytes) is split over vol.arj, vol.a01 and vol.a02: it is reported once,
  // with the summed sizes and the CRC of the whole file; the volumes' other entries follow.
  TListing l = List(Fixtures + "vol.arj");
  EXPECT_EQ(l.Error, 0);
  ASSERT_EQ(Names(l), (std::vector<std::string>{"hello.txt", "big.bin", "docs\\readme.txt"}));
  EXPECT_EQ(l.Entries[1].Size, 50000u);
  EXPECT_EQ(l.Entries[1].Packed, 50000u);
  EXPECT_EQ(l.Entries[1].Crc, 0x720644A3u);
  EXPECT_EQ(l.Entries[1].DateTime, Dos(2002, 3, 4, 5, 6, 8));
  // A missing volume: what was read stands, big.bin with the pieces of the volumes there are.
  TTempDir dir;
  std::filesystem::copy_file(Fixtures + "vol.arj", dir.File("vol.arj"));
  std::filesystem::copy_file(Fixtures + "vol.a01", dir.File("vol.a01"));
  TListing cut = List(dir.File("vol.arj"));
  EXPECT_EQ(cut.Error, ErrFileNotFound);
  ASSERT_EQ(Names(cut), (std::vector<std::string>{"hello.txt", "big.bin"}));
  EXPECT_GT(cut.Entries[1].Size, 19000u);
  EXPECT_LT(cut.Entries[1].Size, 50000u);
}

// ---------------------------------------------------------------------------------------
// Formats built byte by byte.

TEST(BuiltArchives, Rar4) {
  TTempDir dir;
  std::vector<TRar4File> files(4);
  files[0] = {"readme.txt", 5, 600, 0x0094EB5D, FileTime, 0x21, 2, 0x33};
  files[1] = {"docs/Unix.txt", 3, 3, 0x11111111, FileTime, 0100444, 3, 0x30};
  files[2] = {"docs", 0, 0, 0, FolderTime, 0x10, 2, 0x30, 0x00E0};
  // Split into the next volume: the header's CRC covers this piece only.
  files[3] = {"part.bin", 4, 9, 0x22222222, FileTime, 0x20, 2, 0x30, 0x0002};
  std::string rar = Rar4(files, 0x0002);
  TListing l = List(Write(dir, "a.rar", rar));
  EXPECT_EQ(l.Format, FormatRar);
  EXPECT_EQ(l.Error, 0);
  // A Unix mode 0444 is a read-only archive file.
  EXPECT_EQ(Rows(l),
            "readme.txt 600/5 0094eb5d 2001-02-03 04:05:06 a21 m51\n"
            "docs\\Unix.txt 3/3 11111111 2001-02-03 04:05:06 a21 m48\n"
            "docs 0/0 00000000 2003-04-05 06:07:08 a10 m48\n"
            "part.bin 9/4 00000000 2001-02-03 04:05:06 a20 m48\n");
  // The archive comment is stored compressed: the placeholder text stands for it.
  EXPECT_EQ(l.Comment, "Archive Comment encrypted...");
  EXPECT_EQ(l.CommentAtFirst, l.Comment);

  TListing sfx = List(Write(dir, "a.exe", Stub(2048) + rar));
  EXPECT_EQ(sfx.Format, FormatRarSfx);
  EXPECT_EQ(Names(sfx), Names(l));
}

TEST(BuiltArchives, Rar4NamesCommentsAndLargeFiles) {
  TTempDir dir;
  std::vector<TRar4File> files(3);
  // A Unicode name after the plain one: high byte 04, then "Ж" (0x0416) as byte 16 with
  // the high byte, and "a" as a plain byte.
  files[0].Name = std::string("?a\0\x04\x40\x16\x61", 7);
  files[0].Flags = 0x0200;
  // A RAR 2 entry comment stored in a sub-header after the name.
  files[1].Name = "c.txt";
  files[1].Flags = 0x0008;
  TBuf sub;
  sub.U16(0).U8(0x75).U16(0).U16(13 + 7).U16(7).U8(15).U8(0x30).U16(0).Str("note it");
  files[1].AfterName = sub.S;
  // 6 GiB: the sizes saturate at 4294967295.
  files[2] = {"huge.bin", 0x10, 0x10, 0, FileTime, 0x20, 2, 0x33, 0x0100, 1, 1};
  files[2].WithData = false;
  TListing l = List(Write(dir, "b.rar", Rar4(files)));
  EXPECT_EQ(l.Error, 0);
  EXPECT_EQ(Rows(l),
            "\xD0\x96" "a 0/0 00000000 - a20 m51\n"
            "c.txt 0/0 00000000 - a20 m51 [note it]\n"
            "huge.bin 4294967295/4294967295 00000000 2001-02-03 04:05:06 a20 m51\n");
  EXPECT_EQ(l.Comment, "");
  // A RAR 3 comment sub-block marks the comment too.
  TBuf cmt;
  cmt.U32(0).U32(0).U8(0).U32(0).U32(0).U8(29).U8(0x30).U16(3).U32(0).Str("CMT");
  TBuf block;
  block.U16(0).U8(0x7A).U16(0x8000).U16(unsigned(7 + cmt.Size())).Str(cmt.S);
  TListing c = List(Write(dir, "c.rar", Rar4({{"x", 0, 0}}, 0, block.S)));
  EXPECT_EQ(c.Comment, "Archive Comment encrypted...");
  ASSERT_EQ(c.Entries.size(), 1u);
  // Encrypted headers cannot be listed.
  EXPECT_EQ(List(Write(dir, "d.rar", Rar4({{"x", 0, 0}}, 0x0080))).Error, ErrUnsupportedVersion);
}

TEST(BuiltArchives, Rar5) {
  TTempDir dir;
  std::vector<TRar5File> files(4);
  files[0].Service = true;
  files[0].Name = "CMT";
  files[0].Method = 0;
  files[0].HasCrc = false;
  files[0].Data = "RAR 5 comment";
  files[1].Name = "docs/readme.txt";
  files[1].Packed = 21;
  files[1].Unpacked = 600;
  files[1].Crc = 0x0094EB5D;
  files[1].Mtime = 981173106;
  files[1].Attr = 0x21;
  // Unix host, time in the extra area as a Windows file time, 5 GiB.
  files[2].Name = "big.iso";
  files[2].Packed = 30;
  files[2].Unpacked = 5ull << 30;
  files[2].Host = 1;
  files[2].Attr = 0100644;
  files[2].Method = 0;
  TBuf time;
  time.Str(Vint(3)).Str(Vint(0x02)).U64((981173106ull + 11644473600ull) * 10000000ull);
  files[2].Extra = Vint(time.Size()) + time.S;
  files[3].Name = "dir";
  files[3].FileFlags = 0x01;
  files[3].HasCrc = false;
  std::string rar = Rar5(files);
  TListing l = List(Write(dir, "a.rar", rar));
  EXPECT_EQ(l.Format, FormatRar);
  EXPECT_EQ(l.Error, 0);
  EXPECT_EQ(Rows(l),
            "docs\\readme.txt 600/21 0094eb5d 2001-02-03 04:05:06 a21 m51\n"
            "big.iso 4294967295/30 00000000 2001-02-03 04:05:06 a20 m48\n"
            "dir 0/0 00000000 - a30 m51\n");
  EXPECT_EQ(l.Comment, "RAR 5 comment");
  EXPECT_EQ(l.CommentAtFirst, "RAR 5 comment");
  EXPECT_EQ(List(Write(dir, "e.rar", Rar5(files, true))).Error, ErrUnsupportedVersion);
}

TEST(BuiltArchives, Zoo) {
  TTempDir dir;
  std::vector<TZooEntry> entries(3);
  entries[0] = {"README.TXT", "", "", 10, 600, FileTime, 0x1234, 2, false, "entry note"};
  entries[1] = {"LONGNA~1.TXT", "long name.txt", "docs/sub", 3, 3, FolderTime, 0x5678, 0};
  entries[2] = {"GONE.TXT", "", "", 2, 2, FileTime, 0, 0, true};
  TListing l = List(Write(dir, "a.zoo", Zoo(entries, "zoo comment")));
  EXPECT_EQ(l.Format, FormatZoo);
  EXPECT_EQ(l.Error, 0);
  // The deleted entry is left out.
  EXPECT_EQ(Rows(l),
            "README.TXT 600/10 00001234 2001-02-03 04:05:06 a20 m2 [entry note]\n"
            "docs\\sub\\long name.txt 3/3 00005678 2003-04-05 06:07:08 a20 m0\n");
  EXPECT_EQ(l.Comment, "zoo comment");
}

TEST(BuiltArchives, ZooChainsThatDoNotMoveOn) {
  TTempDir dir;
  std::string zoo = Zoo({{"A.TXT", "", "", 4, 4, FileTime}, {"B.TXT", "", "", 4, 4, FileTime}});
  // The second entry's next offset pointed back at the first: the walk stops.
  std::size_t first = uint8_t(zoo[24]) | uint8_t(zoo[25]) << 8;
  std::size_t second = first + 56 + 4;
  std::string looped = zoo;
  for (int i = 0; i < 4; ++i) looped[second + 6 + i] = char(first >> (8 * i));
  TListing l = List(Write(dir, "loop.zoo", looped));
  EXPECT_EQ(Names(l), (std::vector<std::string>{"A.TXT", "B.TXT"}));
  // A first-entry offset whose check value does not match lists nothing.
  std::string unchecked = zoo;
  unchecked[28] ^= 1;
  TListing none = List(Write(dir, "check.zoo", unchecked));
  EXPECT_EQ(none.Error, 0);
  EXPECT_TRUE(none.Entries.empty());
}

TEST(BuiltArchives, HaEntriesCarryTheListingTime) {
  TTempDir dir;
  std::string ha = Ha({{"", "one.txt", 0x20, 5, 5, 0xAABBCCDD, 12345},
                       {std::string("docs\xFFsub\xFF"), "two.txt", 0x22, 7, 70, 1, 12345}});
  std::time_t now = 1234567890;  // 2009-02-13 23:31:30 UTC
  TListing l = List(Write(dir, "a.ha", ha), now);
  EXPECT_EQ(l.Format, FormatHa);
  EXPECT_EQ(l.Error, 0);
  EXPECT_EQ(Rows(l),
            "one.txt 5/5 aabbccdd 2009-02-13 23:31:30 a20 m0\n"
            "docs\\sub\\two.txt 70/7 00000001 2009-02-13 23:31:30 a20 m2\n");
}

TEST(BuiltArchives, ArcPakAndBh) {
  TTempDir dir;
  // Method 1, the old stored form, has a 25-byte header without the original size.
  std::string arc = Arc({{"OLD.TXT", 1, 5, 0, FileTime, 0x1111},
                         {"NEW.TXT", 9, 4, 40, FolderTime, 0x2222}});
  TListing l = List(Write(dir, "a.arc", arc));
  EXPECT_EQ(l.Format, FormatArc);
  EXPECT_EQ(Rows(l),
            "OLD.TXT 5/5 00001111 2001-02-03 04:05:06 a20 m1\n"
            "NEW.TXT 40/4 00002222 2003-04-05 06:07:08 a20 m9\n");
  // Without the end marker the walk ends with the file.
  EXPECT_EQ(List(Write(dir, "b.arc", Arc({{"A", 8, 2, 2}}, false))).Entries.size(), 1u);

  std::string pak = Arc({{"CRUSHED.DOC", 10, 6, 60, FileTime, 7}, {"X", 11, 1, 1}});
  TListing p = List(Write(dir, "a.pak", pak));
  EXPECT_EQ(p.Format, FormatPak);
  EXPECT_EQ(Rows(p),
            "CRUSHED.DOC 60/6 00000007 2001-02-03 04:05:06 a20 m10\n"
            "X 1/1 00000000 - a20 m11\n");
  TListing sfx = List(Write(dir, "p.exe", Stub(600) + pak));
  EXPECT_EQ(sfx.Format, FormatPakSfx);
  EXPECT_EQ(Names(sfx), Names(p));

  // BH: a stamp that is not positive is none.
  std::string bh = Bh({{"DOCS\\README.TXT", 8, 20, 600, 0xCAFEBABE, FileTime, 0x21},
                       {"NOTIME.TXT", 0, 3, 3, 1, 0x80000000u, 0x20}});
  TListing b = List(Write(dir, "a.bh", bh));
  EXPECT_EQ(b.Format, FormatBh);
  EXPECT_EQ(b.Error, 0);
  EXPECT_EQ(Rows(b),
            "DOCS\\README.TXT 600/20 cafebabe 2001-02-03 04:05:06 a21 m8\n"
            "NOTIME.TXT 3/3 00000001 - a20 m0\n");
}

TEST(BuiltArchives, CabinetSets) {
  TTempDir dir;
  // A file continued into the next cabinet is reported once, from the first; the next
  // cabinet's name is found whatever its case on this file system.
  Write(dir, "set1.cab",
        Cab({{"one.txt", 10, 0, FileTime}, {"split.bin", 5000, 0xFFFE, FileTime}}, 1, "",
            "SET2.CAB"));
  Write(dir, "set2.cab",
        Cab({{"split.bin", 5000, 0xFFFD, FileTime}, {"three.txt", 30, 0, FolderTime, 0x21}}, 3,
            "set1.cab"));
  TListing l = List(dir.File("set1.cab"));
  EXPECT_EQ(l.Error, 0);
  EXPECT_EQ(Rows(l),
            "one.txt 10/10 00000000 2001-02-03 04:05:06 a20 m1\n"
            "split.bin 5000/5000 00000000 2001-02-03 04:05:06 a20 m1\n"
            "three.txt 30/30 00000000 2003-04-05 06:07:08 a21 m3\n");
  // Listed on its own, the second cabinet reports what it holds.
  EXPECT_EQ(Names(List(dir.File("set2.cab"))),
            (std::vector<std::string>{"split.bin", "three.txt"}));

  // A next cabinet that is not there: what was read stands.
  Write(dir, "lonely.cab", Cab({{"one.txt", 10, 0, FileTime}}, 0, "", "gone.cab"));
  TListing lonely = List(dir.File("lonely.cab"));
  EXPECT_EQ(lonely.Error, ErrFileNotFound);
  EXPECT_EQ(Names(lonely), (std::vector<std::string>{"one.txt"}));
  // A cabinet that names itself as its successor ends the set.
  Write(dir, "self.cab", Cab({{"one.txt", 10, 0, FileTime}}, 0, "", "self.cab"));
  TListing self = List(dir.File("self.cab"));
  EXPECT_EQ(self.Error, 0);
  EXPECT_EQ(self.Entries.size(), 1u);
  // A next-cabinet name with a folder in it is looked for beside this cabinet only.
  Write(dir, "up.cab", Cab({{"one.txt", 10, 0, FileTime}}, 0, "", "..\\..\\etc\\other.cab"));
  EXPECT_EQ(List(dir.File("up.cab")).Error, ErrFileNotFound);
}

TEST(BuiltArchives, Zip64SizesTakeTheirSlotsInOrderAndSaturate) {
  // The ZIP64 extra field holds, in this order, the uncompressed and the compressed size, but
  // only those whose header field reads FFFFFFFFh.
  constexpr uint32_t Big = 0xFFFFFFFFu;
  struct {
    const char* Name;
    uint32_t HeaderPacked, HeaderUnpacked;
    std::vector<uint64_t> Extra;
    uint32_t Size, Packed;
  } cases[] = {
      {"both.bin", Big, Big, {3000000000u, 1000000000u}, 3000000000u, 1000000000u},
      {"huge.iso", Big, Big, {6ull << 30, 5ull << 30}, Big, Big},
      {"unpacked.bin", 100, Big, {3ull << 30}, 3221225472u, 100},
      {"packed.bin", Big, 100, {2000000000u}, 100, 2000000000u},
      {"short.bin", Big, Big, {3000000000u}, 3000000000u, Big},  // the second value is missing
  };
  std::vector<TZipEntry> entries;
  for (const auto& c : cases) {
    TBuf extra;
    extra.U16(0x0001).U16(unsigned(8 * c.Extra.size()));
    for (uint64_t v : c.Extra) extra.U64(v);
    entries.push_back({c.Name, c.HeaderPacked, c.HeaderUnpacked, 6, FileTime, 0x20, 8, extra.S});
    entries.push_back({"plain.txt", 2, 2, 5, FileTime, 0x21, 0});  // read right after it
  }
  TTempDir dir;
  TListing l = List(Write(dir, "a.zip", Zip(entries, "", true)));
  EXPECT_EQ(l.Error, 0);
  ASSERT_EQ(l.Entries.size(), 2 * std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Name);
    EXPECT_EQ(l.Entries[2 * i].Size, cases[i].Size);
    EXPECT_EQ(l.Entries[2 * i].Packed, cases[i].Packed);
    EXPECT_EQ(l.Entries[2 * i + 1].Size, 2u);
    EXPECT_EQ(l.Entries[2 * i + 1].Attr, 0x21u);
  }
}

// ---------------------------------------------------------------------------------------
// Damaged and hostile archives end in an error or a short listing.

TEST(HostileArchives, ZipEndRecordAndCentralDirectory) {
  TTempDir dir;
  // No end record at all.
  EXPECT_EQ(List(Write(dir, "a.zip", std::string("PK\x03\x04", 4) + std::string(60, 'x'))).Error,
            ErrInArchive);
  // The end record points at something that is no central header.
  std::string zip = Zip({{"a", 1, 1, 1, FileTime}});
  std::string bad = zip;
  bad[30] = 'Q';
  EXPECT_EQ(List(Write(dir, "b.zip", bad)).Error, ErrInArchive);
  // 65535 entries claimed in a 100-byte file: one is there, and that is the listing.
  std::string claims = zip;
  std::size_t end = claims.find(std::string("PK\x05\x06", 4));
  claims[end + 8] = claims[end + 9] = claims[end + 10] = claims[end + 11] = '\xFF';
  TListing l = List(Write(dir, "c.zip", claims));
  EXPECT_LE(claims.size(), 100u);
  EXPECT_EQ(l.Entries.size(), 1u);
  // A comment longer than 32 KiB still lets the end record be found.
  TListing longComment = List(Write(dir, "d.zip", Zip({{"a.txt"}}, std::string(60000, 'c'))));
  EXPECT_EQ(longComment.Error, 0);
  EXPECT_EQ(longComment.Entries.size(), 1u);
  EXPECT_EQ(longComment.Comment.size(), 60000u);
  // A central header whose name runs past the end of the file.
  std::string cut = Zip({{"a.txt"}});
  cut[30 + 28] = '\x7F';
  EXPECT_EQ(List(Write(dir, "e.zip", cut)).Error, ErrReadingFile);
}

TEST(HostileArchives, LhaAndArjHeaders) {
  TTempDir dir;
  std::string lha = ReadBytes(Fixtures + "level0.lzh");
  // A header size of 0 is the end of the archive.
  std::string first = lha.substr(0, 2 + uint8_t(lha[0]) + 12);
  TListing l = List(Write(dir, "a.lzh", first + std::string(1, '\0') + lha));
  EXPECT_EQ(Names(l), (std::vector<std::string>{"hello.txt"}));
  // A level-2 header claiming less than its fixed part is not a header.
  std::string level2 = ReadBytes(Fixtures + "level2.lzh");
  level2[0] = 10;
  level2[1] = 0;
  TListing l2 = List(Write(dir, "b.lzh", level2));
  EXPECT_TRUE(l2.Entries.empty());
  // An ARJ main header whose first-header size is too small for its fields.
  std::string arj = ReadBytes(Fixtures + "basic.arj");
  arj[4] = 10;
  EXPECT_EQ(List(Write(dir, "c.arj", arj)).Error, ErrBadFileHeader);
}

TEST(HostileArchives, RarBlocksThatDoNotMoveOn) {
  TTempDir dir;
  // A block of size below 7 ends the walk instead of standing still.
  std::string rar = Rar4({{"a.txt", 1, 1}});
  std::string stuck = rar.substr(0, rar.size() - 7) + std::string("\0\0\x74\0\0\x03\0", 7);
  TListing l = List(Write(dir, "a.rar", stuck));
  EXPECT_EQ(Names(l), (std::vector<std::string>{"a.txt"}));
  // A RAR 5 header that claims more than the file holds.
  TBuf r5;
  r5.Str(std::string("Rar!\x1A\x07\x01\x00", 8)).U32(0).Str(Vint(100000)).Str(Vint(2));
  EXPECT_EQ(List(Write(dir, "b.rar", r5.S)).Error, ErrReadingFile);
}

// What zip tools write for an archive with nothing in it: the end record alone.
std::string EmptyZip(const std::string& comment = {}) {
  TBuf b;
  b.Str(std::string_view("PK\x05\x06", 4)).Zeros(16).U16(unsigned(comment.size())).Str(comment);
  return b.S;
}

TEST(HostileArchives, EmptyAndTruncatedArchivesGiveNoEntries) {
  TTempDir dir;
  for (const char* name : {"basic.zip", "basic.arj", "level2.lzh", "stored.cab"}) {
    std::string bytes = ReadBytes(Fixtures + name);
    TListing l = List(Write(dir, name, bytes.substr(0, 20)));
    EXPECT_TRUE(l.Entries.empty()) << name;
  }
  TListing arj = List(Write(dir, "empty.arj", std::string("\x60\xEA\x00\x00\x00\x00", 6)));
  EXPECT_EQ(arj.Error, 0);
  EXPECT_TRUE(arj.Entries.empty());
  // An empty ZIP is an archive without entries, with or without a local header before it.
  struct {
    std::string Bytes, Comment;
  } zips[] = {{EmptyZip(), ""}, {EmptyZip("nothing here"), "nothing here"}, {Zip({}), ""}};
  for (const auto& c : zips) {
    TListing l = List(Write(dir, "empty.zip", c.Bytes));
    EXPECT_EQ(l.Format, FormatZip) << c.Bytes.size();
    EXPECT_EQ(l.Error, 0) << c.Bytes.size();
    EXPECT_TRUE(l.Entries.empty());
    EXPECT_EQ(l.Comment, c.Comment);
  }
  // Cut short, it is damage.
  EXPECT_EQ(List(Write(dir, "cut.zip", EmptyZip().substr(0, 21))).Error, ErrInArchive);
}

// Every fixture, cut at every 7th byte and with bytes flipped at random: the lister may fail,
// but never crashes, hangs or reads out of bounds (the sanitizers watch this).
TEST(HostileArchives, DamagedFixturesNeverCrash) {
  TTempDir dir;
  std::mt19937 random(20240607);
  int listed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Fixtures)) {
    std::string name = entry.path().filename().string();
    if (name.ends_with(".sh")) continue;
    std::string bytes = ReadBytes(entry.path().string());
    std::string target = dir.File(name);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
      if (bytes.size() > 4096 && cut % 301 != 0) continue;  // large volumes: fewer cuts
      WriteBytes(target, bytes.substr(0, cut));
      listed += int(List(target).Entries.size());
    }
    for (int round = 0; round < 40; ++round) {
      std::string damaged = bytes;
      for (int k = 0; k < 4; ++k)
        damaged[random() % damaged.size()] = char(random());
      WriteBytes(target, damaged);
      listed += int(List(target).Entries.size());
    }
  }
  EXPECT_GT(listed, 0);
}

// ---------------------------------------------------------------------------------------

TEST(ListArchiveCommand, EveryEntryStaysOneLineOfFields) {
  TTempDir dir;
  TCliResult r = RunCli({"list-archive", Fixtures + "comment.zip"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out,
            "format\t18\n"
            "hello.txt\t12\t12\taf083b2d\t2001-02-03 04:05:06\t00\t0\n"
            "docs\\readme.txt\t600\t21\t0094eb5d\t2001-02-03 04:05:06\t00\t8\n"
            "comment\tA zip comment\\r\\nsecond line\n");
  EXPECT_EQ(r.Err, "");
  std::string zip = Zip({{"tab\there.txt", 1, 1, 0xAB, FileTime},
                         {"two\nlines\r.txt", 2, 2, 0xCD, FileTime},
                         {"bell\x07 and del\x7F.txt", 3, 3, 0xEF, 0}},
                        "comment\twith a tab\x1A");
  r = RunCli({"list-archive", Write(dir, "odd.zip", zip)});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "format\t18\n"
            "tab\\there.txt\t1\t1\t000000ab\t2001-02-03 04:05:06\t00\t8\n"
            "two\\nlines\\r.txt\t2\t2\t000000cd\t2001-02-03 04:05:06\t00\t8\n"
            "bell\\x07 and del\\x7F.txt\t3\t3\t000000ef\t-\t00\t8\n"
            "comment\tcomment\\twith a tab\\x1A\n");
  r = RunCli({"list-archive", Write(dir, "empty.zip", EmptyZip())});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "format\t18\n");
  EXPECT_EQ(r.Err, "");
}

TEST(ListArchiveCommand, FailuresAndPathsThatAreNoArchiveFile) {
  TTempDir dir;
  std::filesystem::create_directories(dir.Path() / "folder.zip");
  ASSERT_EQ(::mkfifo(dir.File("pipe.zip").c_str(), 0600), 0);
  std::filesystem::create_symlink("loop.zip", dir.File("loop.zip"));
  std::filesystem::create_symlink("gone.zip", dir.File("dangling.zip"));
  const std::pair<std::string, std::string> cases[] = {
      {"missing.zip", "No such file or directory"},
      {"dangling.zip", "No such file or directory"},
      {"folder.zip", "not a regular file"},
      {"pipe.zip", "not a regular file"},  // and no waiting for a writer
      {"loop.zip", "not a regular file"},
  };
  for (const auto& [name, reason] : cases) {
    TCliResult r = RunCli({"list-archive", dir.File(name)});
    EXPECT_EQ(r.Status, 2) << name;
    EXPECT_EQ(r.Out, "") << name;
    EXPECT_EQ(r.Err, dir.File(name) + ": " + reason + "\n");
  }
  TCliResult unknown = RunCli({"list-archive", Write(dir, "x.zip", "nothing to see here")});
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_EQ(unknown.Out, "format\t3\n");
  EXPECT_EQ(unknown.Err, "Unknown file type\n");
  // The entries read before a failure are printed.
  Write(dir, "lonely.cab", Cab({{"one.txt", 10, 0, 0}}, 0, "", "gone.cab"));
  TCliResult partial = RunCli({"list-archive", dir.File("lonely.cab")});
  EXPECT_EQ(partial.Status, 2);
  EXPECT_EQ(partial.Out, "format\t9\none.txt\t10\t10\t00000000\t-\t20\t0\n");
  EXPECT_EQ(partial.Err, "File not found\n");
  EXPECT_EQ(RunCli({"list-archive"}).Status, 1);
}

}  // namespace
}  // namespace tf::test
