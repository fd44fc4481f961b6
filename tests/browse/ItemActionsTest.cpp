// The item commands without their windows: which item a command acts on, when commands are
// enabled, launching and opening folders over a test drive and a recording shell, deleting
// and renaming disks and catalogs.

#include <gtest/gtest.h>

#include <filesystem>

#include "browse/ItemActions.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Shell.h"
#include "platform/TestDrives.h"
#include "scan/ScriptedMediaPrompt.h"
#include "scan/Utils.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

// Catalog "Cat": disk "Games CD" (GAME with Setup.exe, Readme.txt, DOCS, PACK.ZIP holding
// two entries) and disk "Other"; the medium of "Games CD" can sit in drive E.
struct TSample {
  test::TTempDir dir;
  TCatalogTree tree;
  TNode* cat = test::AddCatalog(tree, "Cat");
  TNode* disk = test::AddDisk(cat, "Games CD");
  TNode* other = test::AddDisk(cat, "Other");
  TNode* game = test::AddFolder(disk, "GAME");
  TNode* docs = test::AddFolder(game, "DOCS");
  TNode* pack = test::AddFolder(game, "PACK.ZIP", 300);
  TFileRec* rootFile = test::AddFile(disk, "Install.bat", 10);
  TFileRec* setup = test::AddFile(game, "Setup.exe", 100);
  TFileRec* readme = test::AddFile(game, "Readme.txt", 15);
  TFileRec* entry = nullptr;

  TTestDrives drives;
  TScriptedPrompts prompts;
  TScriptedMediaPrompt media;
  TMediaDetector detector{drives, prompts, media};
  TTestShell shell;
  TShellCommands with{drives, detector, shell, prompts};

  TSample() {
    SetFlag(pack->Record, InArchive, true);
    entry = test::AddFile(pack, "DOC\\MANUAL.TXT", 50);
    test::AddFile(pack, "PLAY.EXE", 70);
    auto* d = static_cast<TDiskRec*>(disk->Record);
    d->MediaType = MediaCdRom;
    d->VolumeLabel = "Games";
    d->SerialNumber = 0x1234;
    d->TotalClusters = 1000;
    // The medium: the same tree, in capitals as a CD holds it.
    std::filesystem::create_directories(dir.Path() / "GAME" / "DOCS");
    test::WriteBytes(dir.File("GAME/SETUP.EXE"), "MZ");
    test::WriteBytes(dir.File("GAME/Readme.txt"), "read me");
    test::WriteBytes(dir.File("GAME/PACK.ZIP"), "PK");
    test::WriteBytes(dir.File("INSTALL.BAT"), "@echo off");
  }
  void Insert() {
    TTestDrive& e = drives.Add('E', TDriveType::CdRom);
    e.Volume.Label = "Games";
    e.Volume.Serial = 0x1234;
    e.Volume.FileSystem = "CDFS";
    e.Geometry = {1, 2048, 0, 1000};
    e.Root = dir.Path().string();
  }
  std::string Host(const std::string& rel) const { return dir.File(rel); }
};

// A list showing a node, with the ".." entry.
struct TShown {
  TItemList list;
  TNode* node;
  explicit TShown(TNode* n) : node(n) { list.Load(n, true); }
  TCommandContext Context(const TItemRec* focused, bool treeActive = false) const {
    TCommandContext c;
    c.Selected = node;
    c.List = &list;
    c.FocusedRow = focused ? list.RowOf(focused) : -1;
    c.TreeActive = treeActive;
    return c;
  }
};

// ---- targets

TEST(ActionTarget, TreeCommandsActOnTheSelectedNode) {
  TSample s;
  TShown shown(s.game);
  TActionTarget t = ActionTarget(TCommandSource::TreeMenu, shown.Context(s.setup));
  EXPECT_TRUE(t.Found);
  EXPECT_TRUE(t.FromTree);
  EXPECT_EQ(t.Node, s.game);
  EXPECT_EQ(t.File, nullptr);
  // Nothing selected: no target, whatever the list holds.
  TCommandContext none = shown.Context(s.setup);
  none.Selected = nullptr;
  EXPECT_FALSE(ActionTarget(TCommandSource::TreeMenu, none).Found);
}

