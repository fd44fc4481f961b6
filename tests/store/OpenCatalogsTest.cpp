// Opening, saving and closing catalogs: the commands, their questions and their messages.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "StoreFixtures.h"
#include "platform/ScriptedPrompts.h"
#include "store/CatalogFiles.h"
#include "store/OpenCatalogs.h"

namespace tf::test {
namespace {

struct THost : TOpenCatalogsHost {
  int RecentChanged = 0, AutoloadChanged = 0, Updates = 0;
  std::vector<std::string> Splash;
  void BeginUpdate() override { ++Updates; }
  void EndUpdate() override { --Updates; }
  void RecentFilesChanged() override { ++RecentChanged; }
  void AutoloadListChanged() override { ++AutoloadChanged; }
  void SplashText(const std::string& t) override { Splash.push_back(t); }
};

class OpenCatalogs : public ::testing::Test {
 protected:
  std::string MakeCatalog(const std::string& file, const std::string& name) {
    TCatalogTree t;
    TNode* c = AddCatalog(t, name);
    AddFile(AddDisk(c, "Disk"), "file.txt", 10);
    std::string path = dir.File(file);
    WriteCatalogFile(c, path, NoProgress());
    return path;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> names;
    for (int i = 0; i < tree.CatalogCount(); ++i) names.push_back(tree.Catalog(i)->Caption);
    return names;
  }
  void Modify(TNode* cat) { SetCatalogModified(cat, true); }
  TTempDir dir;
  TCatalogTree tree;
  TScriptedPrompts prompts;
  THost host;
  TOpenCatalogs cats{tree, prompts, NoProgress(), &host};
};

TEST_F(OpenCatalogs, NewTakesTheFirstFreeNameExactly) {
  TNode* c1 = cats.NewCatalog();
  TNode* c2 = cats.NewCatalog();
  TNode* c3 = cats.NewCatalog();
  EXPECT_EQ(c1->Caption, "Catalog1");
  EXPECT_EQ(c3->Caption, "Catalog3");
  c2->Caption = "catalog2";
  EXPECT_EQ(cats.NewCatalog()->Caption, "Catalog2");  // catalog2 does not block it
  EXPECT_EQ(tree.Selected(), tree.Catalog(3));
  auto* rec = static_cast<TCatalogRec*>(c1->Record);
  EXPECT_EQ(rec->Modified, 0);
  EXPECT_FALSE(HasFlag(rec, SearchScope));
  // Unchanged, it closes without a question.
  EXPECT_EQ(cats.CloseCatalog(c1, true), TAnswer::Yes);
  EXPECT_TRUE(prompts.Log.empty());
}

TEST_F(OpenCatalogs, AlreadyOpenFilesAreSkipped) {
  std::string a = MakeCatalog("a.ctf", "A");
  std::string b = MakeCatalog("b.ctf", "B");
  std::string c = MakeCatalog("c.ctf", "C");
  std::vector<std::string> first{a};
  cats.OpenCatalogs(first, TLoadKind::Interactive);
  // The same file by another spelling, in a single interactive load: said so.
  std::filesystem::create_directory(dir.File("sub"));
  cats.OpenRecentFile(dir.File("sub/../a.ctf"));
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{"Catalog is opened | Catalog file \"" +
                                                      dir.File("sub/../a.ctf") +
                                                      "\" is already opened. | Ok | Information"});
  // Three chosen in the Open dialog, one of them open: the others open without a message.
  prompts.OpenChoices.push_back(std::vector<std::string>{b, a, c});
  cats.OpenCatalogsCommand();
  EXPECT_EQ(prompts.Log.size(), 2u);  // the dialog only
  EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(tree.Selected(), tree.Catalog(2));
  EXPECT_EQ(host.Updates, 0);
}

TEST_F(OpenCatalogs, NamesDifferingInCaseAreDifferentCatalogs) {
  std::string lower = MakeCatalog("a.ctf", "lower");
  std::string upper = MakeCatalog("A.ctf", "upper");
  std::vector<std::string> both{lower, upper};
  cats.OpenCatalogs(both, TLoadKind::CommandLine);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"lower", "upper"}));
}

