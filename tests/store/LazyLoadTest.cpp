// Opening reads only disks and first folder levels; the rest comes when asked for.

#include <gtest/gtest.h>

#include <random>

#include "StoreFixtures.h"

namespace tf::test {
namespace {

struct TRecordingObserver : TTreeObserver {
  std::vector<std::string> Events;
  void NodesAboutToBeInserted(TNode* parent, int first, int last) override {
    Events.push_back("insert " + parent->Caption + " " + std::to_string(first) + ".." +
                     std::to_string(last));
  }
  void NodesAboutToBeRemoved(TNode* parent, int first, int last) override {
    Events.push_back("remove " + parent->Caption + " " + std::to_string(first) + ".." +
                     std::to_string(last));
  }
};

class LazyLoad : public SavedSample {};

TEST_F(LazyLoad, OpeningReadsDisksAndFirstLevelsOnly) {
  TNode* cat = OpenCatalog(tree, path);
  ASSERT_EQ(cat->ChildCount(), 2);
  TNode* d1 = cat->Child(0);
  ASSERT_EQ(d1->ChildCount(), 2);  // Games, Tools
  TNode* games = d1->Child(0);
  EXPECT_EQ(games->Caption, "Games");
  EXPECT_EQ(games->ChildCount(), 0);
  EXPECT_TRUE(games->HasButton);
  EXPECT_GT(static_cast<TFolderRec*>(games->Record)->SubfoldersOffset, 0);
  EXPECT_FALSE(d1->Child(1)->HasButton);  // Tools has no subfolders
  EXPECT_EQ(static_cast<TFolderRec*>(d1->Child(1)->Record)->SubfoldersOffset, 0);
  // File lists stay in the file.
  EXPECT_EQ(static_cast<TDiskRec*>(d1->Record)->FilesLoaded, 0);
  EXPECT_EQ(d1->Record->Next, nullptr);
  EXPECT_EQ(static_cast<TFolderRec*>(games->Record)->FilesLoaded, 0);
  // A folder without files needs no reading.
  TNode* empty = cat->Child(1)->Child(1);
  EXPECT_EQ(empty->Caption, "Empty");
  auto* e = static_cast<TFolderRec*>(empty->Record);
  EXPECT_EQ(e->FilesOffset, -1);
  EXPECT_EQ(e->FilesLength, -1);
  EXPECT_EQ(e->FileCount, 0);
  EXPECT_EQ(e->FilesLoaded, 1);
  auto* d = static_cast<TDiskRec*>(d1->Record);
  EXPECT_EQ(d->Changed, 0);
  EXPECT_GT(d->BlockOffset, 0);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 0);
}

TEST_F(LazyLoad, DeeperLevelsArriveInOneInsertionEach) {
  TNode* cat = OpenCatalog(tree, path);
  TRecordingObserver obs;
  tree.AddObserver(&obs);
  TNode* games = cat->Child(0)->Child(0);
  LoadSubfolders(games);
  ASSERT_EQ(games->ChildCount(), 1);
  EXPECT_FALSE(games->HasButton);
  EXPECT_LT(static_cast<TFolderRec*>(games->Record)->SubfoldersOffset, 0);
  TNode* doom = games->Child(0);
  EXPECT_EQ(doom->Caption, "Doom");
  EXPECT_TRUE(doom->HasButton);
  LoadSubfolders(games);  // already read: nothing happens
  LoadSubfolders(doom);
  LoadSubfolders(doom->Child(0));
  EXPECT_EQ(doom->Child(0)->Child(0)->Caption, "Deeper");
  EXPECT_EQ(obs.Events, (std::vector<std::string>{"insert Games 0..0", "insert Doom 0..0",
                                                   "insert Deep 0..0"}));
  EXPECT_EQ(GetFolderPath(doom->Child(0)->Child(0)), "\\Games\\Doom\\Deep\\Deeper");
  tree.RemoveObserver(&obs);
  EXPECT_EQ(CheckTree(tree), "");
}

TEST_F(LazyLoad, FileListsShareOneBlock) {
  TNode* cat = OpenCatalog(tree, path);
  TNode* d1 = cat->Child(0);
  LoadFiles(d1);
  EXPECT_TRUE(HasFlag(d1->Record, FileBlock));
  EXPECT_TRUE(HasFlag(d1->Record, HasFileDescriptions));
  std::vector<TFileRec*> files = Files(d1);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]->Name(), "Readme.txt");
  EXPECT_STREQ(files[0]->Description.CStr(), "Read this first");
  EXPECT_EQ(files[1]->Name(), "Autoexec.bat");
  EXPECT_EQ(files[1]->Description.CStr(), nullptr);
  // Records of one list lie in one block, one after the other.
  EXPECT_EQ(reinterpret_cast<char*>(files[1]) - reinterpret_cast<char*>(files[0]),
            long((TFileRec::AllocSize(10) + 7) & ~std::size_t(7)));
  // Games has no described files: no flag.
  TNode* games = d1->Child(0);
  LoadFiles(games);
  EXPECT_FALSE(HasFlag(games->Record, HasFileDescriptions));
  EXPECT_EQ(Files(games).size(), 2u);
}

