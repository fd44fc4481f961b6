// Categories and flags of catalogs: the setup window's list, its questions, commits on
// switching catalogs, Cancel restoring every catalog, and the clean-up of references after OK
// on a catalog read lazily from its file.

#include <gtest/gtest.h>

#include "classify/Categories.h"
#include "platform/Progress.h"
#include "platform/ScriptedPrompts.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

std::vector<TCategoryEntry> Entries(std::initializer_list<int> ids) {
  std::vector<TCategoryEntry> out;
  for (int id : ids) out.push_back({"c" + std::to_string(id), id, false});
  return out;
}

TEST(LowestFreeCategoryId, TakesTheFirstGap) {
  std::vector<TCategoryEntry> all;
  for (int id = 1; id <= 31; ++id) all.push_back({"x", id, false});
  std::vector<TCategoryEntry> allButOne(all.begin() + 1, all.end());
  struct TCase {
    std::vector<TCategoryEntry> List;
    int Expected;
  } cases[] = {
      {{}, 1}, {Entries({1, 2, 3}), 4}, {Entries({3, 1}), 2}, {Entries({31}), 1},
      {allButOne, 1}, {all, 0},
  };
  for (const TCase& c : cases) EXPECT_EQ(LowestFreeCategoryId(c.List), c.Expected) << c.List.size();
}

TEST(CategoryLookup, MatchesNamesExactly) {
  TCatalogRec cat;
  cat.Categories = {{"Games", 3}, {"games", 4}};
  EXPECT_EQ(CategoryLookup(cat, "Games"), 3);
  EXPECT_EQ(CategoryLookup(cat, "games"), 4);
  EXPECT_EQ(CategoryLookup(cat, "GAMES"), std::nullopt);
}

// Records what the clean-up shows.
struct TRecordingProgress final : TProgress {
  std::vector<std::string> Calls;
  void SetStatus(const std::string& text) override { Calls.push_back("status " + text); }
  void Begin(const std::string& caption, int64_t) override { Calls.push_back("begin " + caption); }
  void End() override { Calls.push_back("end"); }
};

class Setup : public ::testing::Test {
 protected:
  TCatalogTree tree;
  TScriptedPrompts prompts;
  TCategoriesSetup setup{tree, prompts};

  TCatalogRec& Rec(TNode* c) { return *static_cast<TCatalogRec*>(c->Record); }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (const auto& e : setup.List()) out.push_back(e.Name + "=" + std::to_string(e.Id));
    return out;
  }
  int IndexOf(const std::string& name) {
    for (std::size_t i = 0; i < setup.List().size(); ++i)
      if (setup.List()[i].Name == name) return int(i);
    return -1;
  }
};

