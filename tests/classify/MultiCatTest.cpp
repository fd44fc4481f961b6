// Setting categories and flags on many items: the union of names across catalogs, the common
// category, grayed flags, the "* " marks and what applying does to each catalog's items.

#include <gtest/gtest.h>

#include "classify/MultiCat.h"
#include "platform/ScriptedPrompts.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

std::vector<std::string> Texts(const std::vector<TCheckEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(TSetCategories::EntryText(e));
  return out;
}

std::vector<TCheckState> States(const std::vector<TCheckEntry>& entries) {
  std::vector<TCheckState> out;
  for (const auto& e : entries) out.push_back(e.State);
  return out;
}

constexpr auto U = TCheckState::Unchecked;
constexpr auto C = TCheckState::Checked;
constexpr auto G = TCheckState::Grayed;

// Catalog Home: categories Games (1), Tools (2), flags Backup (1) and Lent (3).
// Catalog Work: categories Tools (7), Music (3), flag Lent (2).
class SetCategories : public ::testing::Test {
 protected:
  void SetUp() override {
    home = AddCatalog(tree, "Home");
    work = AddCatalog(tree, "Work");
    Rec(home).Categories = {{"Games", 1}, {"Tools", 2}};
    Rec(home).FlagNames[0].Assign("Backup");
    Rec(home).FlagNames[2].Assign("Lent");
    Rec(work).Categories = {{"Tools", 7}, {"Music", 3}};
    Rec(work).FlagNames[1].Assign("Lent");
    homeDisk = AddDisk(home, "H");
    workDisk = AddDisk(work, "W");
    Rec(home).Modified = 0;
    Rec(work).Modified = 0;
  }
  static TCatalogRec& Rec(TNode* c) { return *static_cast<TCatalogRec*>(c->Record); }
  void Open(std::vector<TItemRec*> items) {
    shown = std::move(items);
    window.Open(shown);
  }
  int EntryOf(const std::string& name) {
    for (std::size_t i = 0; i < window.Categories().size(); ++i)
      if (window.Categories()[i].Name == name) return int(i);
    return -1;
  }
  int FlagOf(const std::string& name) {
    for (std::size_t i = 0; i < window.Flags().size(); ++i)
      if (window.Flags()[i].Name == name) return int(i);
    return -1;
  }

  TCatalogTree tree;
  TScriptedPrompts prompts;
  TNode* home;
  TNode* work;
  TNode* homeDisk;
  TNode* workDisk;
  TSetCategories window;
  std::vector<TItemRec*> shown;
};

TEST_F(SetCategories, NamesOfTwoCatalogsAreJoinedAndMarked) {
  TFileRec* a = AddFile(homeDisk, "a");
  a->CategoryFlags = 2 | UserFlag1;
  TFileRec* b = AddFile(workDisk, "b");
  b->CategoryFlags = 7;
  Open({a, b});
  EXPECT_EQ(Texts(window.Categories()),
            (std::vector<std::string>{"(no category selected)", "* Games", "Tools", "* Music"}));
  EXPECT_EQ(Texts(window.Flags()), (std::vector<std::string>{"* Backup", "Lent"}));
  EXPECT_TRUE(window.NoteVisible());
  // Both are "Tools", by name, though their IDs differ.
  EXPECT_EQ(window.CheckedCategory(), EntryOf("Tools"));
  EXPECT_EQ(States(window.Flags()), (std::vector<TCheckState>{C, U}));
  EXPECT_EQ(window.Heading(), "Changing Categories and Flags for 2 selected items");
}

