// The search walk: the engine against the straightforward walk on random catalogs, and the
// rules of loading and releasing file lists, the result limit and progress.

#include <gtest/gtest.h>

#include "SearchFixtures.h"
#include <filesystem>

#include "browse/Sort.h"
#include "store/LoadSave.h"

namespace tf::test {
namespace {

// Runs Call and Post at once and checks that the tree and the result list change only inside
// Call, as they must when the window shows them on the main thread.
class TCheckedMainThread final : public TMainThread, public TTreeObserver {
 public:
  explicit TCheckedMainThread(const TResultList& list) : list_(list) {}
  void Call(const std::function<void()>& fn) override {
    if (list_.Capacity() != capacity_) ++MovesOutside;
    inside_ = true;
    fn();
    inside_ = false;
    capacity_ = list_.Capacity();
    ++Calls;
  }
  void Post(std::function<void()> fn) override { fn(); }
  void NodesAboutToBeInserted(TNode*, int, int) override {
    if (!inside_) ++MovesOutside;
  }
  int Calls = 0;
  int MovesOutside = 0;

 private:
  const TResultList& list_;
  int capacity_ = 0;
  bool inside_ = false;
};

struct TSide {
  TCatalogTree tree;
  TResultList results{TListKind::Search};
  TResultList dups{TListKind::Duplicates};
  TRecordingHost host;
  TCheckedMainThread main{results};
  TSearchEngine engine{results, dups, host, main};
  explicit TSide(const std::string& path) {
    tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    tree.SetList(TListKind::Search, &results);
    tree.SetList(TListKind::Duplicates, &dups);
    tree.AddObserver(&main);
  }
  ~TSide() {
    tree.RemoveObserver(&main);
    tree.SetList(TListKind::Search, nullptr);
    tree.SetList(TListKind::Duplicates, nullptr);
  }
  TNode* Catalog() { return tree.Catalog(0); }
};

std::vector<TNode*> Containers(TNode* node) {
  std::vector<TNode*> out;
  if (node->Kind() == ikDisk || node->Kind() == ikFolder) out.push_back(node);
  for (auto& c : node->Children) {
    auto more = Containers(c.get());
    out.insert(out.end(), more.begin(), more.end());
  }
  return out;
}

// Loads the same random lists (and the folder levels they lie in) on every side.
void PreloadSome(uint32_t seed, std::vector<TNode*> catalogs) {
  for (TNode* cat : catalogs) {
    std::mt19937 rng(seed);
    LoadAll(cat);  // every level, so that the sides pick the same containers
    for (TNode* c : Containers(cat))
      if (rng() % 4 != 0) UnloadFiles(c);
  }
}

TEST(SearchWalk, TheEngineFindsWhatTheStraightforwardWalkFinds) {
  TTempDir dir;
  int compared = 0, found = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    std::string path = dir.File("r" + std::to_string(seed) + ".ctf");
    {
      TCatalogTree build;
      TNode* cat = BuildRandomCatalog(build, rng, {3, 14, 10});
      WriteCatalogFile(cat, path, NoProgress());
    }
    for (int round = 0; round < 6; ++round) {
      TSide fast(path), plain(path), ref(path);
      TSearchControls controls = RandomControls(rng, *static_cast<TCatalogRec*>(
                                                          fast.Catalog()->Record));
      if (round % 2 == 1) {
        PreloadSome(seed + round, {fast.Catalog(), plain.Catalog(), ref.Catalog()});
        fast.main.MovesOutside = 0;
      }
      TSearchCriteria criteria = BuildCriteria(controls);
      TReferenceSearch reference(ref.results);
      TSearchOptions straightforward;
      straightforward.ReadListsInPlace = false;
      // A second run appends only what the first did not list.
      for (int run = 0; run < 2; ++run) {
        reference.Run(ref.tree, criteria);
        fast.engine.RunSearch(criteria, CollectScope(fast.tree, criteria.SearchFor));
        plain.engine.RunSearch(criteria, CollectScope(plain.tree, criteria.SearchFor),
                               straightforward);
      }
      SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
      ASSERT_EQ(Keys(fast.results), Keys(ref.results));
      ASSERT_EQ(Keys(plain.results), Keys(ref.results));
      EXPECT_EQ(fast.host.Shown, reference.Shown);
      EXPECT_EQ(plain.host.Shown, reference.Shown);
      EXPECT_EQ(fast.results.Capacity(), ref.results.Capacity());
      EXPECT_EQ(fast.host.View, fast.results.Count());
      if (!criteria.ResultLimit) {
        // Every level was walked: the same lists are held in memory.
        EXPECT_EQ(LoadedLists(fast.Catalog()), LoadedLists(ref.Catalog()));
        EXPECT_EQ(LoadedLists(plain.Catalog()), LoadedLists(ref.Catalog()));
      }
      EXPECT_EQ(fast.main.MovesOutside, 0);
      EXPECT_EQ(CheckTree(fast.tree), "");
      ++compared;
      found += ref.results.Count();
    }
  }
  // The random criteria must find something often enough for the comparison to mean much.
  EXPECT_GT(found, compared * 3);
}

// A catalog saved and opened again: no list loaded.
class SearchOnDisk : public ::testing::Test {
 protected:
  void Save(TCatalogTree& build) {
    path = dir.File("c.ctf");
    WriteCatalogFile(build.Catalog(0), path, NoProgress());
    side = std::make_unique<TSide>(path);
  }
  TSearchCriteria NamePart(const std::string& text, int limit = 0) {
    TSearchControls k;
    k.ByNameCheck = true;
    k.NameEdit = text;
    k.LimitFoundCheck = limit > 0;
    k.MaxFoundNum = limit;
    return BuildCriteria(k);
  }
  void Run(const TSearchCriteria& c, const TSearchOptions& options = {}) {
    side->engine.RunSearch(c, CollectScope(side->tree, c.SearchFor), options);
  }
  TNode* Node(const std::string& path) {
    TNode* n = side->Catalog();
    std::size_t at = 0;
    while (at < path.size()) {
      std::size_t slash = path.find('/', at);
      std::string part = path.substr(at, slash == std::string::npos ? slash : slash - at);
      TNode* next = nullptr;
      LoadSubfolders(n);
      for (auto& c : n->Children)
        if (c->Caption == part) next = c.get();
      if (!next) return nullptr;
      n = next;
      at = slash == std::string::npos ? path.size() : slash + 1;
    }
    return n;
  }
  bool Loaded(const std::string& path) { return FilesLoaded(Node(path)->Record); }

