// Descriptions from media: the three description-file readers.

#include <gtest/gtest.h>

#include "scan/DescFiles.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

class DescFiles : public ::testing::Test {
 protected:
  TTempDir dir;
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "C");
  TNode* disk = AddDisk(cat, "D");
  TNode* folder = AddFolder(disk, "Docs");
  TDescImport opt;
  std::string Write(const std::string& name, const std::string& content) {
    std::string path = dir.File(name);
    WriteBytes(path, content);
    return path;
  }
  const char* Desc(TItemRec* rec) { return DescriptionOf(rec)->CStr(); }
};

TEST_F(DescFiles, DescriptIonMatchesFilesBeforeFolders) {
  TFileRec* readme = AddFile(folder, "Readme.txt");
  TFileRec* games = AddFile(folder, "Games");
  TNode* gamesFolder = AddFolder(folder, "Games");
  TNode* tools = AddFolder(folder, "Tools");
  std::string path = Write("DESCRIPT.ION",
                           "readme.txt   Read this first\r\n"
                           "GAMES The file wins\r\n"
                           "tools Utilities\r\n"
                           "nodesc\r\n"
                           "missing.txt Nobody\r\n"
                           "\"long name.txt\" quoted\r\n");
  EXPECT_TRUE(ReadDescriptIon(folder, path, opt));
  EXPECT_STREQ(Desc(readme), "Read this first");
  EXPECT_STREQ(Desc(games), "The file wins");
  EXPECT_EQ(Desc(gamesFolder->Record), nullptr);
  EXPECT_STREQ(Desc(tools->Record), "Utilities");
  EXPECT_TRUE(HasFlag(folder->Record, HasFileDescriptions));
}

TEST_F(DescFiles, DescriptIonWrapsAndKeepsCurrent) {
  TFileRec* f = AddFile(folder, "Long.txt");
  TFileRec* kept = AddFile(folder, "Kept.txt", 0, "Typed by the user");
  std::string long120(120, 'a');
  for (std::size_t i = 9; i < long120.size(); i += 10) long120[i] = ' ';
  std::string path = Write("descript.ion", "long.txt " + long120 + "\nkept.txt Imported\n");
  opt.Truncate = true;
  opt.TruncLines = 2;
  ReadDescriptIon(folder, path, opt);
  EXPECT_EQ(SplitLines(Desc(f)).size(), 2u);
  EXPECT_STREQ(Desc(kept), "Typed by the user");
  opt.KeepCurrent = false;
  opt.Truncate = false;
  ReadDescriptIon(folder, path, opt);
  EXPECT_EQ(SplitLines(Desc(f)).size(), 3u);
  EXPECT_STREQ(Desc(kept), "Imported");
}

TEST_F(DescFiles, FilesBbsColumnsAndContinuations) {
  TFileRec* doom = AddFile(folder, "Doom.zip");
  TFileRec* quake = AddFile(folder, "Quake.zip", 0, "Already described");
  TFileRec* duke = AddFile(folder, "Duke3d.zip");
  std::string path = Write("FILES.BBS",
                           "Header line that is ignored\r\n"
                           "\r\n"
                           "DOOM.ZIP     Doom shareware\r\n"
                           "             |second line\r\n"
                           "             third line\r\n"
                           "             fourth line\r\n"
                           "QUAKE.ZIP    Quake\r\n"
                           "             would go nowhere\r\n"
                           "NOFILE.ZIP   Dropped\r\n"
                           "DUKE3D.ZIP   |Duke \xC4\xC4 Nukem");  // no line end at the end
  opt.TruncLines = 3;
  EXPECT_TRUE(ReadFilesBbs(folder, path, opt));
  EXPECT_STREQ(Desc(doom), "Doom shareware\r\n|second line\r\nthird line");
  EXPECT_STREQ(Desc(quake), "Already described");
  EXPECT_STREQ(Desc(duke), "Duke -- Nukem");
  EXPECT_TRUE(HasFlag(folder->Record, HasFileDescriptions));
  opt.Truncate = false;
  doom->Description.Reset();
  ReadFilesBbs(folder, path, opt);
  EXPECT_EQ(SplitLines(Desc(doom)).size(), 4u);
}