TEST_F(SetCategories, TheCommonCategory) {
  auto file = [&](TNode* disk, uint8_t byte) {
    TFileRec* f = AddFile(disk, "f");
    f->CategoryFlags = byte;
    return static_cast<TItemRec*>(f);
  };
  struct TCase {
    const char* What;
    std::vector<std::pair<bool, uint8_t>> Items;  // (in Home, byte)
    std::string Checked;                          // "" none
  } cases[] = {
      {"one with A, one without", {{true, 1}, {true, 0}}, ""},
      {"one without, one with A", {{true, 0}, {true, 1}}, ""},
      {"both without", {{true, 0}, {true, 0}}, "(no category selected)"},
      {"both Games", {{true, 1}, {true, 1}}, "Games"},
      {"Games and Tools", {{true, 1}, {true, 2}}, ""},
      {"Tools in both catalogs", {{true, 2}, {false, 7}}, "Tools"},
      {"a dangling ID", {{true, 9}}, "(no category selected)"},
  };
  for (const TCase& c : cases) {
    std::vector<TItemRec*> items;
    for (auto [inHome, byte] : c.Items) items.push_back(file(inHome ? homeDisk : workDisk, byte));
    Open(items);
    int checked = window.CheckedCategory();
    EXPECT_EQ(checked < 0 ? std::string() : window.Categories()[std::size_t(checked)].Name, c.Checked)
        << c.What;
  }
}

TEST_F(SetCategories, FlagsThatDifferAreGrayed) {
  TFileRec* a = AddFile(homeDisk, "a");
  TFileRec* b = AddFile(homeDisk, "b");
  TFileRec* c = AddFile(homeDisk, "c");
  a->CategoryFlags = UserFlag1 | UserFlag3;
  b->CategoryFlags = UserFlag1;
  c->CategoryFlags = UserFlag1 | UserFlag3;
  Open({a, b, c});
  EXPECT_EQ(Texts(window.Flags()), (std::vector<std::string>{"Backup", "Lent"}));
  EXPECT_EQ(States(window.Flags()), (std::vector<TCheckState>{C, G}));
  EXPECT_FALSE(window.NoteVisible());
}

TEST_F(SetCategories, CheckingACategoryUnchecksTheOthers) {
  Open({AddFile(homeDisk, "a")});
  EXPECT_EQ(window.Heading(), "Changing Categories and Flags for 1 selected item");
  window.SetCategoryChecked(EntryOf("Tools"), true);
  window.SetCategoryChecked(EntryOf("Games"), true);
  EXPECT_EQ(States(window.Categories()), (std::vector<TCheckState>{U, C, U}));
  window.SetCategoryChecked(EntryOf("Games"), false);
  EXPECT_EQ(window.CheckedCategory(), -1);
}

TEST_F(SetCategories, AFlagOfOneCatalogIsSetOnlyOnItsItems) {
  Rec(work).FlagNames[1].Reset();
  Rec(work).FlagNames[0].Assign("Other");
  TFileRec* a = AddFile(homeDisk, "a");
  TFileRec* b = AddFile(workDisk, "b");
  Open({a, b});
  int backup = FlagOf("Backup");
  ASSERT_GE(backup, 0);
  EXPECT_TRUE(window.Flags()[std::size_t(backup)].Prefixed);
  EXPECT_TRUE(window.NoteVisible());
  window.SetFlagState(backup, C);
  window.SetFlagState(FlagOf("Other"), G);
  window.SetFlagState(FlagOf("Lent"), G);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(window.Apply(shown, prompts));
  EXPECT_EQ(a->CategoryFlags, UserFlag1);
  EXPECT_EQ(b->CategoryFlags, 0);  // Work's flag 1 is "Other"
}