TEST_F(Setup, NewCategoriesTakeTheLowestFreeIdAndNameOrder) {
  TNode* cat = AddCatalog(tree, "New");
  setup.Open(cat);
  for (const char* n : {"Tools", "Games", "Music"}) ASSERT_TRUE(setup.Add(n));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Games=2", "Music=3", "Tools=1"}));
  EXPECT_EQ(setup.Selected, IndexOf("Music"));  // the entry just added
  // Deleting a category added since opening asks nothing; its ID is free again.
  ASSERT_TRUE(setup.Delete(IndexOf("Games")));
  EXPECT_TRUE(prompts.Log.empty());
  ASSERT_TRUE(setup.Add("Books"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Books=2", "Music=3", "Tools=1"}));
  // A renamed entry keeps its place and its ID; the commit writes the window's order.
  ASSERT_TRUE(setup.Rename(IndexOf("Books"), "Zines"));
  EXPECT_FALSE(setup.Rename(IndexOf("Music"), "Music"));
  EXPECT_FALSE(setup.Rename(IndexOf("Music"), ""));
  setup.Ok(NoProgress());
  std::vector<std::string> stored;
  for (const TCategory& c : Rec(cat).Categories) stored.push_back(c.Name + "=" + std::to_string(c.Id));
  EXPECT_EQ(stored, (std::vector<std::string>{"Zines=2", "Music=3", "Tools=1"}));
  EXPECT_EQ(Rec(cat).Modified, 1);
}

TEST_F(Setup, EnablingFollowsTheListAndTheSelection) {
  TNode* cat = AddCatalog(tree, "Full");
  for (int id = 1; id <= 30; ++id) Rec(cat).Categories.push_back({"c" + std::to_string(id), id});
  setup.Open(cat);
  EXPECT_FALSE(setup.CopyFromEnabled());  // one catalog open
  EXPECT_FALSE(setup.RenameDeleteEnabled());
  EXPECT_FALSE(setup.AddEnabled(""));
  ASSERT_TRUE(setup.Add("last"));
  EXPECT_TRUE(setup.RenameDeleteEnabled());
  EXPECT_FALSE(setup.CategoryEditEnabled());
  EXPECT_FALSE(setup.AddEnabled("more"));
  EXPECT_FALSE(setup.Add("more"));
  EXPECT_EQ(setup.List().size(), 31u);
}

TEST_F(Setup, DeletingAStoredCategoryAsksFirst) {
  TNode* cat = AddCatalog(tree, "Cat");
  Rec(cat).Categories = {{"A", 1}, {"B", 2}, {"C", 3}};
  setup.Open(cat);
  prompts.Answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_FALSE(setup.Delete(1));
  EXPECT_EQ(Shown(prompts),
            std::vector<std::string>{"Warning | " + std::string(DeleteCategoryText) + " | YesNo | Warning"});
  EXPECT_FALSE(setup.Dirty());
  // The entry at the same place is selected afterwards, or the new last one.
  EXPECT_TRUE(setup.Delete(1));
  EXPECT_EQ(setup.Selected, 1);
  EXPECT_EQ(setup.List()[1].Name, "C");
  EXPECT_EQ(setup.Catalog(0).CleanUp.DeletedCategoryIds, (std::set<int>{2}));
  EXPECT_FALSE(setup.Delete(0));  // unscripted: No
  EXPECT_EQ(setup.List().size(), 2u);
}

TEST_F(Setup, OpeningChoosesTheNodesCatalog) {
  TNode* a = AddCatalog(tree, "A");
  TNode* b = AddCatalog(tree, "B");
  Rec(b).Categories = {{"x", 7}};
  Rec(b).FlagNames[1].Assign("Second");
  setup.Open(b);
  EXPECT_EQ(setup.CurrentCatalog(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x=7"}));
  EXPECT_EQ(setup.FlagEdit, (std::array<std::string, 3>{"", "Second", ""}));
  EXPECT_FALSE(setup.RemoveFlagsEnabled(1));
  EXPECT_TRUE(setup.RemoveFlagsEnabled(2));
  EXPECT_TRUE(setup.CopyFromEnabled());
  EXPECT_EQ(setup.CopySources(), (std::vector<int>{0}));
  setup.Open(AddDisk(a, "D"));  // not a catalog node: the first catalog
  EXPECT_EQ(setup.CurrentCatalog(), 0);
}

TEST_F(Setup, CancelAfterSwitchingRestoresEveryCatalog) {
  TNode* a = AddCatalog(tree, "A");
  TNode* b = AddCatalog(tree, "B");
  Rec(a).Categories = {{"Games", 1}};
  Rec(b).Categories = {{"Music", 4}, {"Films", 2}};
  Rec(b).FlagNames[0].Assign("Seen");
  Rec(b).Modified = 1;
  TFileRec* f = AddFile(AddDisk(b, "D"), "f", 1);
  f->CategoryFlags = 2 | UserFlag1;
  std::string before = DescribeTree(a) + DescribeTree(b);

  setup.Open(a);
  setup.Add("Tools");
  setup.ChooseCatalog(1);  // commits A
  EXPECT_EQ(Rec(a).Categories.size(), 2u);
  EXPECT_EQ(Rec(a).Modified, 1);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(setup.Delete(IndexOf("Films")));
  setup.FlagEdit[0] = "Watched";
  setup.FlagEditExit(1);
  setup.ChooseCatalog(0);  // commits B
  setup.ChooseCatalog(1);
  EXPECT_FALSE(setup.Dirty());
  setup.FlagEdit[2] = "New flag";
  setup.FlagEditExit(3);
  ASSERT_TRUE(setup.Dirty());

  prompts.Answers = {TAnswer::No};
  EXPECT_FALSE(setup.Cancel());
  EXPECT_EQ(Shown(*prompts.Last()),
            "Discard Changes? | Do you really want to discard all changes? | YesNo | Question");
  EXPECT_EQ(Rec(b).FlagNames[0].Str(), "Watched");  // still open, nothing restored
  prompts.Answers = {TAnswer::Yes};
  EXPECT_TRUE(setup.Cancel());
  EXPECT_EQ(DescribeTree(a) + DescribeTree(b), before);
  EXPECT_EQ(Rec(a).Modified, 0);
  EXPECT_EQ(Rec(b).Modified, 1);
  EXPECT_EQ(f->CategoryFlags, 2 | UserFlag1);  // nothing cleaned
}

TEST_F(Setup, CancelWithoutPendingEditsAsksNothing) {
  TNode* a = AddCatalog(tree, "A");
  AddCatalog(tree, "B");
  setup.Open(a);
  setup.Add("x");
  setup.ChooseCatalog(1);
  EXPECT_TRUE(setup.Cancel());
  EXPECT_TRUE(prompts.Log.empty());
  EXPECT_TRUE(Rec(a).Categories.empty());
  EXPECT_EQ(Rec(a).Modified, 0);
}

TEST_F(Setup, FlagEditorsAndRemoveAllBoxes) {
  TNode* cat = AddCatalog(tree, "Cat");
  Rec(cat).FlagNames[0].Assign("Backup");
  Rec(cat).FlagNames[1].Assign("Lent");
  setup.Open(cat);

  // Emptying a defined flag asks; No puts the name back.
  setup.FlagEdit[0].clear();
  setup.FlagEditExit(1);
  EXPECT_EQ(prompts.Last()->Text, DeleteFlagText);
  EXPECT_EQ(setup.FlagEdit[0], "Backup");
  EXPECT_FALSE(setup.RemoveFlags[0]);
  // Yes checks its "Remove All" box, which then cannot be unchecked.
  prompts.Answers = {TAnswer::Yes};
  setup.FlagEdit[0].clear();
  setup.FlagEditExit(1);
  EXPECT_TRUE(setup.RemoveFlags[0]);
  setup.RemoveFlagsClick(1, false);
  EXPECT_TRUE(setup.RemoveFlags[0]);

  // Checking a box asks; No leaves it unchecked.
  std::size_t asked = prompts.Log.size();
  setup.RemoveFlagsClick(2, true);
  EXPECT_EQ(prompts.Log.size(), asked + 1);
  EXPECT_EQ(prompts.Last()->Text, RemoveFlagRefsText);
  EXPECT_FALSE(setup.RemoveFlags[1]);
  prompts.Answers = {TAnswer::Yes};
  setup.RemoveFlagsClick(2, true);
  EXPECT_TRUE(setup.RemoveFlags[1]);
  setup.RemoveFlagsClick(2, false);  // a named flag's box can be unchecked again
  EXPECT_FALSE(setup.RemoveFlags[1]);
  // A flag that was not defined at opening has nothing to remove: no question.
  asked = prompts.Log.size();
  setup.RemoveFlagsClick(3, true);
  EXPECT_FALSE(setup.RemoveFlags[2]);
  EXPECT_EQ(prompts.Log.size(), asked);
  // Leaving an editor unchanged leaves the window clean.
  TCategoriesSetup other(tree, prompts);
  other.Open(cat);
  other.FlagEditExit(2);
  EXPECT_FALSE(other.Dirty());
}

TEST_F(Setup, CopyFromAddsMissingNamesUpToTheLimit) {
  TNode* a = AddCatalog(tree, "A");
  TNode* b = AddCatalog(tree, "B");
  TNode* empty = AddCatalog(tree, "Empty");
  Rec(a).Categories = {{"Games", 5}};
  Rec(b).Categories = {{"Tools", 1}, {"Games", 2}, {"Music", 3}};
  setup.Open(a);
  setup.CopyFrom(2);
  EXPECT_EQ(Shown(*prompts.Last()),
            "Information | " + std::string(NoCategoriesToCopyText) + " | Ok | Information");
  EXPECT_FALSE(setup.Dirty());
  setup.CopyFrom(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Games=5", "Music=2", "Tools=1"}));
  EXPECT_TRUE(setup.List()[IndexOf("Tools")].New);
  EXPECT_TRUE(setup.Dirty());
  EXPECT_EQ(prompts.Log.size(), 1u);

  // A list with room for one more takes the first missing name and says so.
  for (int i = 0; i < 27; ++i) setup.Add("z" + std::to_string(i));
  Rec(b).Categories = {{"Books", 1}, {"Films", 2}, {"Tools", 3}};
  setup.CopyFrom(1);
  EXPECT_EQ(setup.List().size(), 31u);
  EXPECT_GE(IndexOf("Books"), 0);
  EXPECT_EQ(IndexOf("Films"), -1);
  EXPECT_EQ(prompts.Last()->Text, NoRoomForCategoriesText);
  (void)empty;
}

// ---- the clean-up, on a catalog read from its file -------------------------------------------

class CleanUp : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatalogTree builder;
    TNode* cat = AddCatalog(builder, "Classified");
    auto* c = static_cast<TCatalogRec*>(cat->Record);
    c->Categories = {{"Five", 5}, {"Two", 2}, {"Nine", 9}};
    c->FlagNames[0].Assign("Backup");
    c->FlagNames[2].Assign("Broken");
    TNode* d1 = AddDisk(cat, "One");
    AddFile(d1, "a", 1)->CategoryFlags = 5 | UserFlag1;
    AddFile(d1, "b", 2)->CategoryFlags = 2;
    TNode* x = AddFolder(d1, "X");
    static_cast<TFolderRec*>(x->Record)->CategoryFlags = 5;
    AddFile(x, "c", 3)->CategoryFlags = 9 | UserFlag3;
    AddFile(x, "d", 4);
    TNode* y = AddFolder(d1, "Y");
    static_cast<TFolderRec*>(y->Record)->CategoryFlags = 2 | UserFlag2;
    TNode* z = AddFolder(y, "Z");
    AddFile(z, "e", 5)->CategoryFlags = 5 | UserFlag1 | UserFlag3;
    TNode* d2 = AddDisk(cat, "Two");
    AddFile(d2, "f", 6)->CategoryFlags = 2 | UserFlag1;
    TNode* w = AddFolder(d2, "W");
    AddFile(w, "g", 7)->CategoryFlags = 9;
    path = dir.File("classified.ctf");
    WriteCatalogFile(cat, path, NoProgress());
    catalog = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
  }

  // Every stored field of a catalog file (DescribeTree), its category bytes passed through f
  // and its first line, the catalog's own, replaced by head.
  static std::string Described(const std::string& file, const std::function<int(int)>& f = {},
                               const std::string& head = {}) {
    TCatalogTree t;
    std::string text = DescribeTree(t.AppendChild(t.Root(), ReadCatalogFile(file)));
    for (std::size_t at = 0; f && (at = text.find(" c", at)) != std::string::npos; ++at) {
      std::size_t end = text.find(' ', at + 1);
      if (end == at + 2 || text.find_first_not_of("0123456789", at + 2) != end) continue;
      text.replace(at + 2, end - at - 2, std::to_string(f(std::stoi(text.substr(at + 2)))));
    }
    return head.empty() ? text : text.replace(0, text.find('\n'), head);
  }
  TNode* Disk(int i) { return catalog->Child(i); }
  TNode* Folder(TNode* parent, const std::string& name) {
    LoadSubfolders(parent);
    for (int i = 0; i < parent->ChildCount(); ++i)
      if (parent->Child(i)->Caption == name) return parent->Child(i);
    return nullptr;
  }
  std::string Saved() {
    std::string again = dir.File("again.ctf");
    WriteCatalogFile(catalog, again, NoProgress());
    return again;
  }

  TTempDir dir;
  std::string path;
  TCatalogTree tree;
  TNode* catalog = nullptr;
  TScriptedPrompts prompts;
};

TEST_F(CleanUp, DeletingACategoryChangesOnlyItsReferences) {
  std::string expected =
      Described(path, [](int v) { return (v & 31) == 5 ? v & ~31 : v; },
                "catalog Classified - cat:Nine=9 cat:Two=2 flag:[Backup] flag:- flag:[Broken]");

  TCategoriesSetup setup(tree, prompts);
  setup.Open(catalog);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(setup.Delete(0));  // "Five", first in name order
  TRecordingProgress progress;
  setup.Ok(progress);
  EXPECT_EQ(progress.Calls,
            (std::vector<std::string>{"status Updating categories and flags, please wait...",
                                      "begin Updating categories and flags...", "end", "status "}));

  // File lists read only for the clean-up and left unchanged went again; the changed ones
  // stay, and only the disk with changes must be written anew.
  auto* one = static_cast<TDiskRec*>(Disk(0)->Record);
  auto* two = static_cast<TDiskRec*>(Disk(1)->Record);
  EXPECT_EQ(one->FilesLoaded, 1);
  EXPECT_EQ(*ContainerInfo(Folder(Disk(0), "X")->Record).FilesLoaded, 1);
  EXPECT_EQ(two->FilesLoaded, 0);
  EXPECT_EQ(*ContainerInfo(Folder(Disk(1), "W")->Record).FilesLoaded, 0);
  EXPECT_EQ(one->Changed, 1);
  EXPECT_EQ(two->Changed, 0);
  EXPECT_EQ(static_cast<TCatalogRec*>(catalog->Record)->Modified, 1);

  EXPECT_EQ(Described(Saved()), expected);
}

TEST_F(CleanUp, WhileASearchRunsTheListsItReadStay) {
  // The search thread may be reading any list that is not loaded: one the clean-up reads
  // must not be freed under it.
  tree.SearchRunning = true;
  TCategoriesSetup setup(tree, prompts);
  setup.Open(catalog);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(setup.Delete(0));
  TRecordingProgress progress;
  setup.Ok(progress);
  tree.SearchRunning = false;
  EXPECT_EQ(static_cast<TDiskRec*>(Disk(1)->Record)->FilesLoaded, 1);
  EXPECT_EQ(*ContainerInfo(Folder(Disk(1), "W")->Record).FilesLoaded, 1);
  EXPECT_EQ(static_cast<TDiskRec*>(Disk(1)->Record)->Changed, 0);
}

TEST_F(CleanUp, RemovedFlagsGoAndRenamedFlagsKeepTheirItems) {
  // The window writes the categories back in its own order: by name.
  std::string expected =
      Described(path, [](int v) { return v & ~UserFlag3; },
                "catalog Classified - cat:Five=5 cat:Nine=9 cat:Two=2 flag:[Kept] flag:- flag:-");

  TCategoriesSetup setup(tree, prompts);
  setup.Open(catalog);
  setup.FlagEdit[0] = "Kept";  // renamed: the items keep flag 1
  setup.FlagEditExit(1);
  prompts.Answers = {TAnswer::Yes};
  setup.FlagEdit[2].clear();
  setup.FlagEditExit(3);
  ASSERT_TRUE(setup.RemoveFlags[2]);
  setup.Ok(NoProgress());
  EXPECT_EQ(Described(Saved()), expected);
}

TEST_F(CleanUp, NothingToCleanLoadsNothing) {
  TCategoriesSetup setup(tree, prompts);
  setup.Open(catalog);
  setup.Add("Extra");
  TRecordingProgress progress;
  setup.Ok(progress);
  EXPECT_TRUE(progress.Calls.empty());
  EXPECT_EQ(static_cast<TDiskRec*>(Disk(0)->Record)->FilesLoaded, 0);
  EXPECT_EQ(static_cast<TDiskRec*>(Disk(0)->Record)->Changed, 0);
  EXPECT_EQ(Folder(Disk(0), "Y")->ChildCount(), 0);  // deeper levels stay in the file
}

TEST_F(CleanUp, ReusingADeletedIdStartsWithoutItems) {
  TCategoriesSetup setup(tree, prompts);
  setup.Open(catalog);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(setup.Delete(0));  // Five (5)
  for (int i = 0; i < 3; ++i) setup.Add("n" + std::to_string(i));  // IDs 1, 3, 4
  setup.Add("Reuse");                                                 // ID 5
  setup.Ok(NoProgress());
  EXPECT_EQ(CategoryLookup(*static_cast<TCatalogRec*>(catalog->Record), "Reuse"), 5);
  LoadFiles(Disk(0));
  EXPECT_EQ(FirstFile(Disk(0)->Record)->CategoryFlags, UserFlag1);  // "a" had 5
}

}  // namespace
}  // namespace tf::test