  TTempDir dir;
  std::string path;
  std::unique_ptr<TSide> side;
};

TEST_F(SearchOnDisk, ListsStayInMemoryOnlyWhereSomethingWasFound) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  TNode* disk = AddDisk(cat, "D1");
  AddFile(disk, "root.txt");
  TNode* hit = AddFolder(disk, "Hit");
  AddFile(hit, "a.txt");
  AddFile(hit, "needle.txt");
  TNode* miss = AddFolder(hit, "Miss");
  AddFile(miss, "b.txt");
  TNode* named = AddFolder(disk, "Needles");  // found itself, no file found in it
  AddFile(named, "c.txt");
  Save(build);

  Run(NamePart("needle"));
  EXPECT_EQ(Keys(side->results),
            (std::vector<std::string>{"F|D1|\\Hit|needle.txt", "D|D1|\\|Needles"}));
  EXPECT_FALSE(Loaded("D1"));
  EXPECT_TRUE(Loaded("D1/Hit"));
  EXPECT_FALSE(Loaded("D1/Hit/Miss"));
  EXPECT_TRUE(Loaded("D1/Needles"));  // kept with the folder, as a list read for it would be
  side->results.Clear();
  Run(NamePart("nothing like it"));
  EXPECT_EQ(side->results.Count(), 0);
  EXPECT_TRUE(Loaded("D1/Hit"));  // loaded before the run: not the search's to release
  EXPECT_FALSE(Loaded("D1/Hit/Miss"));
}

TEST_F(SearchOnDisk, AResultLimitStopsTheRunAndASecondRunAppendsOnlyNewResults) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  for (int d = 0; d < 3; ++d) {
    TNode* disk = AddDisk(cat, "D" + std::to_string(d));
    for (int i = 0; i < 9; ++i) AddFile(disk, "hit" + std::to_string(i) + ".txt");
    AddFile(AddFolder(disk, "F"), "hit.txt");
  }
  Save(build);
  std::vector<int> counts;
  for (int run = 0; run < 4; ++run) {
    Run(NamePart("HIT", 10));
    counts.push_back(side->results.Count());
  }
  EXPECT_EQ(counts, (std::vector<int>{10, 20, 30, 30}));
  auto keys = Keys(side->results);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end());
  EXPECT_EQ(keys.size(), 30u);
  EXPECT_EQ(CheckTree(side->tree), "");
}