TEST_F(SetCategories, ACategoryOfOneCatalogClearsTheOthersItems) {
  TFileRec* a = AddFile(homeDisk, "a");
  a->CategoryFlags = 1;
  TFileRec* b = AddFile(workDisk, "b");
  b->CategoryFlags = 3 | UserFlag2;
  Open({a, b});
  window.SetCategoryChecked(EntryOf("Music"), true);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(window.Apply(shown, prompts));
  EXPECT_EQ(a->CategoryFlags, 0);               // Home has no Music
  EXPECT_EQ(b->CategoryFlags, 3 | UserFlag2);  // Music is 3 in Work; Lent was grayed
  window.SetCategoryChecked(EntryOf("Tools"), true);
  window.SetFlagState(FlagOf("Lent"), U);
  window.SetFlagState(FlagOf("Backup"), U);
  prompts.Answers = {TAnswer::Yes};
  window.Apply(shown, prompts);
  EXPECT_EQ(a->CategoryFlags, 2);  // Tools by each catalog's own ID
  EXPECT_EQ(b->CategoryFlags, 7);
  EXPECT_EQ(static_cast<TDiskRec*>(homeDisk->Record)->Changed, 1);
  EXPECT_EQ(Rec(work).Modified, 1);
}

TEST_F(SetCategories, ApplyingToManyAsksFirst) {
  TFileRec* a = AddFile(homeDisk, "a");
  TNode* folder = AddFolder(homeDisk, "F");
  Open({a, folder->Record});
  window.SetCategoryChecked(EntryOf("Games"), true);
  EXPECT_FALSE(window.Apply(shown, prompts));  // unscripted: No
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{"Apply Changes | " + std::string(ApplyChangesText) +
                                                      " | YesNo | Information"});
  EXPECT_EQ(a->CategoryFlags, 0);
  prompts.Answers = {TAnswer::Yes};
  ASSERT_TRUE(window.Apply(shown, prompts));
  EXPECT_EQ(a->CategoryFlags, 1);
  EXPECT_EQ(static_cast<TFolderRec*>(folder->Record)->CategoryFlags, 1);
  // One item: no question.
  Open({a});
  window.SetCategoryChecked(0, true);
  ASSERT_TRUE(window.Apply(shown, prompts));
  EXPECT_EQ(prompts.Log.size(), 2u);
  EXPECT_EQ(a->CategoryFlags, 0);
}

TEST_F(SetCategories, WithoutAChosenCategoryOnlyTheFlagsChange) {
  TFileRec* a = AddFile(homeDisk, "a");
  TFileRec* b = AddFile(homeDisk, "b");
  a->CategoryFlags = 1;
  b->CategoryFlags = 2 | UserFlag3;
  Open({a, b});
  ASSERT_EQ(window.CheckedCategory(), -1);
  window.SetFlagState(FlagOf("Backup"), C);
  prompts.Answers = {TAnswer::Yes};
  window.Apply(shown, prompts);
  EXPECT_EQ(a->CategoryFlags, 1 | UserFlag1);
  EXPECT_EQ(b->CategoryFlags, 2 | UserFlag1 | UserFlag3);
}

TEST_F(SetCategories, TheBackEntryAndOtherKindsAreNotChanged) {
  TNode* folder = AddFolder(homeDisk, "F");
  TFolderRec back;  // a folder record outside any tree, as the ".." row is
  auto backNode = MakeNode("..", &back);
  Open({&back, homeDisk->Record, folder->Record});
  EXPECT_EQ(window.ItemCount(), 2);
  window.SetCategoryChecked(EntryOf("Tools"), true);
  prompts.Answers = {TAnswer::Yes};
  window.Apply(shown, prompts);
  EXPECT_EQ(back.CategoryFlags, 0);
  EXPECT_EQ(static_cast<TFolderRec*>(folder->Record)->CategoryFlags, 2);
  backNode->Record = nullptr;
}

TEST_F(SetCategories, NothingDefinedAnywhere) {
  TNode* bare = AddCatalog(tree, "Bare");
  Open({AddFile(AddDisk(bare, "D"), "x")});
  EXPECT_TRUE(window.NothingDefined());
  EXPECT_FALSE(window.HasCategories());
  EXPECT_FALSE(window.HasFlags());
  Rec(bare).FlagNames[1].Assign("Only flag");
  Open({shown[0]});
  EXPECT_FALSE(window.NothingDefined());
  EXPECT_FALSE(window.HasCategories());
}

}  // namespace
}  // namespace tf::test