TEST_F(DescFiles, FileIdDizIsTheFoldersDescription) {
  std::string diz = std::string(5000, 'x');
  diz[100] = '\r';
  diz[101] = '\n';
  std::string path = Write("FILE_ID.DIZ", diz);
  EXPECT_TRUE(ReadFileIdDiz(folder->Record, path));
  EXPECT_EQ(DescriptionOf(folder->Record)->Size(), 4095u);
  // A disk never takes its description from one.
  EXPECT_FALSE(ReadFileIdDiz(disk->Record, path));
  EXPECT_EQ(Desc(disk->Record), nullptr);
}

TEST_F(DescFiles, FileIdDizStopsAtBinaryAndTrims) {
  std::string path = Write("file_id.diz", std::string("  Cool game  \r\n\r\n\0\x01\x02garbage", 25));
  ReadFileIdDiz(folder->Record, path);
  EXPECT_STREQ(Desc(folder->Record), "Cool game");
  // A multi-byte character cut by the size limit is dropped, not stored half.
  std::string utf8 = std::string(4094, 'a') + "\xC3\xA9";
  ReadFileIdDiz(folder->Record, Write("u.diz", utf8));
  EXPECT_TRUE(IsValidUtf8(Desc(folder->Record)));
  EXPECT_EQ(DescriptionOf(folder->Record)->Size(), 4094u);
}

TEST_F(DescFiles, UnreadableFilesAreSkipped) {
  EXPECT_FALSE(ReadFileIdDiz(folder->Record, dir.File("none")));
  EXPECT_FALSE(ReadFilesBbs(folder, dir.File("none"), opt));
  EXPECT_FALSE(ReadDescriptIon(folder, dir.File("none"), opt));
  EXPECT_FALSE(ReadDescriptIon(folder, dir.Path().string(), opt));  // a folder
}

TEST_F(DescFiles, Windows1252DescriptionsStayAsTheyAre) {
  TFileRec* f = AddFile(folder, "Caf\xE9.txt");
  std::string path = Write("DESCRIPT.ION", "CAF\xC9.TXT Cr\xE8me br\xFBl\xE9" "e \xCD\r\n");
  ReadDescriptIon(folder, path, opt);
  // Bytes outside the box-drawing table keep their meaning.
  EXPECT_STREQ(Desc(f), "Cr\xE8me br\xFBl\xE9" "e -");
}

TEST_F(DescFiles, NamesMatchAcrossEncodingsAndTheFirstOfEqualNamesWins) {
  TFileRec* cp = AddFile(folder, "\xC9T\xC9.TXT");  // Windows-1252
  TFileRec* first = AddFile(folder, "readme");
  TFileRec* second = AddFile(folder, "README");     // a case-sensitive medium
  ApplyDescriptIon(folder, "\xC3\xA9t\xC3\xA9.txt Summer\r\nReadMe The first\r\n", opt);
  EXPECT_STREQ(Desc(cp), "Summer");
  EXPECT_STREQ(Desc(first), "The first");
  EXPECT_EQ(Desc(second), nullptr);
  ApplyFilesBbs(folder, "README       Now the second\r\n", opt);  // the first has one
  EXPECT_STREQ(Desc(second), "Now the second");
}

TEST(DescLines, SplitsAtEveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
}  // namespace tf::test