TEST_F(SearchOnDisk, AScopeWithEveryDiskUncheckedExaminesNothing) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  for (const char* name : {"D1", "D2"}) {
    TNode* disk = AddDisk(cat, name);
    AddFile(disk, "hit.txt");
    static_cast<TDiskRec*>(disk->Record)->TotalFiles = 2;  // a share of 1 shows nothing
  }
  Save(build);
  for (auto& d : side->Catalog()->Children) SetFlag(d->Record, SearchScope, false);
  Run(NamePart("hit"));
  EXPECT_EQ(side->results.Count(), 0);
  EXPECT_TRUE(side->host.Shown.empty());
  EXPECT_EQ(side->engine.Status().Total, 0);
  // One disk back in the scope: only it is walked, and its share is the whole progress.
  SetFlag(side->Catalog()->Child(1)->Record, SearchScope, true);
  Run(NamePart("hit"));
  EXPECT_EQ(Keys(side->results), (std::vector<std::string>{"F|D2|\\|hit.txt"}));
  ASSERT_FALSE(side->host.Shown.empty());
  EXPECT_EQ(side->host.Shown.back().Checked, 2);
  EXPECT_EQ(side->host.Shown.back().Total, 2);
}

TEST_F(SearchOnDisk, LookingOnlyForDescriptionsPassesOverFoldersWithoutFileDescriptions) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  TNode* disk = AddDisk(cat, "D1");
  AddFile(disk, "root.txt", 0, "described");
  TNode* marked = AddFolder(disk, "Marked");
  AddFile(marked, "m.txt", 0, "described");
  TNode* unmarked = AddFolder(disk, "Unmarked");
  AddFile(unmarked, "u.txt", 0, "described");
  // Stored without the mark, as an older program may have left them.
  SetFlag(unmarked->Record, HasFileDescriptions, false);
  SetFlag(disk->Record, HasFileDescriptions, false);
  Save(build);
  TSearchControls k;
  k.ByDescCheck = true;
  k.DescMode = TDescMode::Any;
  TSearchCriteria c = BuildCriteria(k);
  ASSERT_TRUE(c.DescriptionOnly);
  for (bool inPlace : {true, false}) {
    side->results.Clear();
    Run(c, {false, inPlace});
    // A disk's list is read whatever its mark, and reading it finds the description.
    EXPECT_EQ(Keys(side->results),
              (std::vector<std::string>{"F|D1|\\|root.txt", "F|D1|\\Marked|m.txt"}))
        << inPlace;
    EXPECT_FALSE(Loaded("D1/Unmarked"));
  }
}

TEST_F(SearchOnDisk, TheStraightforwardWalkReleasesNoListAWindowHolds) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  TNode* disk = AddDisk(cat, "D1");
  AddFile(disk, "root.txt");
  TNode* shown = AddFolder(disk, "Shown");
  AddFile(shown, "a.txt");
  TNode* taken = AddFolder(disk, "Taken");
  for (int i = 0; i < 200; ++i) AddFile(taken, "f" + std::to_string(i));
  AddFile(AddFolder(disk, "Other"), "b.txt");
  Save(build);
  side->host.ShownContainers.push_back(Node("D1/Shown"));
  // The user list takes an item of "Taken" while the walk is in it (at the status display
  // after the 128th item).
  TRecordVector userList(TListKind::UserList);
  side->host.OnStatus = [&](const TSearchStatus& s) {
    if (s.Checked == 128) userList.Add(FirstFile(Node("D1/Taken")->Record));
  };
  Run(NamePart("nothing"), {false, false});
  userList.Clear();
  EXPECT_TRUE(Loaded("D1/Shown"));
  EXPECT_TRUE(Loaded("D1/Taken"));
  EXPECT_FALSE(Loaded("D1/Other"));
  EXPECT_FALSE(Loaded("D1"));
}