TEST_F(LazyLoad, UnloadAndReloadGiveTheSameList) {
  TNode* cat = OpenCatalog(tree, path);
  TNode* d1 = cat->Child(0);
  LoadFiles(d1);
  std::string before = DescribeTree(d1);
  UnloadFiles(d1);
  EXPECT_EQ(static_cast<TDiskRec*>(d1->Record)->FilesLoaded, 0);
  EXPECT_EQ(d1->Record->Next, nullptr);
  EXPECT_FALSE(HasFlag(d1->Record, FileBlock));
  EXPECT_EQ(DescribeTree(d1), before);
}

TEST_F(LazyLoad, UnloadNeverDropsAListThatIsNotInTheFile) {
  TNode* cat = AddCatalog(tree, "New");
  TNode* disk = AddDisk(cat, "D");
  AddFile(disk, "only.txt", 1);
  UnloadFiles(disk);
  EXPECT_EQ(Files(disk).size(), 1u);
}

TEST_F(LazyLoad, ReadsAfterASaveUseTheNewOffsets) {
  TNode* cat = OpenCatalog(tree, path);
  // Disk 2 changes and is written anew; disk 1 is copied. Neither was expanded.
  SetDiskChanged(cat->Child(1), true);
  // Make the new file differ in layout: a longer catalog name moves every block.
  cat->Caption = "A much longer catalog name than before";
  std::string moved = dir.File("moved.ctf");
  WriteCatalogFile(cat, moved, NoProgress());
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->FileName, moved);
  // The old file is gone from under us: every lazy read must come from the new one.
  std::filesystem::remove(path);
  std::string expected = original;
  expected.replace(expected.find("Sample"), 6, cat->Caption);
  EXPECT_EQ(DescribeTree(cat), expected);
}

TEST_F(LazyLoad, AListReadInPlaceHoldsWhatLoadFilesBuilds) {
  TNode* cat = OpenCatalog(tree, path);
  TNode* games = cat->Child(0)->Child(0);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFileListBytes(games, bytes));
  EXPECT_EQ(games->Record->Next, nullptr);  // nothing built yet
  std::vector<std::string> entries;
  TFileListCursor c(bytes.data(), bytes.size());
  while (c.Next())
    entries.push_back(std::string(c.Name()) + " " + std::to_string(c.Size()) + " " +
                      std::to_string(c.CategoryFlags()) + " " + std::string(c.Description()));
  EXPECT_FALSE(c.Damaged());
  EXPECT_EQ(entries, (std::vector<std::string>{"Doom.exe 4000 33 ", "Doom.wad 1000 0 "}));
  EXPECT_EQ(CountFileEntries(bytes.data(), bytes.size() - 1), -1);  // cut inside an entry

  LoadFilesFromBytes(games, bytes.data(), bytes.size());
  auto files = Files(games);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]->Name(), "Doom.exe");
  EXPECT_EQ(files[0]->CategoryFlags, 1 | UserFlag1);
  // Loaded: the records are the list, and bytes read earlier build nothing twice.
  std::vector<uint8_t> earlier = bytes;
  EXPECT_FALSE(ReadFileListBytes(games, bytes));
  EXPECT_TRUE(bytes.empty());
  LoadFilesFromBytes(games, earlier.data(), earlier.size());
  EXPECT_EQ(Files(games), files);
  EXPECT_EQ(CheckTree(tree), "");
}

// Folder levels only: names, and whether each folder's subfolders are read, with its button.
std::string FolderShape(const TNode* node, int depth = 0) {
  std::string s;
  for (auto& c : node->Children) {
    auto* f = static_cast<TFolderRec*>(c->Record);
    s += std::string(std::size_t(depth), ' ') + c->Caption + " " +
         std::to_string(f->SubfoldersOffset) + (c->HasButton ? " +" : "") + "\n";
    s += FolderShape(c.get(), depth + 1);
  }
  return s;
}

void LoadLevelByLevel(TNode* node) {
  for (auto& c : node->Children) {
    LoadSubfolders(c.get());
    LoadLevelByLevel(c.get());
  }
}

TEST_F(LazyLoad, ALevelsTreeInOnePassEqualsReadingItLevelByLevel) {
  std::string bytes = ReadBytes(path);
  TCatalogTree probe;
  auto* d1 = static_cast<TDiskRec*>(OpenCatalog(probe, path)->Child(0)->Record);
  std::size_t from = std::size_t(d1->BlockOffset + d1->FoldersOffset);
  std::size_t to = std::size_t(d1->BlockOffset + d1->BlockLength);
  std::mt19937 rng(3);
  std::string damaged = dir.File("damaged.ctf");
  int compared = 0;
  for (int round = 0; round < 400; ++round) {
    std::string b = bytes;
    // Round 0 as saved; then one byte of the first disk's folder records changed, levels
    // and lengths included.
    if (round > 0) b[from + rng() % (to - from)] = char(rng() % 8);
    WriteBytes(damaged, b);
    TCatalogTree a, c;
    std::string byLevel, onePass;
    try {
      TNode* disk = OpenCatalog(c, damaged)->Child(0);
      LoadLevelByLevel(disk);
      byLevel = FolderShape(disk);
    } catch (const std::exception&) {
      byLevel = "damaged";
    }
    try {
      TNode* disk = OpenCatalog(a, damaged)->Child(0);
      for (auto& f : disk->Children) LoadSubfolderTree(f.get());
      onePass = FolderShape(disk);
      EXPECT_EQ(CheckTree(a), "");
    } catch (const std::exception&) {
      continue;  // a damaged level: nothing read in one pass, the window reads it by levels
    }
    ASSERT_EQ(onePass, byLevel) << round;
    ++compared;
  }
  EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace tf::test
