// The disk scan and the disk update on real folder trees, through a test drive D: whose root
// is the tree.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "platform/DirEnum.h"
#include "platform/LocalTime.h"
#include "platform/ScriptedPrompts.h"
#include "platform/TestDrives.h"
#include "scan/AddDisk.h"
#include "scan/Utils.h"
#include "scan/WaitUpdate.h"
#include "scan/ZipTV.h"
#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

namespace tf::test {
namespace {

class TRecordingProgress final : public TProgress {
 public:
  void SetStatus(const std::string& text) override { Status = text; }
  void Begin(const std::string& caption, int64_t total) override {
    Captions.push_back(caption);
    Total = total;
  }
  void SetDetail(const std::string& text) override { Details.push_back(text); }
  void Advance(int64_t amount) override { Done += amount; }
  bool Cancelled() override { return OnEntry && OnEntry(++Entries); }
  void Reset() {  // before each scan; OnEntry stays
    Status = "unset";
    Captions.clear();
    Details.clear();
    Total = -1;
    Done = 0;
    Entries = 0;
  }

  std::string Status = "unset";
  std::vector<std::string> Captions, Details;
  int64_t Total = -1, Done = 0;
  int Entries = 0;
  std::function<bool(int)> OnEntry;  // before every entry; true cancels
};

// The node at a "\"-separated path below node; null when there is none.
TNode* At(TNode* node, const std::string& path) {
  std::size_t start = 0;
  while (node && start <= path.size()) {
    std::size_t end = path.find('\\', start);
    std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    TNode* next = nullptr;
    for (int i = 0; i < node->ChildCount() && !next; ++i)
      if (node->Child(i)->Caption == part) next = node->Child(i);
    node = next;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return node;
}

TFileRec* FileIn(TNode* node, std::string_view name) {
  for (TFileRec* f = node ? FirstFile(node->Record) : nullptr; f; f = f->NextFile())
    if (f->Name() == name) return f;
  return nullptr;
}

std::string Desc(const TNode* node) { return DescriptionOf(node->Record)->Str(); }
TFolderRec* Folder(TNode* node) { return static_cast<TFolderRec*>(node->Record); }
TDiskRec* Disk(TNode* node) { return static_cast<TDiskRec*>(node->Record); }

class Scan : public ::testing::Test {
 protected:
  Scan() {
    TTestDrive& d = drives.Add('D');
    d.Root = tree.Root().string();
    d.Volume.Label = "TESTDISK";
    d.Volume.Serial = 0x12345678;
    d.Volume.FileSystem = "FAT";
    d.Geometry = {8, 512, 100, 1000};  // 4096-byte clusters, 900 of them used
  }

  TScanResult Run(const std::string& name = "", TNode* update = nullptr) {
    TScanJob job;
    job.Drive = 'd';
    job.Catalog = catalog;
    job.DiskName = name;
    job.UpdateDisk = update;
    job.Settings = settings;
    progress.Reset();
    TScanResult r = ScanDisk(job, drives, detector, progress);
    EXPECT_EQ(CheckTree(catalogs), "");
    EXPECT_TRUE(progress.Status == "" || progress.Status == "unset") << progress.Status;
    return r;
  }
  TNode* Scanned(const std::string& name = "") {
    TScanResult r = Run(name);
    EXPECT_EQ(r.Status, TScanStatus::Done) << r.Message;
    return r.Disk;
  }
  // Saves the catalog and opens it again in place of the one in memory.
  std::string SaveAndReopen() {
    std::string path = dir.File("catalog" + std::to_string(++saves) + ".ctf");
    WriteCatalogFile(catalog, path, NoProgress());
    catalogs.Clear();
    catalog = catalogs.AppendChild(catalogs.Root(), ReadCatalogFile(path));
    return path;
  }

  TTempDir dir;
  TTreeBuilder tree{dir.Path() / "medium"};
  TCatalogTree catalogs;
  TNode* catalog = AddCatalog(catalogs, "Test");
  TTestDrives drives;
  TScriptedPrompts prompts;
  TNoMediaPrompt mediaPrompt;
  TMediaDetector detector{drives, prompts, mediaPrompt, [] { return 45000.5; }};
  TRecordingProgress progress;
  TScanSettings settings;
  int saves = 0;
};

// ---- the walk

TEST_F(Scan, RecordsFoldersFilesSizesTimesAndVolumeData) {
  const int64_t t = 1000000000;  // 2001-09-09
  tree.Sized("GAMES/DOOM/DOOM.EXE", 4096).Sized("GAMES/DOOM/DOOM.WAD", 8192)
      .File("GAMES/readme.txt", "hi").Folder("Zeta").File("alpha.bat", "@echo off")
      .Sized("one.dat", 1).Sized("two.dat", 8192).Sized("empty.dat", 0).Time("one.dat", t);
  std::filesystem::permissions(tree.Path("GAMES/readme.txt"), std::filesystem::perms::owner_read);
  TScanResult r = Run();
  ASSERT_EQ(r.Status, TScanStatus::Done) << r.Message;
  TNode* disk = r.Disk;

  EXPECT_EQ(disk->Caption, "Disk D:");
  EXPECT_EQ(disk, catalog->Child(catalog->ChildCount() - 1));
  EXPECT_EQ(catalogs.Selected(), disk);
  EXPECT_EQ(static_cast<TCatalogRec*>(catalog->Record)->Modified, 1);
  // Seven files, three folders (the root does not count), four of the files in the root.
  EXPECT_EQ(DescribeDisk(*Disk(disk)), "k35 m5 s0 512/8/0 files7 arc0 folders3 clusters1000/100 "
                                       "t45000.5 serial305419896 u0 [Testdisk] [FAT] -");
  EXPECT_EQ(Disk(disk)->FileCount, 4);
  EXPECT_EQ(Disk(disk)->Changed, 1);
  EXPECT_EQ(r.Files, 7);
  EXPECT_EQ(r.Folders, 3);

  // Names as a case-insensitive volume gives them; folders sorted, files in name order.
  ASSERT_EQ(disk->ChildCount(), 2);
  EXPECT_EQ(disk->Child(0)->Caption, "Games");
  EXPECT_EQ(disk->Child(1)->Caption, "Zeta");
  EXPECT_EQ(FileNames(disk),
            (std::vector<std::string>{"Alpha.bat", "Empty.dat", "One.dat", "Two.dat"}));

  TNode* games = At(disk, "Games");
  EXPECT_EQ(Folder(games)->TotalSize, (4096 + 8192 + 2) * SizeScale);
  EXPECT_EQ(Folder(At(games, "Doom"))->TotalSize, (4096 + 8192) * SizeScale);
  EXPECT_EQ(Folder(games)->Attributes, faDirectory);
  EXPECT_EQ(FileIn(games, "Readme.txt")->Attributes, faArchive | faReadOnly);
  EXPECT_EQ(FileIn(disk, "One.dat")->ModifiedTime, UnixToDosTime(t));
  EXPECT_EQ(FileIn(disk, "One.dat")->AccessedTime, UnixToDosTime(t));

  // Progress: the used clusters, each file rounded up to whole 4096-byte clusters; folders
  // are walked depth first as they are met.
  EXPECT_EQ(progress.Captions, (std::vector<std::string>{WaitLookingForDisk, WaitScanning}));
  EXPECT_EQ(progress.Total, 900);
  EXPECT_EQ(progress.Done, 1 + 2 + 1 + 1 + 1 + 2 + 0);  // 4096 bytes: one, 8192: two
  EXPECT_EQ(progress.Details,
            (std::vector<std::string>{"D:\\", "D:\\Games\\", "D:\\Games\\Doom\\", "D:\\Zeta\\"}));

  // What the scan built is what the file holds.
  std::string before = DescribeTree(catalog);
  SaveAndReopen();
  EXPECT_EQ(DescribeTree(catalog), before);
}

TEST_F(Scan, ProgressCountsItemsWhereTheVolumeTellsNothing) {
  // Three folders and four files recorded, a hidden file left out.
  tree.File("a.txt", "abc").File("SUB/b.txt", "de").File("SUB/DEEP/c.txt", "").Folder("E")
      .File("d.txt", "").File(".hidden", "h");
  const struct {
    const char* What;
    TDiskGeometry Geometry;
    bool PartOfVolume, Update;
    int64_t Total;
  } cases[] = {
      {"a volume with sizes", {8, 512, 100, 1000}, false, false, 900},
      {"a volume that reports no used clusters", {0, 0, 0, 0}, false, false, 0},
      {"a folder drive", {8, 512, 100, 1000}, true, false, 0},
      {"a folder drive's disk updated", {8, 512, 100, 1000}, true, true, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    drives.Find('D')->Geometry = c.Geometry;
    drives.Find('D')->PartOfVolume = c.PartOfVolume;
    TNode* old = nullptr;
    if (c.Update) {
      old = AddDisk(catalog, "Old");
      Disk(old)->TotalFiles = 4;
      Disk(old)->TotalFolders = 3;
    }
    TScanResult r = Run("", old);
    ASSERT_EQ(r.Status, TScanStatus::Done) << r.Message;
    EXPECT_EQ(Disk(r.Disk)->TotalFiles, 4);
    EXPECT_EQ(progress.Total, c.Total);
    // Clusters of what was read (empty files take none), or the folders and files recorded.
    EXPECT_EQ(progress.Done, c.Total == 900 ? 2 : 7);
  }
}

TEST_F(Scan, NamesAndLabelsKeepTheirCaseOnCaseSensitiveVolumes) {
  tree.File("README.TXT", "").File("autoexec.bat", "").File("MyFile.TXT", "")
      .File("\xC3\x89T\xC3\x89.TXT", "").File("a\\b", "");
  TNode* insensitive = Scanned();
  drives.Find('D')->CaseInsensitive = false;
  TNode* sensitive = Scanned();
  EXPECT_EQ(FileNames(insensitive),
            (std::vector<std::string>{"MyFile.TXT", "Readme.txt", "A\xEF\x81\x9C" "b",
                                      "Autoexec.bat", "\xC3\x89t\xC3\xA9.txt"}));
  EXPECT_EQ(FileNames(sensitive), (std::vector<std::string>{"MyFile.TXT", "README.TXT",
                                                        "a\xEF\x81\x9C" "b", "autoexec.bat",
                                                        "\xC3\x89T\xC3\x89.TXT"}));
  EXPECT_EQ(Disk(insensitive)->VolumeLabel, "Testdisk");
  EXPECT_EQ(Disk(sensitive)->VolumeLabel, "TESTDISK");
}

TEST_F(Scan, IgnoreSettingsLeaveOutHiddenItemsAndRecycleFolders) {
  tree.File(".secret", "x").File(".hidden/in.txt", "x").File("RECYCLED/junk.txt", "x")
      .Folder("$RECYCLE.BIN").Folder(".Trash-1000").File("recycled", "a file").File("keep.txt", "");
  TNode* strict = Scanned();
  EXPECT_EQ(strict->ChildCount(), 0);
  EXPECT_TRUE(FileIn(strict, "Recycled"));
  EXPECT_FALSE(FileIn(strict, ".secret"));
  EXPECT_EQ(Disk(strict)->ScanFlags, ScanSkippedItems);

  settings.IgnoreFilesCheck = settings.IgnoreFoldersCheck = settings.IgnoreRecycleCheck = false;
  TNode* all = Scanned();
  EXPECT_EQ(all->ChildCount(), 4);
  EXPECT_TRUE(FileIn(all, ".secret"));
  EXPECT_TRUE(FileIn(At(all, ".hidden"), "In.txt"));
  EXPECT_EQ(Disk(all)->ScanFlags, 0);
}

TEST_F(Scan, LinksPipesAndDevicesAreRecordedButNeverFollowedOrOpened) {
  tree.Archive("data/BASIC.ZIP", "basic.zip").Link("loop", ".").Link("up", "..")
      .Link("LINK.ZIP", "data/BASIC.ZIP").Pipe("PIPE.ZIP").Pipe("FILES.BBS")
      .File("real.ion", "loop A description").Link("DESCRIPT.ION", "real.ion")
      .Archive("vol.arj", "vol.arj").Pipe("vol.a01");  // the next volume is a pipe
  TNode* disk = Scanned();
  ASSERT_EQ(disk->ChildCount(), 2);  // data and vol.arj; the links are files
  EXPECT_TRUE(HasFlag(At(disk, "Data\\Basic.zip")->Record, InArchive));
  TFileRec* loop = FileIn(disk, "Loop");
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->Size, 1u);  // the length of its target text
  EXPECT_EQ(loop->Attributes, faArchive);
  EXPECT_TRUE(loop->Description.Empty());  // DESCRIPT.ION is a link: not read
  EXPECT_EQ(FileIn(disk, "Up")->Size, 2u);
  EXPECT_EQ(FileIn(disk, "Link.zip")->Size, 14u);
  EXPECT_EQ(FileIn(disk, "Pipe.zip")->Size, 0u);
  EXPECT_TRUE(At(disk, "Vol.arj"));  // what the first volume lists
  EXPECT_EQ(Disk(disk)->TotalFiles, 8);
}

TEST_F(Scan, FilesOf4GiBSaturateWhileTotalsAndClustersKeepTheTrueSize) {
  const uint64_t size = (uint64_t(1) << 32) + 1;
  tree.Sized("BIG/HUGE.BIN", size);
  TNode* disk = Scanned();
  EXPECT_EQ(FileIn(At(disk, "Big"), "Huge.bin")->Size, 4294967295u);
  EXPECT_EQ(Folder(At(disk, "Big"))->TotalSize, int64_t(size) * SizeScale);
  EXPECT_EQ(progress.Done, int64_t((uint64_t(1) << 32) / 4096 + 1));
}

TEST_F(Scan, UnreadableFoldersAndVanishedEntriesAreSkippedAGoneMediumFails) {
  tree.File("a/in.txt", "x").File("locked/secret.txt", "x").File("z/later.txt", "x");
  tree.Unreadable("locked");
  TDroppedPrivileges unprivileged;
  if (TDirEnum(tree.Path("locked")).Status() == TDirStatus::Ok)
    GTEST_SKIP() << "permissions are not enforced here";

  progress.OnEntry = [&](int n) {
    if (n == 1) tree.Remove("z");  // gone after the root was listed
    return false;
  };
  TNode* disk = Scanned();
  EXPECT_TRUE(FileIn(At(disk, "A"), "In.txt"));
  ASSERT_TRUE(At(disk, "Locked"));
  EXPECT_EQ(Folder(At(disk, "Locked"))->FileCount, 0);
  EXPECT_FALSE(At(disk, "Z"));
  EXPECT_EQ(Disk(disk)->ScanFlags, ScanSkippedItems);

  // The same, but the medium goes away with the folder: the scan fails and adds nothing.
  tree.File("z/later.txt", "x");
  progress.Entries = 0;
  progress.OnEntry = [&](int n) {
    if (n == 1) {
      tree.Remove("z");
      drives.SetReady('D', false);
    }
    return false;
  };
  TScanResult r = Run();
  EXPECT_EQ(r.Status, TScanStatus::Failed);
  EXPECT_EQ(r.Message, "Drive D: is not ready !");
  EXPECT_EQ(catalog->ChildCount(), 1);

  // An unreadable root is a failure, not an empty disk.
  drives.SetReady('D', true);
  drives.Find('D')->Root = tree.Path("locked");
  r = Run();
  EXPECT_EQ(r.Status, TScanStatus::Failed);
  EXPECT_NE(r.Message.find("Permission denied"), std::string::npos) << r.Message;
  EXPECT_EQ(catalog->ChildCount(), 1);
}

TEST_F(Scan, FoldersOfTheLastLevelAreRecordedWithoutTheirContent) {
  std::string path;
  for (int i = 0; i < MaxFolderLevel + 2; ++i) path += "d/";
  tree.File(path + "deep.txt", "x");
  TNode* disk = Scanned();
  TNode* node = disk;
  int depth = 0;
  while (node->ChildCount() == 1) node = node->Child(0), ++depth;
  EXPECT_EQ(depth, MaxFolderLevel);
  EXPECT_EQ(Disk(disk)->TotalFolders, MaxFolderLevel);
  EXPECT_EQ(Disk(disk)->ScanFlags, ScanSkippedItems);
  std::string before = DescribeTree(catalog);
  SaveAndReopen();
  EXPECT_EQ(DescribeTree(catalog), before);
}

TEST_F(Scan, OtherFileSystemsInsideTheMediumAreNotEntered) {
  tree.Folder("mnt").File("b.txt", "x");
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("none", tree.Path("mnt").c_str(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "mounting is not allowed here";
  WriteBytes(tree.Path("mnt/inside.txt"), "x");
  TNode* disk = Scanned();
  ASSERT_TRUE(At(disk, "Mnt"));
  EXPECT_EQ(Folder(At(disk, "Mnt"))->FileCount, 0);
  EXPECT_EQ(Disk(disk)->TotalFolders, 1);
  EXPECT_EQ(Disk(disk)->ScanFlags, 0);
}

// ---- archives

TEST_F(Scan, ArchivesBecomeFoldersOfTheirEntries) {
  // basic.zip with names of the same lengths that hold control characters.
  std::string ctrl = ReadBytes(std::string(TF_TEST_DATA_DIR) + "/archives/basic.zip");
  auto patch = [&](const std::string& from, const std::string& to) {
    for (std::size_t at; (at = ctrl.find(from)) != std::string::npos;) ctrl.replace(at, from.size(), to);
  };
  patch("hello.txt", "hel\x01o.txt");
  patch("docs/readme.txt", "docs/re\x02" "dme.txt");
  tree.Archive("DATA.ZIP", "basic.zip").Archive("sub/OLD.ARJ", "basic.arj")
      .File("BAD.ZIP", std::string(100, '\0')).File("CTRL.ZIP", ctrl);
  TNode* disk = Scanned();

  TZipTV lister;
  std::vector<std::tuple<std::string, uint32_t, uint32_t, uint32_t, uint32_t>> expected;
  lister.OnRead = [&](TZipTV& z) {
    expected.emplace_back(z.FileName, z.UnpackedSize, z.PackedSize, z.Crc, z.DateTime);
  };
  lister.SetArchiveFile(tree.Path("DATA.ZIP"));
  lister.Activate();
  ASSERT_EQ(expected.size(), 2u);

  TNode* zip = At(disk, "Data.zip");
  ASSERT_TRUE(zip);
  EXPECT_TRUE(HasFlag(zip->Record, InArchive));
  uint64_t zipSize = std::filesystem::file_size(tree.Path("DATA.ZIP"));
  EXPECT_EQ(Folder(zip)->TotalSize, int64_t(zipSize) * SizeScale);
  std::vector<TFileRec*> entries = Files(zip);
  ASSERT_EQ(entries.size(), 2u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto [name, size, packed, crc, time] = expected[i];
    EXPECT_EQ(entries[i]->Name(), NormaliseCase(name, true));
    EXPECT_TRUE(HasFlag(entries[i], InArchive));
    EXPECT_EQ(entries[i]->Size, size);
    EXPECT_EQ(entries[i]->AccessedTime, packed);
    EXPECT_EQ(entries[i]->CreatedTime, crc);
    EXPECT_EQ(entries[i]->ModifiedTime, time);
  }
  EXPECT_TRUE(At(disk, "Sub\\Old.arj"));
  // A damaged archive and one whose entry names are all unusable stay plain files.
  EXPECT_TRUE(FileIn(disk, "Bad.zip"));
  EXPECT_TRUE(FileIn(disk, "Ctrl.zip"));
  EXPECT_EQ(Disk(disk)->TotalFiles, 2);
  EXPECT_EQ(Disk(disk)->ArchiveFiles, 2 + int(Files(At(disk, "Sub\\Old.arj")).size()));
}

TEST_F(Scan, ArchiveCommentsBecomeDescriptions) {
  tree.Archive("NOTES.ZIP", "comment.zip");
  settings.BrowseArchiveCheck = false;
  TNode* plain = Scanned();
  EXPECT_EQ(FileIn(plain, "Notes.zip")->Description.Str(), "A zip comment\r\nsecond line");
  EXPECT_TRUE(HasFlag(plain->Record, HasFileDescriptions));
  settings.BrowseArchiveCheck = true;
  EXPECT_EQ(Desc(At(Scanned(), "Notes.zip")), "A zip comment\r\nsecond line");
  settings.ImportCommentCheck = false;
  EXPECT_EQ(Desc(At(Scanned(), "Notes.zip")), "");
}

// ---- description files

TEST_F(Scan, DescriptionFilesOfEveryKind) {
  std::string long120(120, 'x');
  for (std::size_t i = 9; i < long120.size(); i += 10) long120[i] = ' ';
  tree.File("DESCRIPT.ION", "readme.txt   Read this first\r\ndocs The file, not the folder\r\n"
                            "long.txt " + long120 + "\r\n")
      .File("readme.txt", "").File("docs", "").Folder("DOCS").File("long.txt", "")
      .File("FILES.BBS", "Header line\r\nGAME.EXE     A fine game\r\n             | more text\r\n"
                         "NOPE.EXE     no such file\r\n")
      .File("GAME.EXE", "").File("FILE_ID.DIZ", "not for the disk")
      .File("sub/FILE_ID.DIZ", "\xC9\xCD\xBB\r\n\xBA" "Hi\xBA\r\n")
      .File("utf/DESCRIPT.ION", "caf\xC3\xA9.txt Un caf\xC3\xA9 \xE2\x94\x80 fin\r\n")
      .File("utf/caf\xC3\xA9.txt", "")
      .File("cp/DESCRIPT.ION", "menu.txt Men\xFA \xC4\xC4 item\r\n").File("cp/menu.txt", "");
  drives.Find('D')->CaseInsensitive = false;
  TNode* disk = Scanned();
  EXPECT_EQ(FileIn(disk, "readme.txt")->Description.Str(), "Read this first");
  EXPECT_EQ(FileIn(disk, "docs")->Description.Str(), "The file, not the folder");
  EXPECT_EQ(Desc(At(disk, "DOCS")), "");
  std::string wrapped = FileIn(disk, "long.txt")->Description.Str();
  EXPECT_EQ(std::count(wrapped.begin(), wrapped.end(), '\n'), 2);
  EXPECT_EQ(FileIn(disk, "GAME.EXE")->Description.Str(), "A fine game\r\n| more text");
  EXPECT_TRUE(HasFlag(disk->Record, HasFileDescriptions));
  EXPECT_TRUE(Disk(disk)->Description.Empty());
  EXPECT_EQ(Desc(At(disk, "sub")), "+-+\r\n|Hi|");
  EXPECT_EQ(FileIn(At(disk, "utf"), "caf\xC3\xA9.txt")->Description.Str(), "Un caf\xC3\xA9 - fin");
  EXPECT_EQ(FileIn(At(disk, "cp"), "menu.txt")->Description.Str(), "Men\xB7 -- item");

  settings.DescTruncCheck = true;
  settings.DescTruncEdit = 2;
  wrapped = FileIn(Scanned(), "long.txt")->Description.Str();
  EXPECT_EQ(std::count(wrapped.begin(), wrapped.end(), '\n'), 1);

  settings.ImportDizCheck = settings.Import4DOSCheck = settings.ImportBBSCheck = false;
  TNode* none = Scanned();
  EXPECT_TRUE(FileIn(none, "readme.txt")->Description.Empty());
  EXPECT_TRUE(FileIn(none, "GAME.EXE")->Description.Empty());
  EXPECT_EQ(Desc(At(none, "sub")), "");
}

TEST_F(Scan, KeepCurrentDecidesBetweenAFoldersDizAndItsParentsDescriptIon) {
  tree.File("sub/FILE_ID.DIZ", "From the diz").File("DESCRIPT.ION", "sub From descript.ion");
  EXPECT_EQ(Desc(At(Scanned(), "Sub")), "From the diz");
  settings.KeepCurrentCheck = false;
  EXPECT_EQ(Desc(At(Scanned(), "Sub")), "From descript.ion");
}

// ---- names, look-ups, refusals, cancel

TEST_F(Scan, DiskNamesAreMadeUnique) {
  TNode* backup = AddDisk(catalog, "Backup");
  AddDisk(catalog, "Backup (2)");
  AddDisk(catalog, "My Backup");
  EXPECT_EQ(UniqueDiskName(catalog, "Backup"), "Backup (3)");
  EXPECT_EQ(UniqueDiskName(catalog, "backup"), "backup");
  EXPECT_EQ(UniqueDiskName(catalog, "Backup", backup), "Backup");
  EXPECT_EQ(Scanned("Backup")->Caption, "Backup (3)");
}

TEST_F(Scan, MatchingDisksAndTheStatusLine) {
  TNode* first = Scanned("First");
  Scanned("Second");
  TDiskRec medium;
  detector.ReadVolumeInfo('D', medium);
  EXPECT_EQ(FindMatchingDisks(catalog, medium).size(), 2u);
  EXPECT_EQ(ProposedDiskName(medium, first, settings), "First");
  settings.UpdateNameCheck = false;
  EXPECT_EQ(ProposedDiskName(medium, first, settings), "Testdisk");
  EXPECT_EQ(AddDiskStatusLine('D', medium, false, true),
            "Hard disk (D:), Serial num: 1234-5678, already exists in catalog");
  medium.SerialNumber = 1;
  EXPECT_TRUE(FindMatchingDisks(catalog, medium).empty());
  EXPECT_EQ(AddDiskStatusLine('D', medium, true, false),
            "Hard disk (D:), media does not match selected to update");
}

TEST_F(Scan, NothingHappensWhileSearchingOrWhenTheDriveIsNotReady) {
  catalogs.SearchRunning = true;
  EXPECT_EQ(Run().Status, TScanStatus::Refused);
  catalogs.SearchRunning = false;
  drives.SetReady('D', false);
  EXPECT_EQ(Run().Status, TScanStatus::NotReady);
  ASSERT_EQ(prompts.Log.size(), 1u);
  EXPECT_EQ(prompts.Log[0].Title, "Drive Not Ready");
  EXPECT_EQ(catalog->ChildCount(), 0);
  EXPECT_EQ(progress.Captions.size(), 0u);
}

TEST_F(Scan, CancellingLeavesTheCatalogByteIdentical) {
  tree.File("a/one.txt", "1").File("b/two.txt", "2").File("c/three.txt", "3");
  Scanned("First");
  std::string saved = SaveAndReopen();
  std::string bytes = ReadBytes(saved);

  class TInserts : public TTreeObserver {
   public:
    void NodesInserted(TNode*, int, int) override { ++Count; }
    int Count = 0;
  } inserts;
  catalogs.AddObserver(&inserts);
  progress.OnEntry = [](int n) { return n == 4; };  // in the middle of the second folder
  EXPECT_EQ(Run("Second").Status, TScanStatus::Cancelled);
  EXPECT_EQ(Run("First", catalog->Child(0)).Status, TScanStatus::Cancelled);
  catalogs.RemoveObserver(&inserts);
  EXPECT_EQ(inserts.Count, 0);
  EXPECT_EQ(catalog->ChildCount(), 1);
  EXPECT_EQ(static_cast<TCatalogRec*>(catalog->Record)->Modified, 0);
  WriteCatalogFile(catalog, dir.File("again.ctf"), NoProgress());
  EXPECT_EQ(ReadBytes(dir.File("again.ctf")), bytes);
}

// ---- the update

TEST_F(Scan, UpdateKeepsWhatBelongsToUnchangedItemsOnly) {
  tree.File("same.txt", "same").File("grown.txt", "a").File("renamed.txt", "r")
      .File("KEEP/in.txt", "x").File("MOVED/in.txt", "x").Folder("SWAP")
      .Time("KEEP", 900000000).Time("MOVED", 900000000).Time("SWAP", 900000000);
  TNode* disk = Scanned("Disk");
  Disk(disk)->Description.Assign("disk notes");
  Disk(disk)->UserByte = 9;
  FileIn(disk, "Same.txt")->Description.Assign("kept");
  FileIn(disk, "Same.txt")->CategoryFlags = 0xA1;
  FileIn(disk, "Grown.txt")->Description.Assign("lost");
  FileIn(disk, "Renamed.txt")->Description.Assign("lost too");
  TFolderRec* keep = Folder(At(disk, "Keep"));
  keep->Description.Assign("folder kept");
  keep->CategoryFlags = 3;
  keep->Reserved = 7;
  FileIn(At(disk, "Keep"), "In.txt")->Description.Assign("deep kept");
  Folder(At(disk, "Moved"))->Description.Assign("folder lost");
  Folder(At(disk, "Swap"))->Description.Assign("a folder's, now a file's");
  SaveAndReopen();  // nothing below the disk has been read since

  tree.File("grown.txt", "ab").Remove("renamed.txt").File("renamed2.txt", "r")
      .Time("MOVED", 950000000).Remove("SWAP").File("SWAP", "");
  TScanResult r = Run("Disk", catalog->Child(0));
  ASSERT_EQ(r.Status, TScanStatus::Done) << r.Message;
  ASSERT_EQ(catalog->ChildCount(), 1);
  disk = catalog->Child(0);
  EXPECT_EQ(disk, r.Disk);
  EXPECT_EQ(disk->Caption, "Disk");
  EXPECT_EQ(catalogs.Selected(), disk);
  EXPECT_EQ(progress.Captions[1], WaitPreparingUpdate);
  EXPECT_EQ(Desc(disk), "disk notes");
  EXPECT_EQ(Disk(disk)->UserByte, 9);
  EXPECT_EQ(FileIn(disk, "Same.txt")->Description.Str(), "kept");
  EXPECT_EQ(FileIn(disk, "Same.txt")->CategoryFlags, 0xA1);
  EXPECT_TRUE(FileIn(disk, "Grown.txt")->Description.Empty());
  EXPECT_TRUE(FileIn(disk, "Renamed2.txt")->Description.Empty());
  EXPECT_EQ(FileIn(disk, "Swap")->Description.Str(), "a folder's, now a file's");
  EXPECT_TRUE(HasFlag(disk->Record, HasFileDescriptions));
  keep = Folder(At(disk, "Keep"));
  EXPECT_EQ(keep->Description.Str(), "folder kept");
  EXPECT_EQ(keep->CategoryFlags, 3);
  EXPECT_EQ(keep->Reserved, 7);
  EXPECT_EQ(FileIn(At(disk, "Keep"), "In.txt")->Description.Str(), "deep kept");
  EXPECT_EQ(Desc(At(disk, "Moved")), "");

  // Without keep-current only the disk's own description and user byte survive.
  settings.KeepCurrentCheck = false;
  disk = Run("Disk", disk).Disk;
  ASSERT_TRUE(disk);
  EXPECT_EQ(Desc(disk), "disk notes");
  EXPECT_TRUE(FileIn(disk, "Same.txt")->Description.Empty());
  EXPECT_EQ(Desc(At(disk, "Keep")), "");
}

TEST_F(Scan, UpdateKeepsCategoriesFlagsAndReservedBytesWithoutADescription) {
  // What the user set by hand on one item each; "Grown.txt" changes on the medium.
  struct {
    const char* Name;  // as catalogued
    bool Folder;
    const char* Description;
    uint8_t Category;
    uint8_t Reserved;
    bool Kept;
  } cases[] = {
      {"Category.txt", false, "", 0x42, 0, true},
      {"Both.txt", false, "notes", 0x81, 0, true},
      {"Described.txt", false, "notes", 0, 0, true},
      {"Grown.txt", false, "", 0x42, 0, false},
      {"Catdir", true, "", 0x05, 0, true},
      {"Resdir", true, "", 0, 9, true},
  };
  tree.File("category.txt", "c").File("both.txt", "b").File("described.txt", "d")
      .File("grown.txt", "g").Folder("CATDIR").Folder("RESDIR");
  TNode* disk = Scanned("Disk");
  auto record = [&](const char* name, bool folder) -> TItemRec* {
    if (folder) return At(disk, name) ? At(disk, name)->Record : nullptr;
    return FileIn(disk, name);
  };
  for (const auto& c : cases) {
    TItemRec* rec = record(c.Name, c.Folder);
    ASSERT_TRUE(rec) << c.Name;
    DescriptionOf(rec)->Assign(c.Description);
    *CategoryFlagsOf(rec) = c.Category;
    if (c.Folder) static_cast<TFolderRec*>(rec)->Reserved = c.Reserved;
  }
  SaveAndReopen();
  tree.File("grown.txt", "gg");
  disk = Run("Disk", catalog->Child(0)).Disk;
  ASSERT_TRUE(disk);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TItemRec* rec = record(c.Name, c.Folder);
    ASSERT_TRUE(rec);
    EXPECT_EQ(DescriptionOf(rec)->Str(), c.Kept ? c.Description : "");
    EXPECT_EQ(*CategoryFlagsOf(rec), c.Kept ? c.Category : 0);
    if (c.Folder) {
      EXPECT_EQ(static_cast<TFolderRec*>(rec)->Reserved, c.Kept ? c.Reserved : 0);
    }
  }
}

TEST_F(Scan, AKeptDescriptionStopsTheDescriptionFilesOfItsFolder) {
  tree.File("a.txt", "").File("DESCRIPT.ION", "a.txt from the file\r\n");
  TNode* disk = Scanned("Disk");
  FileIn(disk, "A.txt")->Description.Assign("edited");
  tree.File("c.txt", "").File("DESCRIPT.ION", "a.txt from the file\r\nc.txt new\r\n");
  disk = Run("Disk", disk).Disk;
  ASSERT_TRUE(disk);
  EXPECT_EQ(FileIn(disk, "A.txt")->Description.Str(), "edited");
  EXPECT_TRUE(FileIn(disk, "C.txt")->Description.Empty());

  // Names must be equal exactly; the other kind always matches.
  TKeptDescriptions kept;
  CollectKeptDescriptions(disk, kept);
  EXPECT_EQ(kept.Size(), 1u);
  TFolderRec folder;
  EXPECT_FALSE(RestoreKeptDescription(kept, &folder, "a.TXT"));
  EXPECT_TRUE(RestoreKeptDescription(kept, &folder, "A.txt"));
  EXPECT_EQ(folder.Description.Str(), "edited");
}

}  // namespace
}  // namespace tf::test