TEST_F(OpenCatalogs, RecentFilesKeepFourMostRecentFirst) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) paths.push_back(MakeCatalog("r" + std::to_string(i) + ".ctf", "R"));
  for (auto& p : paths) cats.OpenRecentFile(p);
  EXPECT_EQ(cats.RecentFiles, (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
  // A recent file that fails to open leaves the list.
  std::filesystem::remove(paths[2]);
  cats.CloseCatalog(tree.Catalog(2), false);
  cats.OpenRecentFile(paths[2]);
  EXPECT_EQ(cats.RecentFiles, (std::vector<std::string>{paths[4], paths[3], paths[1]}));
  EXPECT_EQ(Shown(*prompts.Last()),
            "Load error | Can't open catalog file " + paths[2] + ".\rThis file does not exist. | Ok | Error");
}

TEST_F(OpenCatalogs, DamagedFileIsReportedAndSkipped) {
  std::string good = MakeCatalog("good.ctf", "Good");
  std::string bad = dir.File("bad.ctf");
  WriteBytes(bad, "not a catalog at all");
  std::vector<std::string> list{bad, good};
  cats.OpenCatalogs(list, TLoadKind::CommandLine);
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{"Catalog error | " + bad +
                                                      "\n\rThis is not a valid catalog file! | Ok | Error"});
  EXPECT_EQ(Captions(), std::vector<std::string>{"Good"});
  EXPECT_EQ(list, std::vector<std::string>{good});  // dropped from the list being loaded
}

TEST_F(OpenCatalogs, AutoloadDropsMissingEntriesAndGoesOn) {
  std::string one = MakeCatalog("one.ctf", "One");
  std::string three = MakeCatalog("three.ctf", "Three");
  std::vector<std::string> autoload{one, dir.File("two.ctf"), three};
  cats.OpenAtStartup({}, true, autoload);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"One", "Three"}));
  EXPECT_EQ(autoload, (std::vector<std::string>{one, three}));
  EXPECT_EQ(host.AutoloadChanged, 1);
  ASSERT_EQ(prompts.Texts().size(), 1u);
  EXPECT_NE(prompts.Texts()[0].find("This file does not exist."), std::string::npos);
  EXPECT_EQ(host.Splash, (std::vector<std::string>{"Autoloading catalogs...", "Done."}));
  EXPECT_TRUE(cats.RecentFiles.empty());  // only interactive loads add recent files
}

TEST_F(OpenCatalogs, CommandLineOpensAndAutoloadIsSkipped) {
  std::string arg = MakeCatalog("arg.ctf", "Arg");
  std::string auto1 = MakeCatalog("auto.ctf", "Auto");
  std::vector<std::string> autoload{auto1};
  cats.OpenAtStartup({arg}, true, autoload);
  EXPECT_EQ(Captions(), std::vector<std::string>{"Arg"});
  EXPECT_EQ(host.Splash, (std::vector<std::string>{"Opening specified catalogs...", "Done."}));
  // When none of the arguments opens, auto-loading runs.
  cats.CloseAllCatalogs(false);
  cats.OpenAtStartup({dir.File("gone.ctf")}, true, autoload);
  EXPECT_EQ(Captions(), std::vector<std::string>{"Auto"});
}

TEST_F(OpenCatalogs, SaveOnlyWhenModifiedSaveAsAlways) {
  std::string a = MakeCatalog("a.ctf", "A");
  cats.OpenRecentFile(a);
  TNode* cat = tree.Catalog(0);
  std::string before = ReadBytes(a);
  EXPECT_EQ(cats.SaveCatalog(cat, false), TOpenCatalogs::TSaveResult::NotNeeded);
  EXPECT_TRUE(prompts.Log.empty());
  std::string copy = dir.File("copy.ctf");
  prompts.SaveChoices.push_back(copy);
  EXPECT_EQ(cats.SaveCatalog(cat, true), TOpenCatalogs::TSaveResult::Saved);
  EXPECT_EQ(Shown(prompts.Log[0]), "save: Save Catalog \"A\" As ... | " + a);  // at its file
  EXPECT_EQ(ReadBytes(copy), before);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->FileName, copy);
}

TEST_F(OpenCatalogs, SaveAsOntoAnotherOpenCatalogAsksAgain) {
  std::string a = MakeCatalog("a.ctf", "A");
  std::string b = MakeCatalog("b.ctf", "B");
  std::vector<std::string> both{a, b};
  cats.OpenCatalogs(both, TLoadKind::CommandLine);
  std::string bBytes = ReadBytes(b);
  prompts.SaveChoices.push_back(b);
  prompts.SaveChoices.push_back(dir.File("c.ctf"));
  EXPECT_EQ(cats.SaveCatalog(tree.Catalog(0), true), TOpenCatalogs::TSaveResult::Saved);
  ASSERT_EQ(prompts.Log.size(), 3u);
  EXPECT_EQ(Shown(prompts.Log[1]),
            "File create error | This file already exists and is in use.\rEnter new file name or "
            "close this file in other applications. | Ok | Warning");
  EXPECT_EQ(prompts.Log[2].Kind, TPromptRecord::Save);
  EXPECT_EQ(ReadBytes(b), bBytes);
}