TEST(ActionTarget, ListCommandsActOnTheFocusedRow) {
  TSample s;
  TShown shown(s.game);
  TActionTarget file = ActionTarget(TCommandSource::ListMenu, shown.Context(s.setup));
  EXPECT_TRUE(file.Found);
  EXPECT_FALSE(file.FromTree);
  EXPECT_EQ(file.Node, s.game);
  EXPECT_EQ(file.File, s.setup);
  EXPECT_EQ(file.Record(), s.setup);

  TActionTarget folder = ActionTarget(TCommandSource::ListMenu, shown.Context(s.docs->Record));
  EXPECT_EQ(folder.Node, s.docs);
  EXPECT_EQ(folder.File, nullptr);

  TActionTarget back = ActionTarget(TCommandSource::ListMenu, shown.Context(shown.list.BackEntry()));
  EXPECT_TRUE(back.Found);
  EXPECT_EQ(back.Node, s.disk);  // ".." stands for the parent

  // Other senders act as list commands.
  EXPECT_EQ(ActionTarget(TCommandSource::Other, shown.Context(s.setup)).File, s.setup);
}

TEST(ActionTarget, DiskRowsOfACatalogAndRowsWithoutANode) {
  TSample s;
  TShown shown(s.cat);
  TActionTarget t = ActionTarget(TCommandSource::ListMenu, shown.Context(s.other->Record));
  EXPECT_EQ(t.Node, s.other);
  // A row whose record is no child of the shown node (the list is stale): no target.
  TCommandContext stale = shown.Context(s.other->Record);
  stale.Selected = s.game;
  EXPECT_FALSE(ActionTarget(TCommandSource::ListMenu, stale).Found);
  // A file row has no node of its own.
  EXPECT_EQ(RowNode(s.game, s.setup), nullptr);
}

TEST(ActionTarget, EditMenuAndToolbarFollowTheActiveControl) {
  TSample s;
  TShown shown(s.game);
  for (TCommandSource source : {TCommandSource::EditMenu, TCommandSource::Toolbar}) {
    EXPECT_TRUE(ActionTarget(source, shown.Context(s.setup, true)).FromTree);
    EXPECT_TRUE(ActionTarget(source, shown.Context(nullptr, false)).FromTree);  // no focused row
    TActionTarget list = ActionTarget(source, shown.Context(s.setup, false));
    EXPECT_FALSE(list.FromTree);
    EXPECT_EQ(list.File, s.setup);
  }
}

// ---- command states

TEST(ItemCommandState, ExplorerAndLaunchByKindOfItem) {
  TSample s;
  TShown shown(s.game);
  auto state = [&](TCommandSource source, const TItemRec* row) {
    return ItemCommandState(ActionTarget(source, shown.Context(row)), {}, shown.list.BackEntry());
  };
  TItemCommandState file = state(TCommandSource::ListMenu, s.setup);
  EXPECT_TRUE(file.OpenInExplorer);
  EXPECT_TRUE(file.LaunchFile);
  TItemCommandState folder = state(TCommandSource::ListMenu, s.docs->Record);
  EXPECT_TRUE(folder.OpenInExplorer);
  EXPECT_FALSE(folder.LaunchFile);
  TItemCommandState archive = state(TCommandSource::ListMenu, s.pack->Record);
  EXPECT_TRUE(archive.OpenInExplorer);
  EXPECT_TRUE(archive.LaunchFile);  // the archive file itself

  TShown inside(s.pack);
  TItemCommandState entry = ItemCommandState(
      ActionTarget(TCommandSource::ListMenu, inside.Context(s.entry)), {}, inside.list.BackEntry());
  EXPECT_FALSE(entry.LaunchFile);
  EXPECT_FALSE(entry.OpenInExplorer);

  TShown catalog(s.cat);
  TItemCommandState cat = ItemCommandState(
      ActionTarget(TCommandSource::TreeMenu, catalog.Context(nullptr)), {}, nullptr);
  EXPECT_FALSE(cat.OpenInExplorer);
  EXPECT_FALSE(cat.LaunchFile);
  EXPECT_FALSE(cat.AddToUserList);
  TItemCommandState disk = ItemCommandState(
      ActionTarget(TCommandSource::ListMenu, catalog.Context(s.disk->Record)), {}, nullptr);
  EXPECT_TRUE(disk.OpenInExplorer);
  EXPECT_FALSE(disk.LaunchFile);
}