TEST_F(SearchOnDisk, DamagedListsAndLevelsAreReportedAndTheRunGoesOn) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  TNode* disk = AddDisk(cat, "D1");
  AddFile(AddFolder(disk, "Bad"), "hit1.txt");
  AddFile(AddFolder(AddFolder(disk, "BadLevel"), "Below"), "hit4.txt");
  AddFile(AddFolder(AddFolder(disk, "Deep"), "Below"), "hit3.txt");
  AddFile(AddFolder(disk, "Good"), "hit2.txt");
  Save(build);
  int32_t blockEnd = static_cast<TDiskRec*>(Node("D1")->Record)->BlockLength;
  static_cast<TFolderRec*>(Node("D1/Bad")->Record)->FilesLength = blockEnd;  // past the block
  static_cast<TFolderRec*>(Node("D1/BadLevel")->Record)->SubfoldersOffset = blockEnd;
  for (bool inPlace : {true, false}) {
    side->results.Clear();
    Run(NamePart("hit"), {false, inPlace});
    EXPECT_EQ(Keys(side->results),
              (std::vector<std::string>{"F|D1|\\Deep\\Below|hit3.txt", "F|D1|\\Good|hit2.txt"}));
    std::vector<std::string> errors = side->engine.ReadErrors();
    ASSERT_EQ(errors.size(), 2u);
    std::sort(errors.begin(), errors.end());
    EXPECT_NE(errors[0].find("C: D1 \\Bad: "), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("C: D1 \\BadLevel: "), std::string::npos) << errors[1];
  }
}

TEST_F(SearchOnDisk, ProgressIsShownEvery128ItemsAndAtEachDisksEnd) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  for (int d = 0; d < 2; ++d) {
    TNode* disk = AddDisk(cat, "D" + std::to_string(d));
    auto* rec = static_cast<TDiskRec*>(disk->Record);
    for (int i = 0; i < 200; ++i) AddFile(disk, "f" + std::to_string(i));
    rec->TotalFiles = 300;  // the header's count, not what the walk meets
  }
  Save(build);
  TSearchCriteria c = NamePart("f1");
  struct Case {
    int IntervalMs;
    std::vector<int> Checked;
  } cases[] = {
      // 128 in the first disk, then its share (300); 384 in the second, then 600.
      {0, {128, 300, 384, 600}},
      // A window that shows the status at its own pace (an hour, here) gets the first one and
      // every disk's end, the last state included.
      {3600 * 1000, {128, 300, 600}},
  };
  for (const Case& k : cases) {
    side->results.Clear();
    side->host.Shown.clear();
    TSearchOptions options;
    options.StatusIntervalMs = k.IntervalMs;
    Run(c, options);
    std::vector<int> checked;
    for (const auto& s : side->host.Shown) checked.push_back(s.Checked);
    EXPECT_EQ(checked, k.Checked) << k.IntervalMs;
    EXPECT_EQ(side->host.Shown.back().Found, 2 * 111);  // f1, f10..f19, f100..f199
  }
}

TEST_F(SearchOnDisk, ASaveDuringTheRunMovesNoListUnderTheSearch) {
  TCatalogTree build;
  TNode* cat = AddCatalog(build, "C");
  for (int d = 0; d < 2; ++d) {
    TNode* disk = AddDisk(cat, "D" + std::to_string(d));
    for (int f = 0; f < 40; ++f) {
      TNode* folder = AddFolder(disk, "F" + std::to_string(f));
      for (int i = 0; i < 10; ++i) AddFile(folder, (i == f % 10 ? "hit" : "f") + std::to_string(i));
    }
  }
  Save(build);
  TSide reference(path);
  TReferenceSearch ref(reference.results);
  ref.Run(reference.tree, NamePart("hit"));
  // Halfway through the first disk the catalog is saved elsewhere, every block moving and
  // the second disk written anew.
  std::string moved = dir.File("moved.ctf");
  side->host.OnStatus = [&](const TSearchStatus& s) {
    if (s.Checked != 128) return;
    side->Catalog()->Caption = "A much longer catalog name than before";
    SetDiskChanged(side->Catalog()->Child(1), true);
    WriteCatalogFile(side->Catalog(), moved, NoProgress());
    std::filesystem::remove(path);
  };
  Run(NamePart("hit"));
  EXPECT_EQ(Keys(side->results), Keys(reference.results));
  EXPECT_EQ(side->results.Count(), 80);
  EXPECT_TRUE(side->engine.ReadErrors().empty());
}