TEST_F(OpenCatalogs, CheckingTheChosenFileNeverHarmsIt) {
  TNode* cat = cats.NewCatalog();
  Modify(cat);
  // An existing file that is not open: the check must not truncate or delete it, and the
  // save then replaces it whole.
  std::string other = dir.File("other.ctf");
  WriteBytes(other, "precious");
  prompts.SaveChoices.push_back(dir.File("missing-folder/x.ctf"));
  prompts.SaveChoices.push_back(std::nullopt);
  EXPECT_EQ(cats.SaveCatalog(cat, false), TOpenCatalogs::TSaveResult::Cancelled);
  EXPECT_EQ(prompts.Log[1].Text,
            "Can not create this file for writing.\rPlease enter a valid file name and path, on "
            "write-enabled device.");
  EXPECT_EQ(ReadBytes(other), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);  // no probe file left behind
}

TEST_F(OpenCatalogs, CloseModifiedAnsweredYesThenCancelledDialogClosesUnsaved) {
  TNode* cat = cats.NewCatalog();
  Modify(cat);
  prompts.Answers.push_back(TAnswer::Yes);
  prompts.SaveChoices.push_back(std::nullopt);
  EXPECT_EQ(cats.CloseCatalog(cat, true), TAnswer::Yes);
  EXPECT_EQ(tree.CatalogCount(), 0);
  EXPECT_EQ(Shown(prompts.Log[0]),
            "Confirm | Save changes to catalog \"Catalog1\" ? | YesNoCancel | Question");
}

TEST_F(OpenCatalogs, FailedSaveOnCloseKeepsTheCatalog) {
  std::string a = MakeCatalog("a.ctf", "A");
  cats.OpenRecentFile(a);
  TNode* cat = tree.Catalog(0);
  Modify(cat);
  // The folder vanishes: the save cannot make its file.
  static_cast<TCatalogRec*>(cat->Record)->FileName = dir.File("gone/a.ctf");
  prompts.Answers.push_back(TAnswer::Yes);
  EXPECT_EQ(cats.CloseCatalog(cat, true), TAnswer::Cancel);
  EXPECT_EQ(tree.CatalogCount(), 1);
  EXPECT_EQ(prompts.Log[1].Title, "Save error");
  // At exit likewise: the exit stops.
  prompts.Answers.push_back(TAnswer::Yes);
  EXPECT_EQ(cats.AskSaveAll(), TAnswer::Cancel);
}

TEST_F(OpenCatalogs, RefusedSaveKeepsTheFileAndOffersAnotherOne) {
  struct {
    const char* what;
    std::function<void(const std::string&)> meanwhile;
    const char* reason;
  } cases[] = {
      {"read-only", [](const std::string& p) { ::chmod(p.c_str(), 0444); }, MsgCatalogReadOnly},
      {"saved by another program",
       [](const std::string& p) {
         TCatalogTree other;
         TNode* cat = OpenCatalog(other, p);
         SetCatalogModified(cat, true);
         cat->Caption = "Theirs";
         WriteCatalogFile(cat, p, NoProgress());
       },
       MsgCatalogReplaced},
  };
  for (const auto& c : cases) {
    for (TAnswer answer : {TAnswer::No, TAnswer::Yes}) {
      SCOPED_TRACE(std::string(c.what) + (answer == TAnswer::Yes ? ", saved elsewhere" : ""));
      prompts.Log.clear();
      std::string a = MakeCatalog("a.ctf", "A");
      cats.OpenRecentFile(a);
      TNode* cat = tree.Catalog(0);
      cat->Caption = "Mine";
      Modify(cat);
      c.meanwhile(a);
      std::string before = ReadBytes(a);
      std::string elsewhere = dir.File("elsewhere.ctf");
      prompts.Answers.push_back(answer);
      prompts.SaveChoices.push_back(elsewhere);
      auto result = cats.SaveCatalog(cat, false);
      EXPECT_EQ(ReadBytes(a), before);
      ASSERT_GE(prompts.Log.size(), 1u);
      EXPECT_EQ(Shown(prompts.Log[0]), "Save error | " + SaveErrorText(a, c.reason) +
                                           "\rDo you want to save the catalog to another file? | "
                                           "YesNo | Warning");
      if (answer == TAnswer::No) {
        EXPECT_EQ(result, TOpenCatalogs::TSaveResult::Failed);
        EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 1);
        EXPECT_FALSE(std::filesystem::exists(elsewhere));
      } else {
        EXPECT_EQ(result, TOpenCatalogs::TSaveResult::Saved);
        ASSERT_EQ(prompts.Log.size(), 2u);
        EXPECT_EQ(prompts.Log[1].Kind, TPromptRecord::Save);
        EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->FileName, elsewhere);
        TCatalogTree back;
        EXPECT_EQ(OpenCatalog(back, elsewhere)->Caption, "Mine");
      }
      cats.CloseAllCatalogs(false);
      prompts.Answers.clear();
      prompts.SaveChoices.clear();
      std::filesystem::remove(a);
      std::filesystem::remove(elsewhere);
    }
  }
}