TEST(ItemCommandState, UserListAndCategoryOverTheSelectedRows) {
  TSample s;
  TShown shown(s.game);
  TActionTarget t = ActionTarget(TCommandSource::ListMenu, shown.Context(s.setup));
  s.setup->UserListIndex = 0;  // already in the user list
  std::vector<TItemRec*> rows = {s.setup, s.readme};
  EXPECT_TRUE(ItemCommandState(t, rows, shown.list.BackEntry()).AddToUserList);
  s.readme->UserListIndex = 1;
  EXPECT_FALSE(ItemCommandState(t, rows, shown.list.BackEntry()).AddToUserList);
  // ".." counts for neither command.
  std::vector<TItemRec*> back = {shown.list.BackEntry()};
  TItemCommandState onlyBack = ItemCommandState(t, back, shown.list.BackEntry());
  EXPECT_FALSE(onlyBack.AddToUserList);
  EXPECT_FALSE(onlyBack.SetCategory);
  // A tree target: its own record.
  TItemCommandState tree = ItemCommandState(
      ActionTarget(TCommandSource::TreeMenu, shown.Context(nullptr)), rows, nullptr);
  EXPECT_TRUE(tree.AddToUserList);
  EXPECT_TRUE(tree.SetCategory);
}

TEST(ItemCommandState, ShellCommandsTakeTheFocusedRowOnlyFromAnActiveList) {
  TSample s;
  TShown shown(s.game);
  EXPECT_EQ(ShellCommandRecord(shown.Context(s.setup, false)), s.setup);
  EXPECT_EQ(ShellCommandRecord(shown.Context(s.setup, true)), s.game->Record);
  EXPECT_EQ(ShellCommandRecord(shown.Context(nullptr, false)), s.game->Record);
}

// ---- launching

TEST(Launch, PathsOfFilesAndArchives) {
  TSample s;
  auto root = LaunchTargetOf(s.rootFile);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Path, "\\Install.bat");
  EXPECT_EQ(root->Folder, "\\");
  EXPECT_EQ(root->Extension, "BAT");
  auto setup = LaunchTargetOf(s.setup);
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->Path, "\\GAME\\Setup.exe");
  EXPECT_EQ(setup->Folder, "\\GAME");
  auto archive = LaunchTargetOf(s.pack->Record);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->Path, "\\GAME\\PACK.ZIP");
  EXPECT_EQ(archive->Folder, "\\GAME");
  EXPECT_EQ(archive->Extension, "ZIP");
  EXPECT_FALSE(LaunchTargetOf(s.entry));
  EXPECT_FALSE(LaunchTargetOf(s.docs->Record));
  EXPECT_FALSE(LaunchTargetOf(s.disk->Record));
  EXPECT_FALSE(LaunchTargetOf(s.cat->Record));
}

TEST(Launch, OpensTheFileOnTheMediumInItsFolder) {
  TSample s;
  s.Insert();
  // Catalogued as Setup.exe, on the medium as SETUP.EXE: found without regard to case.
  EXPECT_TRUE(LaunchItem(s.setup, s.with));
  ASSERT_EQ(s.shell.Calls.size(), 1u);
  EXPECT_FALSE(s.shell.Calls[0].Folder);
  EXPECT_EQ(s.shell.Calls[0].Path, s.Host("GAME/SETUP.EXE"));
  EXPECT_EQ(s.shell.Calls[0].WorkingFolder, s.Host("GAME"));
  EXPECT_TRUE(s.prompts.Log.empty());
  EXPECT_TRUE(s.media.Asked.empty());

  // An archive folder launches the archive file.
  EXPECT_TRUE(LaunchItem(s.pack->Record, s.with));
  EXPECT_EQ(s.shell.Calls.back().Path, s.Host("GAME/PACK.ZIP"));
  // A file inside an archive never reaches the shell.
  EXPECT_FALSE(LaunchItem(s.entry, s.with));
  EXPECT_EQ(s.shell.Calls.size(), 2u);
}