TEST(ResultList, KeepsBackIndicesAndGroupsThroughRemovalSortingAndReversal) {
  TCatalogTree tree;
  TResultList list(TListKind::Duplicates);
  tree.SetList(TListKind::Duplicates, &list);
  TNode* cat = AddCatalog(tree, "C");
  TNode* d1 = AddDisk(cat, "D1");
  TNode* d2 = AddDisk(cat, "D2");
  std::vector<TFileRec*> f = {AddFile(d1, "c", 3), AddFile(d2, "a", 1), AddFile(d1, "b", 2),
                              AddFile(d2, "d", 4)};
  int g1 = list.NewGroup(), g2 = list.NewGroup();
  for (int i = 0; i < 4; ++i) list.Add(f[std::size_t(i)], i < 2 ? g1 : g2);
  auto names = [&] {
    std::string s;
    for (int i = 0; i < list.Count(); ++i)
      s += std::string(static_cast<TFileRec*>(list.At(i))->Name()) + std::to_string(list.Group(i));
    return s;
  };
  list.Sort(SortByName, false, false);
  EXPECT_EQ(names(), "a0b1c0d1");
  list.Reverse();
  EXPECT_EQ(names(), "d1c0b1a0");
  EXPECT_EQ(f[1]->DuplicatesIndex, 3);
  EXPECT_EQ(CheckTree(tree), "");
  int packed = 0;
  list.OnPacked = [&packed] { ++packed; };
  DeleteItemNode(d2);  // its records leave the list, the others move up, the window is told
  EXPECT_EQ(names(), "c0b1");
  EXPECT_EQ(f[2]->DuplicatesIndex, 1);
  EXPECT_EQ(packed, 1);
  EXPECT_EQ(CheckTree(tree), "");
  list.Add(f[0], list.NewGroup());
  const int rows[] = {0, 7, 0};  // a row out of range and a row twice do nothing more
  list.Remove(rows);
  EXPECT_EQ(names(), "b1c2");
  EXPECT_EQ(f[2]->DuplicatesIndex, 0);
  EXPECT_EQ(f[0]->DuplicatesIndex, 1);
  EXPECT_EQ(packed, 1);  // the window removed them itself
  EXPECT_EQ(CheckTree(tree), "");
  list.Clear();
  EXPECT_EQ(f[0]->DuplicatesIndex, -1);
  // Positions are kept modulo 32768.
  for (int i = 0; i < 40001; ++i) list.Add(f[0]);
  EXPECT_EQ(f[0]->DuplicatesIndex, 7232);
  tree.SetList(TListKind::Duplicates, nullptr);
}

TEST(ResultList, CommandsFollowTheFocusTheSelectionAndTheRun) {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "C");
  TNode* disk = AddDisk(cat, "D");
  TFileRec* file = AddFile(disk, "a.txt");
  TNode* zip = AddFolder(disk, "z.zip");
  SetFlag(zip->Record, InArchive, true);
  TFileRec* packed = AddFile(zip, "in.txt");
  TItemRec* folder = AddFolder(disk, "Plain")->Record;
  TItemRec* listed = AddFile(disk, "listed.txt");
  listed->UserListIndex = 0;
  struct Case {
    bool Running;
    int Count;
    TItemRec* Focused;
    std::vector<TItemRec*> Selected;
    // Explorer, Launch, SetCategory, AddToUserList, ItemCommands, Find, Cancel, ListCommands
    std::string States;
  } cases[] = {
      {false, 0, nullptr, {}, "00000100"},
      {false, 4, file, {file}, "11111101"},
      {false, 4, zip->Record, {zip->Record}, "11111101"},   // an archive is launched
      {false, 4, folder, {folder}, "10111101"},             // a folder only opened
      {false, 4, packed, {packed}, "00111101"},             // inside an archive: neither
      {false, 4, listed, {listed}, "11101101"},             // in the user list already
      {false, 4, listed, {listed, file}, "11111101"},       // one of them is not
      {true, 4, file, {file}, "11111010"},                  // no Find nor removal meanwhile
  };
  for (const Case& c : cases) {
    TFoundListActions a = FoundListActionState(c.Running, c.Count, c.Focused, c.Selected);
    std::string got;
    for (bool b : {a.OpenInExplorer, a.Launch, a.SetCategory, a.AddToUserList, a.ItemCommands,
                   a.Find, a.Cancel, a.ListCommands})
      got += b ? '1' : '0';
    EXPECT_EQ(got, c.States) << c.States;
  }
  listed->UserListIndex = -1;
}

}  // namespace
}  // namespace tf::test
