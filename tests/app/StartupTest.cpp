// The program put together: start-up with the command line and the settings, the catalog
// commands through the menus, the window state, auto-save and the close request.

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "settings/Options.h"
#include "app/OptionsForm.h"
#include "app/Startup.h"
#include "browse/Main.h"
#include "classify/ClassifyWindows.h"
#include "classify/UserList.h"
#include "classify/UserListForm.h"
#include "report/ReportForm.h"
#include "platform/MemorySettings.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Shell.h"
#include "platform/TestDrives.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

namespace {

struct TRig {
  TMemorySettings settings;
  TScriptedPrompts prompts;
  TTestDrives drives;
  TTestShell shell;
  TAppServices Services() {
    TAppServices s;
    s.Settings = &settings;
    s.Prompts = &prompts;
    s.Drives = &drives;
    s.Shell = &shell;
    s.Splash = false;
    s.TipOfTheDay = false;
    return s;
  }
};

std::string MakeCatalog(test::TTempDir& dir, const std::string& file, const std::string& name) {
  TCatalogTree t;
  TNode* c = test::AddCatalog(t, name);
  test::AddFile(test::AddDisk(c, "Disk"), "file.txt", 10);
  std::string path = dir.File(file);
  WriteCatalogFile(c, path, NoProgress());
  return path;
}

std::vector<std::string> Captions(TCatalogTree& tree) {
  std::vector<std::string> names;
  for (int i = 0; i < tree.CatalogCount(); ++i) names.push_back(tree.Catalog(i)->Caption);
  return names;
}

// A key as an earlier run of this revision left it.
void MarkCurrentRevision(TSettingsKey& key) { key.WriteBinary("RevisionMarker", {2}); }

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CommandLineCatalogsOpenAndTheLastIsSelected() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "Alpha");
    std::string b = MakeCatalog(dir, "b.ctf", "Beta");
    MarkCurrentRevision(rig.settings);
    TOptions o;
    o.AutoloadCheck = true;
    o.AutoloadList = {MakeCatalog(dir, "auto.ctf", "Auto")};
    SaveSettings(rig.settings, o, rig.prompts);
    TApp app(rig.Services(), {a, b});
    app.Start();
    app.FirstIdle();
    QCOMPARE(Captions(app.Tree()), (std::vector<std::string>{"Alpha", "Beta"}));
    QCOMPARE(app.Tree().Selected(), app.Tree().Catalog(1));
    QVERIFY(app.Catalogs().RecentFiles.empty());  // the command line is not interactive
    test::Screenshot(&app.MainForm(), QStringLiteral("main-window"));
  }

  void AutoloadDropsWhatFailsAndKeepsTheList() {
    test::TTempDir dir;
    TRig rig;
    MarkCurrentRevision(rig.settings);
    TOptions o;
    o.AutoloadCheck = true;
    std::string one = MakeCatalog(dir, "one.ctf", "One");
    o.AutoloadList = {one, dir.File("missing.ctf")};
    SaveSettings(rig.settings, o, rig.prompts);
    {
      TApp app(rig.Services(), {});
      app.FirstIdle();
      QCOMPARE(Captions(app.Tree()), std::vector<std::string>{"One"});
      QCOMPARE(app.Options().AutoloadList, std::vector<std::string>{one});
      QVERIFY(app.OptionsForm().Changed());
    }
    // Written at the end of the run.
    QCOMPARE(LoadSettings(rig.settings).Options.AutoloadList, std::vector<std::string>{one});
  }

  void OldSettingsAreDiscarded() {
    TRig rig;
    TOptions o;
    o.ShowPrevCheck = false;
    SaveSettings(rig.settings, o, rig.prompts);
    rig.settings.WriteBinary("RevisionMarker", {1});
    TApp app(rig.Services(), {});
    QVERIFY(app.Options().ShowPrevCheck);  // the designed default again
  }

  void CloseAllAnsweredNoThenCancel() {
    TRig rig;
    TApp app(rig.Services(), {});
    for (int i = 0; i < 3; ++i) {
      app.MainForm().MenuNew->trigger();
      SetCatalogModified(app.Tree().Catalog(i), true);
    }
    rig.prompts.Answers = {TAnswer::Ok, TAnswer::No, TAnswer::Cancel};
    app.MainForm().MenuCloseAll->trigger();
    QCOMPARE(Captions(app.Tree()), (std::vector<std::string>{"Catalog1", "Catalog2"}));
  }

  void ClosingTheLastCatalogGreysItsCommandsEitherWay() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    for (bool all : {true, false}) {
      TApp app(rig.Services(), {a});
      app.Start();
      app.FirstIdle();
      TMainForm& form = app.MainForm();
      form.SelectNode(app.Tree().Catalog(0)->Child(0));  // the disk: everything applies
      QAction* commands[] = {form.MenuBackLevel,  form.MenuOpenExplorer, form.MenuEditDesc,
                             form.MenuAddDisk,    form.MenuLargeIcons,   form.MenuDetails,
                             form.ButtonSort[0],  form.MenuReverseSort,  form.MenuCloseAll};
      for (QAction* c : commands) QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
      rig.prompts.Answers = {TAnswer::Ok};  // Close All asks first
      (all ? form.MenuCloseAll : form.MenuClose)->trigger();
      QCOMPARE(app.Tree().CatalogCount(), 0);
      for (QAction* c : commands)
        QVERIFY2(!c->isEnabled(), qPrintable((all ? "Close All: " : "Close: ") + c->objectName()));
      QVERIFY(!form.MenuSortItems->isEnabled());
    }
  }

  void SaveAsOntoAnotherOpenCatalogAsksAgain() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    std::string b = MakeCatalog(dir, "b.ctf", "B");
    TApp app(rig.Services(), {a, b});
    app.FirstIdle();
    app.Tree().Select(app.Tree().Catalog(0));
    rig.prompts.SaveChoices = {b, std::nullopt};
    app.MainForm().MenuSaveAs->trigger();
    QCOMPARE(rig.prompts.Log.size(), std::size_t(3));
    QCOMPARE(rig.prompts.Log[1].Title, std::string("File create error"));
    QCOMPARE(rig.prompts.Log[2].Title, std::string("Save Catalog \"A\" As ..."));
  }

  void RecentFilesFollowOpeningAndFailing() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    std::string b = MakeCatalog(dir, "b.ctf", "B");
    {
      TApp app(rig.Services(), {});
      rig.prompts.OpenChoices.push_back(std::vector<std::string>{a});
      rig.prompts.OpenChoices.push_back(std::vector<std::string>{b});
      app.MainForm().MenuOpen->trigger();
      app.MainForm().MenuOpen->trigger();
      QMenu* reopen = app.MainForm().MenuReopen;
      QCOMPARE(reopen->actions().size(), 2);
      QCOMPARE(reopen->actions()[0]->toolTip(), QString::fromStdString(b));
      QVERIFY(reopen->isEnabled());
      // A recent file that no longer opens leaves the list and the menu.
      app.MainForm().MenuCloseAll->trigger();  // unscripted confirmation: Cancel
      QCOMPARE(app.Tree().CatalogCount(), 2);
      rig.prompts.Answers.push_back(TAnswer::Ok);
      app.MainForm().MenuCloseAll->trigger();
      QCOMPARE(app.Tree().CatalogCount(), 0);
      std::filesystem::remove(b);
      reopen->actions()[0]->trigger();
      QCOMPARE(rig.prompts.Log.back().Title, std::string("Load error"));
      QCOMPARE(reopen->actions().size(), 1);
    }
    QCOMPARE(ReadMruList(rig.settings), std::vector<std::string>{a});
  }

  void AFirstStartShowsLargeIconsASavedStateWins() {
    TRig rig;
    MarkCurrentRevision(rig.settings);
    for (int saved : {-1, int(ViewDetails), int(ViewSmallIcons)}) {
      if (saved >= 0) {
        TWindowPos pos;
        pos.Width = 700;
        pos.Height = 500;
        pos.ViewStyle = uint8_t(saved);
        rig.settings.WriteBinary("WindowPos", EncodeWindowPos(pos));
      }
      TApp app(rig.Services(), {});
      app.Start();
      TMainForm& form = app.MainForm();
      int expected = saved >= 0 ? saved : int(ViewLargeIcons);
      QCOMPARE(form.ViewStyle(), expected);
      QAction* views[] = {form.MenuLargeIcons, form.MenuSmallIcons, form.MenuList, form.MenuDetails};
      QVERIFY(views[expected]->isChecked());
      QWidget* shown = expected == ViewDetails ? static_cast<QWidget*>(form.ListView) : form.IconView;
      QVERIFY(shown->isVisible());
    }
  }

  void WindowStateSurvivesAMaximizedClose() {
    TRig rig;
    {
      TApp app(rig.Services(), {});
      app.Start();
      TMainForm& form = app.MainForm();
      form.setGeometry(100, 80, 700, 500);
      form.SetViewStyle(ViewList);
      form.SetSortState(2, 3, true);
      QTest::qWait(10);
      form.showMaximized();
      QTest::qWait(10);
      QVERIFY(form.close());
    }
    std::optional<TWindowPos> pos = DecodeWindowPos(*rig.settings.ReadBinary("WindowPos"));
    QVERIFY(pos.has_value());
    QCOMPARE(pos->Width, 700);
    QCOMPARE(pos->Height, 500);
    QCOMPARE(int(pos->ViewStyle), int(ViewList));
    QCOMPARE(int(pos->DiskSortKey), 2);
    QCOMPARE(int(pos->FileSortKey), 3);
    QVERIFY(pos->ReverseOrder);
    TApp again(rig.Services(), {});
    again.Start();
    QVERIFY(!again.MainForm().isMaximized());
    QCOMPARE(again.MainForm().geometry().size(), QSize(700, 500));
    QCOMPARE(again.MainForm().ViewStyle(), int(ViewList));
    QVERIFY(again.MainForm().Items().ReverseOrder);
  }

  void CancelAtExitKeepsEverythingOpen() {
    TRig rig;
    TApp app(rig.Services(), {});
    app.Start();
    app.MainForm().MenuNew->trigger();
    SetCatalogModified(app.Tree().Catalog(0), true);
    rig.prompts.Answers.push_back(TAnswer::Cancel);
    QVERIFY(!app.MainForm().close());
    QVERIFY(app.MainForm().isVisible());
    QCOMPARE(app.Tree().CatalogCount(), 1);
    rig.prompts.Answers.push_back(TAnswer::No);
    QVERIFY(app.MainForm().close());
    QCOMPARE(app.Tree().CatalogCount(), 0);
  }

  void TheUserListReportsAndIsHiddenAndEmptiedAtExit() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    {
      TApp app(rig.Services(), {a});
      app.Start();
      app.FirstIdle();
      TNode* disk = app.Tree().Catalog(0)->Child(0);
      app.MainForm().SelectNode(disk);
      app.MainForm().FocusTree();
      QTRY_VERIFY(app.MainForm().DBTree->hasFocus());
      app.MainForm().MenuAddUser->trigger();
      app.MainForm().MenuUserList->trigger();
      QVERIFY(app.Classify().UserListWindow()->isVisible());
      QCOMPARE(app.Classify().UserList()->Count(), 1);
      // Its report button opens the Report Generator on the user list.
      TUserListForm& list = *app.Classify().UserListWindow();
      QVERIFY(list.BtnReport->isVisible() && list.BtnReport->isEnabled());
      TReportSource shown = TReportSource::CatalogItem;
      QTimer::singleShot(0, [&shown] {
        auto* report = qobject_cast<TReportForm*>(QApplication::activeModalWidget());
        if (!report) return;
        shown = report->Source();
        report->reject();
      });
      list.BtnReport->trigger();
      QCOMPARE(int(shown), int(TReportSource::UserList));
      QVERIFY(app.MainForm().close());
      QVERIFY(!app.Classify().UserListWindow()->isVisible());
      QCOMPARE(app.Classify().UserList()->Count(), 0);
    }
    // The user list's tool bar keeps its place in the settings.
    QVERIFY(rig.settings.ReadBinary("UserListToolbar").has_value());
  }

  void ApplyingTheAutoSaveSettingsDropsAPendingSave() {
    test::TTempDir dir;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    struct {
      const char* Button;
      bool Pending;  // after the window closed
    } cases[] = {{"OKBtn", false}, {"ApplyBtn", false}, {"CancelBtn", true}};
    for (const auto& c : cases) {
      TRig rig;
      TApp app(rig.Services(), {a});
      app.Start();
      app.FirstIdle();
      SetCatalogModified(app.Tree().Catalog(0), true);
      // The timer fires while the Settings window is open; the interval is changed there.
      QTimer::singleShot(0, &app, [&app, &c] {
        auto* form = qobject_cast<TOptionsForm*>(QApplication::activeModalWidget());
        QVERIFY(form);
        app.AutoSaveTimerTimeout();
        form->findChild<QSpinBox*>(QStringLiteral("AutoSaveEdit"))->setValue(30);
        QTest::mouseClick(form->findChild<QPushButton*>(QLatin1String(c.Button)), Qt::LeftButton);
        if (form->isVisible()) form->reject();  // Apply leaves it open
      });
      app.MainForm().MenuSettingsPage[0]->trigger();
      QVERIFY2(app.Catalogs().AutoSavePending() == c.Pending, c.Button);
      QCOMPARE(app.AutoSaveTimer->interval(), (c.Pending ? 15 : 30) * 60000);
      QVERIFY(static_cast<TCatalogRec*>(app.Tree().Catalog(0)->Record)->Modified);
    }
  }

  void AutoSaveWaitsForTheTimerAndSaves() {
    test::TTempDir dir;
    TRig rig;
    std::string a = MakeCatalog(dir, "a.ctf", "A");
    TApp app(rig.Services(), {a});
    app.Start();
    app.FirstIdle();
    QVERIFY(app.AutoSaveTimer->isActive());
    QCOMPARE(app.AutoSaveTimer->interval(), 15 * 60000);
    app.Tree().Catalog(0)->Caption = "Renamed";
    SetCatalogModified(app.Tree().Catalog(0), true);
    app.AutoSaveTimerTimeout();
    QTRY_VERIFY(!app.Catalogs().AutoSavePending());
    TCatalogTree other;
    QCOMPARE(other.AppendChild(other.Root(), ReadCatalogFile(a))->Caption, std::string("Renamed"));
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