TEST(Launch, AsksForTheMediumAndStopsWhenItDoesNotCome) {
  TSample s;
  s.Insert();
  s.drives.SetReady('E', false);
  s.media.Answers = {TMediaAnswer::Cancel};
  EXPECT_FALSE(LaunchItem(s.setup, s.with));
  ASSERT_EQ(s.media.Asked.size(), 1u);
  EXPECT_EQ(s.media.Asked[0].DiskName, "Games CD");
  EXPECT_FALSE(s.media.Asked[0].MayChooseManually);
  EXPECT_TRUE(s.shell.Calls.empty());

  s.media.Answers = {TMediaAnswer::Ok};
  s.media.BeforeAnswer = [&] { s.drives.SetReady('E', true); };
  EXPECT_TRUE(LaunchItem(s.setup, s.with));
  EXPECT_EQ(s.shell.Calls.size(), 1u);
}

TEST(Launch, AFileGoneFromTheMediumIsReported) {
  TSample s;
  s.Insert();
  std::filesystem::remove(s.Host("GAME/Readme.txt"));
  EXPECT_FALSE(LaunchItem(s.readme, s.with));
  EXPECT_TRUE(s.shell.Calls.empty());
  ASSERT_NE(s.prompts.Last(), nullptr);
  EXPECT_EQ(s.prompts.Last()->Title, "File not found");
  EXPECT_EQ(s.prompts.Last()->Text,
            "Sorry, selected file does not exist any more on the media.\r"
            "Please update data for this media.");
  EXPECT_EQ(s.prompts.Last()->Icon, TIcon::Information);
}

TEST(Launch, ShellFailuresAreReportedInTheirWords) {
  struct TCase {
    TShellResult Result;
    const char* Title;
    const char* Text;
  } cases[] = {
      {TShellResult::OutOfMemory, "Out of Memory",
       "There is not enough memory or resources to execute program."},
      {TShellResult::NotFound, "File not found",
       "Sorry, selected file does not exist any more on the media.\rPlease update data for this media."},
      {TShellResult::AccessDenied, "Access Denied", "Access to this file was denied by operating system."},
      {TShellResult::SharingViolation, "Access Denied",
       "Sharing error occoured on this file.\rPlease close first all programs currently using this file."},
      {TShellResult::NoAssociation, "Can't launch file",
       "There is no program associated with this file type (TXT)."},
  };
  for (const TCase& c : cases) {
    TSample s;
    s.Insert();
    s.shell.Result = c.Result;
    EXPECT_FALSE(LaunchItem(s.readme, s.with));
    ASSERT_EQ(s.prompts.Log.size(), 1u) << c.Title;
    EXPECT_EQ(s.prompts.Log[0].Title, c.Title);
    EXPECT_EQ(s.prompts.Log[0].Text, c.Text);
  }
  // Other failures are not reported.
  TSample s;
  s.Insert();
  s.shell.Result = TShellResult::Failed;
  EXPECT_FALSE(LaunchItem(s.readme, s.with));
  EXPECT_TRUE(s.prompts.Log.empty());
}

// ---- opening folders

TEST(OpenInExplorer, FolderOfEachKindOfItem) {
  TSample s;
  TItemList list;
  list.Load(s.game, true);
  EXPECT_EQ(ExplorerFolderOf(s.setup, s.game, list.BackEntry()), s.game);
  EXPECT_EQ(ExplorerFolderOf(s.docs->Record, s.game, list.BackEntry()), s.docs);
  EXPECT_EQ(ExplorerFolderOf(s.entry, s.game, list.BackEntry()), s.game);
  EXPECT_EQ(ExplorerFolderOf(s.pack->Record, s.game, list.BackEntry()), s.game);
  EXPECT_EQ(ExplorerFolderOf(list.BackEntry(), s.game, list.BackEntry()), s.disk);
  EXPECT_EQ(ExplorerFolderOf(s.disk->Record, s.game, list.BackEntry()), s.disk);
  EXPECT_EQ(ExplorerFolderOf(s.cat->Record, s.game, list.BackEntry()), nullptr);
}