namespace tf::test {
namespace {

TEST(DescAssistant, FilesGroupedByMaskPriority) {
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "C"), "D");
  TNode* item = AddFolder(disk, "Game");
  AddFile(item, "Readme.txt");
  AddFile(item, "Setup.exe");
  TNode* docs = AddFolder(item, "Docs");
  AddFile(docs, "Manual.txt");
  AddFile(docs, "File_id.diz");
  TNode* deep = AddFolder(docs, "Deep");
  AddFile(deep, "Deep.nfo");
  TNode* zip = AddFolder(item, "Pack.zip");
  SetFlag(zip->Record, InArchive, true);
  AddFile(zip, "Inside.txt");
  std::vector<std::string> masks = SplitMasks(DefaultDescMasks);
  ASSERT_EQ(masks.size(), 4u);
  EXPECT_EQ(CollectDescriptionFiles(item, masks, true, 2),
            (std::vector<std::string>{".\\Docs\\File_id.diz", ".\\Docs\\Deep\\Deep.nfo",
                                      "Readme.txt", ".\\Docs\\Manual.txt"}));
  EXPECT_EQ(CollectDescriptionFiles(item, masks, true, 1),
            (std::vector<std::string>{".\\Docs\\File_id.diz", "Readme.txt", ".\\Docs\\Manual.txt"}));
  EXPECT_EQ(CollectDescriptionFiles(item, masks, false, 8), std::vector<std::string>{"Readme.txt"});
  EXPECT_TRUE(CollectDescriptionFiles(zip, masks, true, 8).empty());
}

TEST(DescAssistant, ViewMarksLongAndUnreadableFiles) {
  TTempDir dir;
  std::string text;
  WriteBytes(dir.File("big.txt"), std::string(40000, 'a'));
  EXPECT_TRUE(ReadDescriptionView(dir.File("big.txt"), text));
  EXPECT_EQ(text, std::string(32000, 'a') + "\r\n***  Description Assistant: File Too Long - TRUNCATED  ***");
  WriteBytes(dir.File("bin.txt"), std::string("a\0b", 3));
  EXPECT_TRUE(ReadDescriptionView(dir.File("bin.txt"), text));
  EXPECT_EQ(text, "a\xFF" "b");
  EXPECT_FALSE(ReadDescriptionView(dir.File("none.txt"), text));
  EXPECT_EQ(text, "***  Description Assistant: FILE READ ERROR  ***");
}

}  // namespace
}  // namespace tf::test

namespace tf::test {
namespace {

TEST(EditedDescription, StoresTrimmedAndKeepsTheContainerFlagRight) {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "C");
  TNode* disk = AddDisk(cat, "D");
  static_cast<TDiskRec*>(disk->Record)->Changed = 0;
  TNode* folder = AddFolder(disk, "Games");
  TFileRec* a = AddFile(folder, "a.txt", 1, "old");
  AddFile(folder, "b.txt", 1);
  EXPECT_FALSE(StoreEditedDescription(folder, a, "old"));
  EXPECT_EQ(static_cast<TDiskRec*>(disk->Record)->Changed, 0);
  EXPECT_TRUE(StoreEditedDescription(folder, a, "  new text  \r\n\r\n"));
  EXPECT_STREQ(a->Description.CStr(), "new text");
  EXPECT_EQ(static_cast<TDiskRec*>(disk->Record)->Changed, 1);
  EXPECT_TRUE(HasFlag(folder->Record, HasFileDescriptions));
  // Removing the last file description clears the container's flag.
  EXPECT_TRUE(StoreEditedDescription(folder, a, ""));
  EXPECT_EQ(a->Description.CStr(), nullptr);
  EXPECT_FALSE(HasFlag(folder->Record, HasFileDescriptions));
  // A catalog's description marks only the catalog.
  static_cast<TCatalogRec*>(cat->Record)->Modified = 0;
  EXPECT_TRUE(StoreEditedDescription(cat, nullptr, std::string(5000, 'x')));
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Description.Size(), 4096u);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 1);
}

TEST(EditedDescription, FilePathsOnTheMedium) {
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "C"), "D");
  TNode* doom = AddFolder(AddFolder(disk, "Games"), "Doom");
  EXPECT_EQ(DescriptionFilePath(disk, 'E', "FILE_ID.DIZ"), "E:\\FILE_ID.DIZ");
  EXPECT_EQ(DescriptionFilePath(doom, 'E', ".\\Docs\\Read.me"), "E:\\Games\\Doom\\Docs\\Read.me");
}

}  // namespace
}  // namespace tf::test