TEST_F(OpenCatalogs, OnlyRegularFilesAreCatalogs) {
  // A FIFO, held open with bytes in it so that a reader that does not check would read them
  // instead of waiting forever.
  std::string fifo = dir.File("pipe.ctf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  int holder = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::write(holder, "Catalog 1.00", 12), 12);
  cats.OpenRecentFile(fifo);
  EXPECT_EQ(tree.CatalogCount(), 0);
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{
                                "Catalog error | " + fifo +
                                "\n\rThis is not a catalog file: it is not a regular file. | Ok | Error"});
  // Nor is one the target of Save As.
  TNode* cat = cats.NewCatalog();
  Modify(cat);
  prompts.SaveChoices.push_back(fifo);
  prompts.SaveChoices.push_back(std::nullopt);
  EXPECT_EQ(cats.SaveCatalog(cat, true), TOpenCatalogs::TSaveResult::Cancelled);
  EXPECT_EQ(prompts.Log[2].Title, "File create error");
  struct stat st;
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ::close(holder);
}

TEST_F(OpenCatalogs, CloseAllAnsweredNoThenCancel) {
  for (int i = 0; i < 3; ++i) Modify(cats.NewCatalog());
  prompts.Answers = {TAnswer::Ok, TAnswer::No, TAnswer::Cancel};
  cats.CloseAllCommand();
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{
                                "About to close all opened catalogs. Please confirm.",
                                "Save changes to catalog \"Catalog3\" ?",
                                "Save changes to catalog \"Catalog2\" ?"}));
  EXPECT_EQ(prompts.Log[0].Title, "Confirm closing");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Catalog1", "Catalog2"}));
}

TEST_F(OpenCatalogs, AskSaveAllAsksOnlyAboutModifiedCatalogs) {
  cats.NewCatalog();
  Modify(cats.NewCatalog());
  EXPECT_EQ(cats.AskSaveAll(), TAnswer::Cancel);  // unscripted Yes/No/Cancel answers Cancel
  prompts.Log.clear();
  prompts.Answers.push_back(TAnswer::No);
  EXPECT_EQ(cats.AskSaveAll(), TAnswer::No);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Save changes to catalog \"Catalog2\" ?"});
}

TEST_F(OpenCatalogs, NothingClosesWhileASearchRuns) {
  cats.NewCatalog();
  tree.SearchRunning = true;
  cats.CloseAllCommand();
  EXPECT_EQ(tree.CatalogCount(), 1);
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{
                                "Can't close catalog | You can not close catalog(s) because search "
                                "for files is in progress.\rPlease cancel the search or wait for "
                                "search to finish. | Ok | Information"});
  tree.SearchRunning = false;
}

TEST_F(OpenCatalogs, AutoSaveSavesModifiedCatalogsWithAFile) {
  std::string a = MakeCatalog("a.ctf", "A");
  cats.OpenRecentFile(a);
  Modify(tree.Catalog(0));
  tree.Catalog(0)->Caption = "A2";
  cats.AutoSaveTimerTimeout();
  EXPECT_TRUE(cats.AutoSavePending());
  cats.AutoSaveCatalogs();
  EXPECT_FALSE(cats.AutoSavePending());
  TCatalogTree other;
  EXPECT_EQ(OpenCatalog(other, a)->Caption, "A2");
}

}  // namespace
}  // namespace tf::test