TEST(OpenInExplorer, OpensTheFolderOnTheMedium) {
  TSample s;
  s.Insert();
  // An entry inside an archive: the folder that holds the archive.
  EXPECT_TRUE(OpenItemFolder(s.entry, s.pack, nullptr, s.with));
  ASSERT_EQ(s.shell.Calls.size(), 1u);
  EXPECT_TRUE(s.shell.Calls[0].Folder);
  EXPECT_EQ(s.shell.Calls[0].Path, s.Host("GAME"));
  EXPECT_TRUE(OpenItemFolder(s.docs->Record, s.game, nullptr, s.with));
  EXPECT_EQ(s.shell.Calls.back().Path, s.Host("GAME/DOCS"));
  EXPECT_TRUE(s.prompts.Log.empty());
}

TEST(OpenInExplorer, AFolderGoneIsReportedButADiskRootIsNotTested) {
  TSample s;
  s.Insert();
  std::filesystem::remove_all(s.Host("GAME/DOCS"));
  EXPECT_FALSE(OpenItemFolder(s.docs->Record, s.game, nullptr, s.with));
  EXPECT_TRUE(s.shell.Calls.empty());
  ASSERT_EQ(s.prompts.Log.size(), 1u);
  EXPECT_EQ(s.prompts.Log[0].Title, "Directory not found");
  EXPECT_EQ(s.prompts.Log[0].Text,
            "Sorry, this directory does not exist any more on the media.\r"
            "Please update data for this media.");

  // The root: "E:\" is opened as it is, even where nothing can be seen of it.
  s.drives.Find('E')->Root = s.Host("not-there");
  EXPECT_TRUE(OpenItemFolder(s.disk->Record, s.cat, nullptr, s.with));
  ASSERT_EQ(s.shell.Calls.size(), 1u);
  EXPECT_EQ(s.shell.Calls[0].Path, s.Host("not-there"));
  EXPECT_EQ(s.prompts.Log.size(), 1u);
}

// ---- deleting

TEST(DeleteDisk, RefusedWhileASearchRuns) {
  TSample s;
  s.tree.SearchRunning = true;
  EXPECT_FALSE(ConfirmDeleteDisk(s.disk, s.prompts));
  ASSERT_EQ(s.prompts.Log.size(), 1u);
  EXPECT_EQ(s.prompts.Log[0].Title, "Can't remove disk");
  EXPECT_EQ(s.prompts.Log[0].Text,
            "Sorry, removing disk is not allowed while search is in progress.\r"
            "Please cancel the search or wait for search to finish.");
  EXPECT_EQ(s.cat->ChildCount(), 2);
}

TEST(DeleteDisk, OnlyOkGoesOnAndTheCatalogIsModified) {
  TSample s;
  TRecordVector userList(TListKind::UserList);
  s.tree.SetList(TListKind::UserList, &userList);
  userList.Add(s.setup);
  userList.Add(s.other->Record);

  s.prompts.Answers = {TAnswer::Cancel};
  EXPECT_FALSE(ConfirmDeleteDisk(s.disk, s.prompts));
  EXPECT_EQ(s.prompts.Log[0].Title, "Delete disk");
  EXPECT_EQ(s.prompts.Log[0].Text,
            "Please confirm removing all data for disk \"Games CD\" from the catalog.");
  EXPECT_EQ(s.prompts.Log[0].Buttons, TButtons::OkCancel);
  EXPECT_EQ(s.prompts.Log[0].Icon, TIcon::Warning);

  s.prompts.Answers = {TAnswer::Ok};
  ASSERT_TRUE(ConfirmDeleteDisk(s.disk, s.prompts));
  DeleteDisk(s.disk);
  ASSERT_EQ(s.cat->ChildCount(), 1);
  EXPECT_EQ(s.cat->Child(0), s.other);
  EXPECT_TRUE(static_cast<TCatalogRec*>(s.cat->Record)->Modified);
  ASSERT_EQ(userList.Count(), 1);  // the deleted disk's file left the user list
  EXPECT_EQ(userList.At(0), s.other->Record);
  EXPECT_EQ(test::CheckTree(s.tree), "");
  s.tree.SetList(TListKind::UserList, nullptr);
}

TEST(CloseCatalog, AsksFirst) {
  TScriptedPrompts prompts;
  prompts.Answers = {TAnswer::Cancel, TAnswer::Ok};
  EXPECT_FALSE(ConfirmCloseCatalog(prompts));
  EXPECT_TRUE(ConfirmCloseCatalog(prompts));
  EXPECT_EQ(prompts.Log[0].Title, "Confirm closing");
  EXPECT_EQ(prompts.Log[0].Text, "Would you really like to close selected catalog?");
  EXPECT_EQ(prompts.Log[0].Icon, TIcon::Question);
}

// ---- renaming

TEST(Rename, DiskNamesStayUniqueInTheirCatalog) {
  TSample s;
  EXPECT_TRUE(RenameNode(s.other, "Games CD"));
  EXPECT_EQ(s.other->Caption, "Games CD (2)");
  EXPECT_TRUE(static_cast<TDiskRec*>(s.other->Record)->Changed);
  EXPECT_TRUE(static_cast<TCatalogRec*>(s.cat->Record)->Modified);
  // Its own name does not count as taken.
  static_cast<TCatalogRec*>(s.cat->Record)->Modified = 0;
  EXPECT_FALSE(RenameNode(s.other, "Games CD (2)"));
  EXPECT_FALSE(static_cast<TCatalogRec*>(s.cat->Record)->Modified);
  // Names compare exactly.
  EXPECT_TRUE(RenameNode(s.other, "games cd"));
  EXPECT_EQ(s.other->Caption, "games cd");
}

TEST(Rename, EmptyTextKeepsTheNameAndOnlyDisksAndCatalogsTakeOne) {
  TSample s;
  EXPECT_FALSE(RenameNode(s.cat, ""));
  EXPECT_EQ(s.cat->Caption, "Cat");
  EXPECT_FALSE(static_cast<TCatalogRec*>(s.cat->Record)->Modified);
  EXPECT_TRUE(RenameNode(s.cat, "Games"));
  EXPECT_EQ(s.cat->Caption, "Games");
  EXPECT_TRUE(static_cast<TCatalogRec*>(s.cat->Record)->Modified);
  EXPECT_FALSE(CanRename(s.game));
  EXPECT_FALSE(RenameNode(s.game, "New"));
  EXPECT_EQ(s.game->Caption, "GAME");
  // A long name is cut, never inside a character.
  std::string longName(254, 'x');
  longName += "\xC3\xA9\xC3\xA9";
  EXPECT_TRUE(RenameNode(s.other, longName));
  EXPECT_EQ(s.other->Caption, std::string(254, 'x'));
}

TEST(Rename, CatalogMenuEntry) {
  TSample s;
  TShown catalog(s.cat);
  TCommandContext c = catalog.Context(s.other->Record, true);
  TRenameEntryState tree = RenameEntryState(c, 1);
  EXPECT_TRUE(tree.Catalog);
  EXPECT_TRUE(tree.Enabled);
  EXPECT_EQ(MenuRenamePlan(c).Kind, TRenamePlan::TreeNode);
  EXPECT_EQ(MenuRenamePlan(c).Node, s.cat);

  // The list of disks is active: its focused disk is edited in place.
  c.TreeActive = false;
  TRenameEntryState list = RenameEntryState(c, 1);
  EXPECT_FALSE(list.Catalog);
  EXPECT_TRUE(list.Enabled);
  EXPECT_EQ(MenuRenamePlan(c).Kind, TRenamePlan::ListRow);
  c.FocusedRow = -1;
  EXPECT_FALSE(RenameEntryState(c, 1).Enabled);  // a catalog has no disk above it
  EXPECT_EQ(MenuRenamePlan(c).Kind, TRenamePlan::Nothing);

  // Deep in a disk: the disk above is selected and edited.
  TShown folder(s.docs);
  TRenamePlan plan = MenuRenamePlan(folder.Context(nullptr, true));
  EXPECT_EQ(plan.Kind, TRenamePlan::TreeNode);
  EXPECT_EQ(plan.Node, s.disk);
  EXPECT_TRUE(RenameEntryState(folder.Context(nullptr, true), 1).Enabled);
}

// ---- the item list

TEST(ItemList, RemoveTakesOneRowOut) {
  TSample s;
  TItemList list;
  list.Load(s.cat, true);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.Remove(s.disk->Record));
  EXPECT_FALSE(list.Remove(s.disk->Record));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0), s.other->Record);
}

}  // namespace
}  // namespace tf
