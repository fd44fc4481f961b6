// The search window driven like a user, in the program put together (main window,
// classification and report windows): pages and their checks, runs on the search thread
// against the window (cancel, limit, a second Find, refusals meanwhile, the program closing),
// the scope tree, sorting, removal, the item commands and the rule by which a run releases
// the file lists it read.

#include <functional>
#include <memory>
#include <atomic>
#include <mutex>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "app/OptionsForm.h"
#include "app/Startup.h"
#include "browse/ItemList.h"
#include "browse/ItemText.h"
#include "browse/ListModel.h"
#include "browse/Main.h"
#include "classify/ClassifyWindows.h"
#include "classify/UserList.h"
#include "classify/UserListForm.h"
#include "platform/MemorySettings.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Shell.h"
#include "platform/TestDrives.h"
#include "report/ReportForm.h"
#include "search/SearchForm.h"
#include "search/SearchWindows.h"
#include "settings/Options.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;
using namespace tf::test;

namespace {

// Runs f on the modal window of type T that the next command opens; a window that f leaves
// open is closed, so that the test does not hang.
template <class T>
void OnModal(std::function<void(T*)> f, int tries = 2000) {
  QTimer::singleShot(0, [f, tries] {
    T* w = qobject_cast<T*>(QApplication::activeModalWidget());
    if (w && w->isVisible()) {
      f(w);
      if (w->isVisible()) w->done(QDialog::Rejected);
    } else {
      if (tries == 0) qFatal("the window did not come");
      OnModal<T>(f, tries - 1);
    }
  });
}

QStringList Column(QAbstractItemModel* m, int column = 0) {
  QStringList out;
  for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
  return out;
}

QStringList Texts(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QStringList VisibleEntries(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

// The catalogs of these tests, written to files so that their lists are read lazily.
//   Home (categories Games 1, Tools 2; flags Backup, -, Lent):
//     disk "Games CD": Setup.exe; Doom\ (Doom.exe "The executable", Doom.wad, readme.txt);
//       Pack.zip\ (an archive: readme.txt)
//     disk "Hits": hit000.txt..hit299.txt, and More\ with hit300.txt..hit599.txt
//   Work (categories Tools 5, Music 6; flag Lent as flag 2):
//     disk "Office": Setup.exe, Letter.doc, Notes\ (memo.txt)
struct TSample {
  TTempDir dir;
  std::string home, work;

  TSample() {
    TCatalogTree t;
    TNode* h = AddCatalog(t, "Home");
    auto* hr = static_cast<TCatalogRec*>(h->Record);
    hr->Categories = {{"Games", 1}, {"Tools", 2}};
    hr->FlagNames[0].Assign("Backup");
    hr->FlagNames[2].Assign("Lent");
    TNode* cd = AddDisk(h, "Games CD");
    static_cast<TDiskRec*>(cd->Record)->MediaType = 10;
    AddFile(cd, "Setup.exe", 120000);
    TNode* doom = AddFolder(cd, "Doom", 12000300);
    TFileRec* exe = AddFile(doom, "Doom.exe", 700000, "The executable");
    exe->CategoryFlags = 1 | UserFlag1;
    exe->ModifiedTime = EncodeDosDateTime({1994, 12, 10, 13, 5, 6});
    AddFile(doom, "Doom.wad", 11300000);
    AddFile(doom, "readme.txt", 300);
    TNode* pack = AddFolder(cd, "Pack.zip", 9000);
    SetFlag(pack->Record, InArchive, true);
    AddFile(pack, "readme.txt", 9000);
    Count(cd, 6, 2);
    TNode* hits = AddDisk(h, "Hits");
    for (int i = 0; i < 300; ++i) AddFile(hits, Hit(i), uint32_t(i));
    TNode* more = AddFolder(hits, "More");
    for (int i = 300; i < 600; ++i) AddFile(more, Hit(i), uint32_t(i));
    Count(hits, 600, 1);
    home = dir.File("home.ctf");
    WriteCatalogFile(h, home, NoProgress());

    TNode* w = AddCatalog(t, "Work");
    auto* wr = static_cast<TCatalogRec*>(w->Record);
    wr->Categories = {{"Tools", 5}, {"Music", 6}};
    wr->FlagNames[1].Assign("Lent");
    TNode* office = AddDisk(w, "Office");
    AddFile(office, "Setup.exe", 120000);
    AddFile(office, "Letter.doc", 3000)->CategoryFlags = 5 | UserFlag2;
    AddFile(AddFolder(office, "Notes"), "memo.txt", 40);
    Count(office, 3, 1);
    work = dir.File("work.ctf");
    WriteCatalogFile(w, work, NoProgress());
  }
  static std::string Hit(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "hit%03d.txt", i);
    return name;
  }
  static void Count(TNode* disk, int files, int folders) {
    auto* d = static_cast<TDiskRec*>(disk->Record);
    d->TotalFiles = files;
    d->TotalFolders = uint16_t(folders);
  }
};

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

}  // namespace

class SearchFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSample> sample_;
  std::unique_ptr<TRig> rig_;
  std::unique_ptr<TApp> app_;

  TMainForm& Main() { return app_->MainForm(); }
  TCatalogTree& Tree() { return app_->Tree(); }
  TScriptedPrompts& Prompts() { return rig_->prompts; }
  TSearchForm& Form() { return *app_->Search().Form(); }
  TNode* Catalog(const std::string& name) {
    for (int i = 0; i < Tree().CatalogCount(); ++i)
      if (Tree().Catalog(i)->Caption == name) return Tree().Catalog(i);
    return nullptr;
  }
  TNode* Node(const std::string& catalog, const std::vector<std::string>& path) {
    TNode* n = Catalog(catalog);
    for (const std::string& part : path) {
      LoadSubfolders(n);
      TNode* next = nullptr;
      for (int i = 0; n && i < n->ChildCount(); ++i)
        if (n->Child(i)->Caption == part) next = n->Child(i);
      n = next;
    }
    return n;
  }
  std::recursive_mutex& Lock(const char* catalog) {
    return static_cast<TCatalogRec*>(Catalog(catalog)->Record)->StreamLock;
  }
  QStringList Rows(int column = 0) { return Column(Form().Model, column); }
  // Opens the window by the main window's command and searches by part of the name.
  void SearchFor(const QString& part) {
    Main().MenuSearch->trigger();
    Form().ByNameCheck->setChecked(true);
    Form().NameCombo->setCurrentIndex(int(TNameMode::Part));
    Form().NameEdit->setText(part);
    Find();
  }
  void Find() {
    Form().BtnFind->click();
    WaitForEnd();
  }
  // Starts a run while the catalog's lock is held here: the run waits at its first list. Comes
  // back once the run has begun, so that a cancel from now on is one of this run.
  std::unique_lock<std::recursive_mutex> FindHeld(const char* catalog) {
    std::unique_lock lock(Lock(catalog));
    auto begun = std::make_shared<std::atomic<bool>>(false);
    Form().SearchOptions.Begun = [begun] { *begun = true; };
    Form().BtnFind->click();
    while (!*begun) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    Form().SearchOptions.Begun = nullptr;
    return lock;
  }
  void WaitForEnd() { QTRY_VERIFY_WITH_TIMEOUT(!Form().Running(), 20000); }
  void SelectRows(const QStringList& names) {
    QItemSelectionModel* sel = Form().FoundList->selectionModel();
    sel->clearSelection();
    bool first = true;
    for (const QString& name : names) {
      int row = int(Rows().indexOf(name));
      QVERIFY2(row >= 0, qPrintable(name));
      QModelIndex i = Form().Model->index(row, 0);
      sel->setCurrentIndex(i, (first ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                  QItemSelectionModel::Rows);
      first = false;
    }
  }
  QTreeWidgetItem* ScopeItem(const QString& text) {
    QTreeWidget* t = Form().CatalogTree;
    for (int c = 0; c < t->topLevelItemCount(); ++c) {
      QTreeWidgetItem* cat = t->topLevelItem(c);
      if (cat->text(0) == text) return cat;
      for (int d = 0; d < cat->childCount(); ++d)
        if (cat->child(d)->text(0) == text) return cat->child(d);
    }
    return nullptr;
  }
  bool Loaded(TNode* container) { return FilesLoaded(container->Record); }

 private Q_SLOTS:
  void init() {
    sample_ = std::make_unique<TSample>();
    rig_ = std::make_unique<TRig>();
    rig_->settings.WriteBinary("RevisionMarker", {2});
    app_ = std::make_unique<TApp>(rig_->Services(), std::vector<std::string>{sample_->home, sample_->work});
    app_->Start();
    app_->FirstIdle();
    QCOMPARE(Tree().CatalogCount(), 2);
  }

  void cleanup() {
    if (app_->Search().Form()) QTRY_VERIFY_WITH_TIMEOUT(!Form().Running(), 20000);
    QCOMPARE(QString::fromStdString(CheckTree(Tree())), QString());
    app_.reset();
    rig_.reset();
    sample_.reset();
  }

  // ---- the window, its pages and controls

  void TheMainWindowOpensItInEitherMode() {
    QCOMPARE(Main().MenuSearch->text(), QStringLiteral("Search for &Files"));
    QCOMPARE(Main().MenuSearch->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(Main().MenuDuplicates->text(), QStringLiteral("&Scan for Duplicates"));
    QCOMPARE(Main().MenuDuplicates->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    auto* button = Main().ToolBar->findChild<QToolButton*>(QStringLiteral("ButtonSearch"));
    QVERIFY(button);
    QCOMPARE(button->defaultAction()->toolTip(), QStringLiteral("Search for Files and Folders"));
    QStringList edit = VisibleEntries(Main().MenuEdit);
    QCOMPARE(edit.mid(0, 4), (QStringList{"Search for &Files", "&Scan for Duplicates",
                                          "View &User List", "&Back One Level"}));
    QVERIFY(!app_->Search().Form());  // made on first use

    button->click();
    TSearchForm& f = Form();
    QTRY_VERIFY(f.isVisible());
    QCOMPARE(f.windowTitle(), QStringLiteral("Search"));
    QVERIFY(f.NormalSearchCheck->isChecked());
    QStringList tabs;
    for (int i = 0; i < f.PageControl->count(); ++i)
      if (f.PageControl->isTabVisible(i)) tabs << f.PageControl->tabText(i);
    QCOMPARE(tabs, (QStringList{"Search Settings", "Limit Search", "by Name or Type", "by Description",
                                "by Category", "by File Size", "by File Date"}));
    QVERIFY(f.NormalGroup->isVisible());
    QVERIFY(!f.DuplicatesGroup->isVisible());
    QVERIFY(!f.ResultPanel->isVisible());  // until the first Find
    QVERIFY(f.minimumWidth() == 610 && f.minimumHeight() == 233);
    for (int i = 0; i < f.PageControl->count(); ++i) {
      f.PageControl->setCurrentIndex(i);
      Screenshot(&f, QStringLiteral("search-page-%1").arg(i));
    }
    f.PageControl->setCurrentIndex(0);

    Main().MenuDuplicates->trigger();
    QCOMPARE(f.windowTitle(), QStringLiteral("Duplicates Search"));
    QVERIFY(f.DuplicateSearchCheck->isChecked());
    tabs.clear();
    for (int i = 0; i < f.PageControl->count(); ++i)
      if (f.PageControl->isTabVisible(i)) tabs << f.PageControl->tabText(i);
    QCOMPARE(tabs, (QStringList{"Search Settings", "Limit Search"}));
    QVERIFY(!f.NormalGroup->isVisible());
    QVERIFY(f.DuplicatesGroup->isVisible());
    for (QCheckBox* c : {f.DuplicateNameCheck, f.DuplicateSizeCheck, f.DuplicateArchivesCheck})
      QVERIFY2(c->isChecked(), qPrintable(c->text()));
    QVERIFY(!f.DuplicateDateCheck->isChecked() && !f.DuplicateAttrCheck->isChecked());
    Screenshot(&f, QStringLiteral("search-duplicates-settings"));
    Main().MenuSearch->trigger();
    QCOMPARE(f.windowTitle(), QStringLiteral("Search"));
    // Close hides the window and keeps it.
    f.BtnClose->click();
    QVERIFY(!f.isVisible());
    Main().MenuSearch->trigger();
    QCOMPARE(app_->Search().Form(), &f);
  }

  void NameModesKeepTheirTextsAndLabels() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    struct Case {
      TNameMode Mode;
      const char* Label;
      bool CaseEnabled;
      const char* Typed;  // typed in this mode, in this order
    } cases[] = {{TNameMode::Exact, "File Name:", true, "exact.txt"},
                 {TNameMode::Part, "Search for:", true, "part"},
                 {TNameMode::Mask, "File Mask:", false, "*.jp?"},
                 {TNameMode::Extension, "Extension:", false, "txt,doc"},
                 {TNameMode::FileType, "File Type:", false, nullptr}};
    for (const Case& c : cases) {
      f.NameCombo->setCurrentIndex(int(c.Mode));
      QCOMPARE(f.NameLabel->text(), QLatin1String(c.Label));
      QCOMPARE(f.FileCaseCheck->isEnabled(), c.CaseEnabled);
      QCOMPARE(!f.NameEdit->isHidden(), c.Mode != TNameMode::FileType);
      QCOMPARE(!f.FileTypeCombo->isHidden(), c.Mode == TNameMode::FileType);
      if (c.Typed) f.NameEdit->setText(QLatin1String(c.Typed));
    }
    // Back through the text modes: each shows what was typed in it.
    for (const Case& c : cases) {
      if (!c.Typed) continue;
      f.NameCombo->setCurrentIndex(int(c.Mode));
      QCOMPARE(f.NameEdit->text(), QLatin1String(c.Typed));
    }
    // The file types: "(none)" first, then the desktop's types by description, each with its
    // extensions as the search reads them.
    QCOMPARE(f.FileTypeCombo->itemText(0), QStringLiteral("(none)"));
    QVERIFY(f.FileTypeCombo->count() > 1);
    for (int i = 2; i < f.FileTypeCombo->count(); ++i)
      QVERIFY2(QString::compare(f.FileTypeCombo->itemText(i - 1), f.FileTypeCombo->itemText(i),
                                Qt::CaseInsensitive) <= 0,
               qPrintable(f.FileTypeCombo->itemText(i)));
    int plain = f.FileTypeCombo->findText(QStringLiteral("plain text document"), Qt::MatchFixedString);
    if (plain > 0) {
      std::string exts = f.FileTypeCombo->itemData(plain).toByteArray().toStdString();
      QVERIFY2(exts.find(".txt\x01") != std::string::npos, exts.c_str());
    }
    // New Search forgets the texts and shows "Part of Filename".
    f.BtnNew->click();
    QCOMPARE(f.NameCombo->currentIndex(), int(TNameMode::Part));
    QCOMPARE(f.NameEdit->text(), QString());
    f.NameCombo->setCurrentIndex(int(TNameMode::Mask));
    QCOMPARE(f.NameEdit->text(), QString());
  }

  void PagesAreCheckedWhenLeftAndAtFind() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    using P = TSearchForm::TPage;
    struct Case {
      const char* Name;
      P Page;
      std::function<void(TSearchForm&)> Set;
      const char* Title;  // null: the page is valid
      const char* Text;
      std::function<QWidget*(TSearchForm&)> Focus;
      std::function<void(TSearchForm&)> Check;  // what a valid page wrote back
    };
    auto name = [](TNameMode mode, const char* text) {
      return [mode, text](TSearchForm& w) {
        w.ByNameCheck->setChecked(true);
        w.NameCombo->setCurrentIndex(int(mode));
        w.NameEdit->setText(QLatin1String(text));
      };
    };
    auto nameEdit = [](TSearchForm& w) -> QWidget* { return w.NameEdit; };
    const std::vector<Case> cases = {
        {"empty part", P::PageName, name(TNameMode::Part, ""), "Invalid Item Name",
         "The Item Name field is still empty.\r\nPlease enter a data you are searching for.",
         nameEdit, {}},
        {"empty exact", P::PageName, name(TNameMode::Exact, ""), "Invalid Item Name",
         "The Item Name field is still empty.\r\nPlease enter a data you are searching for.",
         nameEdit, {}},
        {"empty mask", P::PageName, name(TNameMode::Mask, ""), "Invalid File Mask",
         "The File Mask field is still empty.\r\nPlease enter a data you are searching for.",
         nameEdit, {}},
        {"mask of separators", P::PageName, name(TNameMode::Mask, ",/\\"), "Invalid File Mask",
         "The DOS File Mask is not valid.\r\nPlease enter a correct mask or change search settings.",
         nameEdit, {}},
        {"empty extension", P::PageName, name(TNameMode::Extension, ""), "Invalid Extension",
         "The Extension field is still empty.\r\nPlease enter a data you are searching for.",
         nameEdit, {}},
        {"no file type", P::PageName,
         [](TSearchForm& w) {
           w.ByNameCheck->setChecked(true);
           w.NameCombo->setCurrentIndex(int(TNameMode::FileType));
           w.FileTypeCombo->setCurrentIndex(0);
         },
         "Invalid File Type",
         "The File Type field is still empty.\r\nPlease enter a data you are searching for.",
         [](TSearchForm& w) -> QWidget* { return w.FileTypeCombo; }, {}},
        {"empty description", P::PageDescription,
         [](TSearchForm& w) {
           w.ByDescCheck->setChecked(true);
           w.DescCheck2->setChecked(true);
           w.DescEdit->clear();
         },
         "Invalid description",
         "The description field is still empty.\r\nPlease enter a data you are searching for.",
         [](TSearchForm& w) -> QWidget* { return w.DescEdit; }, {}},
        // Valid pages, and what they write back.
        {"name search off", P::PageName, [](TSearchForm& w) { w.NameEdit->clear(); }, nullptr,
         nullptr, nullptr, {}},
        {"any description", P::PageDescription,
         [](TSearchForm& w) {
           w.ByDescCheck->setChecked(true);
           w.DescCheck1->setChecked(true);
           w.DescEdit->clear();
         },
         nullptr, nullptr, nullptr, {}},
        {"mask cleaned", P::PageName, name(TNameMode::Mask, "**?.*"), nullptr, nullptr, nullptr,
         [](TSearchForm& w) { QCOMPARE(w.NameEdit->text(), QStringLiteral("*.*")); }},
        {"extensions rewritten", P::PageName, name(TNameMode::Extension, "*.txt, .Doc,a.b.c"),
         nullptr, nullptr, nullptr,
         [](TSearchForm& w) { QCOMPARE(w.NameEdit->text(), QStringLiteral("txt,Doc,c")); }},
        {"sizes swapped", P::PageSize,
         [](TSearchForm& w) {
           w.SizeCombo->setCurrentIndex(int(TSizeCompare::Between));
           w.SizeValue1->setText(QStringLiteral("2"));
           w.SizeUnits1->setCurrentIndex(1);
           w.SizeValue2->setText(QStringLiteral("1.5"));
           w.SizeUnits2->setCurrentIndex(1);
         },
         nullptr, nullptr, nullptr,
         [](TSearchForm& w) {
           QCOMPARE(w.SizeValue1->text(), QStringLiteral("1536"));
           QCOMPARE(w.SizeUnits1->currentIndex(), 0);
           QCOMPARE(w.SizeValue2->text(), QStringLiteral("2"));
           QCOMPARE(w.SizeUnits2->currentIndex(), 1);
         }},
        {"one size: nothing swapped", P::PageSize,
         [](TSearchForm& w) {
           w.SizeCombo->setCurrentIndex(int(TSizeCompare::SmallerThan));
           w.SizeValue1->setText(QStringLiteral("9"));
           w.SizeValue2->setText(QStringLiteral("1"));
           w.SizeUnits1->setCurrentIndex(0);
           w.SizeUnits2->setCurrentIndex(0);
         },
         nullptr, nullptr, nullptr,
         [](TSearchForm& w) { QCOMPARE(w.SizeValue1->text(), QStringLiteral("9")); }},
        {"dates and times swapped", P::PageDate,
         [](TSearchForm& w) {
           w.DateCombo2->setCurrentIndex(int(TDateCompare::Between));
           w.DatePicker1->setDate(QDate(2020, 5, 1));
           w.DatePicker2->setDate(QDate(2019, 1, 2));
           w.TimeCombo2->setCurrentIndex(int(TTimeCompare::NotBetween));
           w.TimePicker1->setTime(QTime(18, 0));
           w.TimePicker2->setTime(QTime(9, 30));
         },
         nullptr, nullptr, nullptr,
         [](TSearchForm& w) {
           QCOMPARE(w.DatePicker1->date(), QDate(2019, 1, 2));
           QCOMPARE(w.DatePicker2->date(), QDate(2020, 5, 1));
           QCOMPARE(w.TimePicker1->time(), QTime(9, 30));
           QCOMPARE(w.TimePicker2->time(), QTime(18, 0));
         }},
        {"one date: nothing swapped", P::PageDate,
         [](TSearchForm& w) {
           w.DateCombo2->setCurrentIndex(int(TDateCompare::After));
           w.DatePicker1->setDate(QDate(2020, 5, 1));
           w.DatePicker2->setDate(QDate(2019, 1, 2));
           w.TimeCombo2->setCurrentIndex(int(TTimeCompare::At));
         },
         nullptr, nullptr, nullptr,
         [](TSearchForm& w) { QCOMPARE(w.DatePicker1->date(), QDate(2020, 5, 1)); }},
    };
    for (const Case& c : cases) {
      f.BtnNew->click();
      Prompts().Log.clear();
      f.PageControl->setCurrentIndex(c.Page);
      c.Set(f);
      // Leaving the page, then Find on it: an invalid page stays and says why each time.
      f.PageControl->setCurrentIndex(P::PageSettings);
      if (c.Title) {
        QCOMPARE(f.PageControl->currentIndex(), int(c.Page));
        QVERIFY2(QApplication::focusWidget() == c.Focus(f) || !f.isActiveWindow(), c.Name);
        f.BtnFind->click();
        QVERIFY2(!f.Running(), c.Name);
        QCOMPARE(Prompts().Log.size(), std::size_t(2));
        for (const TPromptRecord& r : Prompts().Log) {
          QCOMPARE(QString::fromStdString(r.Title), QLatin1String(c.Title));
          QCOMPARE(QString::fromStdString(r.Text), QLatin1String(c.Text));
          QCOMPARE(r.Icon, TIcon::Error);
        }
      } else {
        QVERIFY2(Prompts().Log.empty(), c.Name);
        QCOMPARE(f.PageControl->currentIndex(), int(P::PageSettings));
        if (c.Check) c.Check(f);
      }
    }
  }

  // ---- runs against the window

  void FindShowsResultsAndAnotherFindAddsOnlyNewOnes() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    f.LimitFoundCheck->setChecked(true);
    f.MaxFoundNum->setValue(250);
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("HIT"));  // ignoring case
    std::vector<int> counts;
    for (int run = 0; run < 4; ++run) {
      Find();
      counts.push_back(f.Model->rowCount());
      QCOMPARE(f.Model->rowCount(), f.Results().Count());
    }
    QCOMPARE(counts, (std::vector<int>{250, 500, 600, 600}));
    QVERIFY(f.ResultPanel->isVisible());
    QCOMPARE(Rows().mid(248, 4), (QStringList{"hit248.txt", "hit249.txt", "hit250.txt", "hit251.txt"}));
    QCOMPARE(Rows(5).first(), QStringLiteral("Hits"));
    QCOMPARE(Rows(7).last(), QStringLiteral("\\More"));
    QCOMPARE(f.StatusState->text(), QStringLiteral("Items in list: 600"));
    QVERIFY(!f.Animation->isVisible());
    QVERIFY(!f.Progress->isVisible());
    QVERIFY(f.BtnFind->isEnabled() && f.BtnNew->isEnabled() && !f.BtnCancel->isEnabled());
    QVERIFY(f.BtnClear->isEnabled() && f.BtnDelete->isEnabled() && f.BtnReport->isEnabled());

    // Nothing to search for: the message, and the list as it was.
    Prompts().Log.clear();
    f.ByNameCheck->setChecked(false);
    f.BtnFind->click();
    QVERIFY(!f.Running());
    QCOMPARE(Prompts().Texts(), std::vector<std::string>{"Nothing to search for!"});
    QCOMPARE(f.Model->rowCount(), 600);
  }

  void WhileARunGoesOnTheWindowAndTheProgramWait() {
    // The run waits for the catalog's lock, held here, at its first list.
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("hit"));
    std::unique_lock lock = FindHeld("Home");
    QVERIFY(f.Running());
    QVERIFY(Tree().SearchRunning);
    QVERIFY(f.Animation->isVisible());
    QVERIFY(f.Progress->isVisible());
    QVERIFY(!f.BtnFind->isEnabled() && !f.BtnNew->isEnabled() && f.BtnCancel->isEnabled());
    QVERIFY(!f.BtnClear->isEnabled() && !f.BtnDelete->isEnabled());
    QVERIFY(!f.DuplicateSearchCheck->isEnabled());
    QVERIFY(Main().MenuSearch->isEnabled());
    QVERIFY(!Main().MenuDuplicates->isEnabled());
    QVERIFY(!f.IncludeBtn->isEnabled() && !f.ExcludeBtn->isEnabled());
    Screenshot(&f, QStringLiteral("search-running"));

    // Toggles of the scope and sorting wait for the end; closing a catalog is refused.
    QTreeWidgetItem* hits = ScopeItem(QStringLiteral("Hits"));
    f.CatalogTreeToggle(hits);
    QCOMPARE(TSearchForm::ScopeState(hits), 2);
    Main().SelectNode(Catalog("Work"));
    Main().MenuClose->trigger();
    QCOMPARE(Tree().CatalogCount(), 2);
    QCOMPARE(Prompts().Last()->Title, std::string("Can't close catalog"));
    // A sort of the tree's children waits for the end of the run too.
    TNode* home = Catalog("Home");
    Main().SelectNode(home);
    Main().MenuSortB[SortDisksByName]->trigger();
    QVERIFY(!Main().MenuReverseSort->isChecked());
    Main().MenuReverseSort->trigger();
    QCOMPARE(home->Child(0)->Caption, std::string("Games CD"));

    // The program's close request cancels the run and waits; one that does not stop keeps
    // the program open with the message.
    Main().ShowStatusText("Preparing", 2);
    QVERIFY(!app_->CloseRequest());
    QCOMPARE(Prompts().Last()->Title, std::string("Search in progress"));
    QCOMPARE(Prompts().Last()->Text,
             std::string("There is search in progress and it does not respond to cancel command.\r"
                         "Please cancel the search manually and then exit the program."));
    QCOMPARE(Prompts().Last()->Icon, TIcon::Warning);
    QVERIFY(!f.BtnCancel->isEnabled());  // the cancel was asked for
    QVERIFY(Main().isVisible());
    lock.unlock();
    WaitForEnd();
    QVERIFY(!Tree().SearchRunning);
    QVERIFY(f.Results().Count() < 600);  // cancelled
    QCOMPARE(home->Child(0)->Caption, std::string("Hits"));  // the sort, now in place
    QVERIFY(Main().MenuDuplicates->isEnabled());
    QVERIFY(f.DuplicateSearchCheck->isEnabled());
  }

  void TheProgramClosesOnceACancelledRunHasEnded() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("hit"));
    std::unique_lock lock = FindHeld("Home");
    QVERIFY(f.Running());
    // The lock goes while the close request's first step waits (here without a limit, so
    // that the test does not depend on how fast the run ends).
    QTimer unlock;
    unlock.setSingleShot(true);
    QObject::connect(&unlock, &QTimer::timeout, [&lock] { lock.unlock(); });
    unlock.start(50);
    QVERIFY(app_->Search().StopForClosing(1 << 30, 1));
    QVERIFY(!Tree().SearchRunning);
    QVERIFY(f.Results().Count() < 600);  // cancelled
    QVERIFY(app_->CloseRequest());
    QVERIFY(!f.Running());
    QVERIFY(!f.isVisible());
    QCOMPARE(Tree().CatalogCount(), 0);
    QCOMPARE(f.Results().Count(), 0);
  }

  void StatusTextsOfARun() {
    struct Case {
      TSearchStatus Status;
      const char* Text;
      int Position;
    } cases[] = {
        {{128, 600, 3, false, false}, "Checked 128 items, found 3...", 213},
        {{600, 600, 600, false, false}, "Checked 600 items, found 600...", 1000},
        {{5, 0, 0, false, false}, "Checked 5 items, found 0...", 0},
        {{256, 600, 250, true, true}, "Collecting all items: 250", 426},
        {{40, 606, 12, true, false}, "Duplicates: 12 of 40", 66},
    };
    for (const Case& c : cases) {
      QCOMPARE(QString::fromStdString(RunStatusText(c.Status)), QLatin1String(c.Text));
      QCOMPARE(ProgressPosition(c.Status.Checked, c.Status.Total), c.Position);
    }
    QCOMPARE(QString::fromStdString(ItemsInListText(7)), QStringLiteral("Items in list: 7"));
  }

  // ---- the scope

  void TheScopeTreeHasThreeStatesAndSetsTheFlags() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    f.PageControl->setCurrentIndex(TSearchForm::PageLimit);
    QTreeWidgetItem* home = ScopeItem(QStringLiteral("Home"));
    QTreeWidgetItem* cd = ScopeItem(QStringLiteral("Games CD"));
    QTreeWidgetItem* hits = ScopeItem(QStringLiteral("Hits"));
    QTreeWidgetItem* work = ScopeItem(QStringLiteral("Work"));
    QVERIFY(home && cd && hits && work);
    auto flag = [](TNode* n) { return HasFlag(n->Record, SearchScope); };
    TNode* hitsNode = Node("Home", {"Hits"});
    // A click on a disk's state image: the disk goes, its catalog is partly checked.
    QRect r = f.CatalogTree->visualItemRect(hits);
    QTest::mouseClick(f.CatalogTree->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 8, r.center().y()));
    QCOMPARE(TSearchForm::ScopeState(hits), 1);
    QCOMPARE(TSearchForm::ScopeState(home), 3);
    QVERIFY(!flag(hitsNode));
    QVERIFY(!flag(Catalog("Home")));
    QVERIFY(f.IncludeBtn->isEnabled() && f.ExcludeBtn->isEnabled());
    Screenshot(&f, QStringLiteral("search-scope"));
    // A click on the text only selects.
    QTest::mouseClick(f.CatalogTree->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 60, r.center().y()));
    QCOMPARE(TSearchForm::ScopeState(hits), 1);

    // Searching finds only in what is checked.
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("e"));
    Find();
    QStringList disks = Rows(5);
    disks.removeDuplicates();
    QCOMPARE(disks, (QStringList{"Games CD", "Office"}));
    // The scope is built anew after a run, as it was.
    home = ScopeItem(QStringLiteral("Home"));
    cd = ScopeItem(QStringLiteral("Games CD"));
    hits = ScopeItem(QStringLiteral("Hits"));
    work = ScopeItem(QStringLiteral("Work"));
    QCOMPARE(TSearchForm::ScopeState(home), 3);
    QCOMPARE(TSearchForm::ScopeState(hits), 1);

    // A partly checked catalog becomes checked with all its disks; then unchecked by Space.
    f.CatalogTreeToggle(home);
    QCOMPARE(TSearchForm::ScopeState(hits), 2);
    QVERIFY(flag(hitsNode) && flag(Catalog("Home")));
    f.CatalogTree->setCurrentItem(home);
    f.CatalogTree->setFocus();
    QTest::keyClick(f.CatalogTree, Qt::Key_Space);
    QCOMPARE(TSearchForm::ScopeState(home), 1);
    QCOMPARE(TSearchForm::ScopeState(cd), 1);
    QVERIFY(!flag(Node("Home", {"Games CD"})));
    // Exclude All, Include All.
    f.ExcludeBtn->click();
    for (QTreeWidgetItem* i : {home, cd, hits, work}) QCOMPARE(TSearchForm::ScopeState(i), 1);
    QVERIFY(!f.ExcludeBtn->isEnabled() && f.IncludeBtn->isEnabled());
    f.BtnNew->click();
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("e"));
    Find();  // nothing is examined
    QCOMPARE(f.Model->rowCount(), 0);
    home = ScopeItem(QStringLiteral("Home"));
    cd = ScopeItem(QStringLiteral("Games CD"));
    hits = ScopeItem(QStringLiteral("Hits"));
    work = ScopeItem(QStringLiteral("Work"));
    f.IncludeBtn->click();
    for (QTreeWidgetItem* i : {home, cd, hits, work}) QCOMPARE(TSearchForm::ScopeState(i), 2);
    QVERIFY(f.ExcludeBtn->isEnabled() && !f.IncludeBtn->isEnabled());

    // The scope follows the catalogs: a closed catalog leaves it, a renamed disk is renamed.
    f.CatalogTreeToggle(ScopeItem(QStringLiteral("Office")));
    Main().SelectNode(Catalog("Work"));
    Prompts().Answers = {TAnswer::No};
    app_->MenuCloseClick();
    QTRY_VERIFY(!ScopeItem(QStringLiteral("Work")));
    QVERIFY(RenameNode(Node("Home", {"Hits"}), "Many hits"));
    QVERIFY(ScopeItem(QStringLiteral("Many hits")));
  }

  void CategoryListsFollowTheCatalogsAndKeepTheirMarks() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    QCOMPARE(Texts(f.CategoryList), (QStringList{"Games", "Tools", "Music"}));
    QCOMPARE(Texts(f.FlagsList), (QStringList{"Backup", "Lent"}));
    f.CategoryList->item(1)->setCheckState(Qt::Checked);  // Tools
    f.FlagsList->item(0)->setCheckState(Qt::Checked);     // Backup
    f.ByCategoryCheck->setChecked(true);
    f.SearchForCombo->setCurrentIndex(int(TSearchFor::FilesOnly));
    Find();
    // Tools is 5 in Work (Letter.doc); Backup is flag 1 in Home (Doom.exe).
    QCOMPARE(Rows(), (QStringList{"Doom.exe", "Letter.doc"}));
    // A category renamed in a catalog: its entry goes, the others keep their marks.
    static_cast<TCatalogRec*>(Catalog("Work")->Record)->Categories = {{"Tunes", 6}};
    app_->Classify().CategoriesChanged();
    QCOMPARE(Texts(f.CategoryList), (QStringList{"Games", "Tools", "Tunes"}));
    QCOMPARE(f.CategoryList->item(1)->checkState(), Qt::Checked);
    QCOMPARE(f.CategoryList->item(2)->checkState(), Qt::Unchecked);
    f.PageControl->setCurrentIndex(TSearchForm::PageCategory);
    Screenshot(&f, QStringLiteral("search-category"));
  }

  // ---- the list

  void SortingReversesInPlaceAndKeepsTheSelection() {
    SearchFor(QStringLiteral("e"));
    TSearchForm& f = Form();
    QCOMPARE(Rows(), (QStringList{"Setup.exe", "Doom.exe", "readme.txt", "readme.txt", "More",
                                  "Setup.exe", "Letter.doc", "Notes", "memo.txt"}));
    QVERIFY(!f.FoundList->header()->isSortIndicatorShown());  // a Find leaves it unsorted
    struct Step {
      int Column;
      QStringList Rows;
      Qt::SortOrder Order;
    } steps[] = {
        {0, {"More", "Notes", "Doom.exe", "Letter.doc", "memo.txt", "readme.txt", "readme.txt",
             "Setup.exe", "Setup.exe"}, Qt::AscendingOrder},
        // The same column again turns the list round, folders and all.
        {0, {"Setup.exe", "Setup.exe", "readme.txt", "readme.txt", "memo.txt", "Letter.doc",
             "Doom.exe", "Notes", "More"}, Qt::DescendingOrder},
        {0, {"More", "Notes", "Doom.exe", "Letter.doc", "memo.txt", "readme.txt", "readme.txt",
             "Setup.exe", "Setup.exe"}, Qt::AscendingOrder},
        // By size: folders first, files by size, equal ones in the order they had.
        {2, {"More", "Notes", "memo.txt", "readme.txt", "Letter.doc", "readme.txt", "Setup.exe",
             "Setup.exe", "Doom.exe"}, Qt::AscendingOrder},
        // By media name: the disks' order, each keeping the order it had.
        {5, {"More", "Notes", "readme.txt", "readme.txt", "Setup.exe", "Doom.exe", "memo.txt",
             "Letter.doc", "Setup.exe"}, Qt::AscendingOrder},
    };
    SelectRows({QStringLiteral("Letter.doc"), QStringLiteral("Doom.exe")});
    TItemRec* focused = f.FocusedItem();
    bool first = true;
    for (const Step& s : steps) {
      if (first) {
        // The header, clicked.
        QHeaderView* header = f.FoundList->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(s.Column) + 10, header->height() / 2));
        first = false;
      } else {
        f.FoundListColumnClick(s.Column);
      }
      QCOMPARE(Rows(), s.Rows);
      QVERIFY(f.FoundList->header()->isSortIndicatorShown());
      QCOMPARE(f.FoundList->header()->sortIndicatorSection(), s.Column);
      QCOMPARE(f.FoundList->header()->sortIndicatorOrder(), s.Order);
      // Each record knows its row; the selection went with the records.
      for (int r = 0; r < f.Results().Count(); ++r)
        QCOMPARE(int(ListIndexOf(f.Results().At(r), TListKind::Search)), r);
      QStringList names;
      for (TItemRec* rec : f.SelectedItems()) names << QString::fromStdString(ItemColumnText(rec, ColName));
      names.sort();
      QCOMPARE(names, (QStringList{"Doom.exe", "Letter.doc"}));
      QCOMPARE(f.FocusedItem(), focused);
    }
    Screenshot(&f, QStringLiteral("search-results"));
  }

  void RemovingAndClearingAskFirst() {
    SearchFor(QStringLiteral("e"));
    TSearchForm& f = Form();
    int all = f.Model->rowCount();
    // The user list holds two results; clearing the found list leaves it alone.
    SelectRows({QStringLiteral("Letter.doc"), QStringLiteral("memo.txt")});
    f.BtnAddList->trigger();
    TUserList* user = app_->Classify().UserList();
    QCOMPARE(user->Count(), 2);
    struct Case {
      QAction* TSearchForm::*Button;
      QStringList Select;
      TAnswer Answer;
      const char* Title;
      const char* Text;
      int Left;
    } cases[] = {
        {&TSearchForm::BtnDelete, {"Doom.exe", "Setup.exe"}, TAnswer::No, "Delete items",
         "Remove selected item(s) from the found list?", all},
        {&TSearchForm::BtnDelete, {"Doom.exe", "Setup.exe"}, TAnswer::Yes, "Delete items",
         "Remove selected item(s) from the found list?", all - 2},
        {&TSearchForm::BtnClear, {"Notes"}, TAnswer::No, "Delete all items",
         "Remove all items from the found list?", all - 2},
        {&TSearchForm::BtnClear, {"Notes"}, TAnswer::Yes, "Delete all items",
         "Remove all items from the found list?", 0},
    };
    for (const Case& c : cases) {
      SelectRows(c.Select);
      Prompts().Answers = {c.Answer};
      (f.*c.Button)->trigger();
      QCOMPARE(Prompts().Last()->Title, std::string(c.Title));
      QCOMPARE(Prompts().Last()->Text, std::string(c.Text));
      QCOMPARE(Prompts().Last()->Icon, TIcon::Question);
      QCOMPARE(f.Model->rowCount(), c.Left);
      QCOMPARE(f.Results().Count(), c.Left);
      for (int r = 0; r < f.Results().Count(); ++r)
        QCOMPARE(int(ListIndexOf(f.Results().At(r), TListKind::Search)), r);
      QCOMPARE(f.StatusState->text(), QStringLiteral("Items in list: %1").arg(c.Left));
    }
    QCOMPARE(Rows().size(), 0);
    QVERIFY(!f.BtnClear->isEnabled() && !f.BtnDelete->isEnabled() && !f.BtnReport->isEnabled());
    QCOMPARE(user->Count(), 2);
    for (TItemRec* rec : user->Items()) QCOMPARE(int(rec->SearchIndex), -1);
    QCOMPARE(Column(app_->Classify().UserListWindow()->Model), (QStringList{"Letter.doc", "memo.txt"}));
  }

  void DuplicatesAreListedInGroups() {
    Main().MenuDuplicates->trigger();
    TSearchForm& f = Form();
    Find();
    // Name and size: Setup.exe on two disks; readme.txt of Pack.zip is left out (an archive).
    QCOMPARE(Rows(), (QStringList{"Setup.exe", "Setup.exe"}));
    QCOMPARE(Rows(5), (QStringList{"Games CD", "Office"}));
    QCOMPARE(f.Results().Count(), 0);
    QCOMPARE(Main().ReportSearchResults().size(), std::size_t(2));
    // By size alone a second scan adds the new groups; names that begin with small letters
    // share one bucket, whatever the letter.
    f.DuplicateNameCheck->setChecked(false);
    Find();
    QCOMPARE(Rows(), (QStringList{"Setup.exe", "Setup.exe", "hit040.txt", "memo.txt", "readme.txt",
                                  "hit300.txt"}));
    for (int r = 0; r < f.DuplicateResults().Count(); ++r)
      QCOMPARE(int(ListIndexOf(f.DuplicateResults().At(r), TListKind::Duplicates)), r);
    Screenshot(&f, QStringLiteral("search-duplicates"));
    // Each mode shows its own list.
    Main().MenuSearch->trigger();
    QCOMPARE(f.Model->rowCount(), 0);
    QVERIFY(!f.ResultPanel->isVisible());
    Main().MenuDuplicates->trigger();
    QCOMPARE(f.Model->rowCount(), 6);
    QVERIFY(f.ResultPanel->isVisible());
    f.DuplicateNameCheck->setChecked(false);
    f.DuplicateSizeCheck->setChecked(false);
    Prompts().Log.clear();
    f.BtnFind->click();
    QCOMPARE(Prompts().Texts(),
             std::vector<std::string>{"Please select at least one criteria for duplicate files."});
  }

  // ---- commands on the results

  void ItemCommandsReachTheOtherWindows() {
    SearchFor(QStringLiteral("e"));
    TSearchForm& f = Form();
    SelectRows({QStringLiteral("Doom.exe")});
    QVERIFY(f.BtnLocate->isEnabled() && f.BtnProperties->isEnabled() && f.BtnEditDesc->isEnabled());
    QVERIFY(f.BtnExplorer->isEnabled() && f.BtnLaunch->isEnabled() && f.BtnSetCat->isEnabled());
    // Add to User List, enabled while some selected result is not in the user list.
    QVERIFY(f.BtnAddList->isEnabled());
    f.BtnAddList->trigger();
    QVERIFY(!f.BtnAddList->isEnabled());
    f.BtnAddList->trigger();
    QCOMPARE(app_->Classify().UserList()->Count(), 1);
    SelectRows({QStringLiteral("Doom.exe"), QStringLiteral("Letter.doc")});
    QVERIFY(f.BtnAddList->isEnabled());
    // The user list's removal shows here at once.
    app_->Classify().UserList()->Clear();
    app_->Classify().UserListChanged();
    SelectRows({QStringLiteral("Doom.exe")});
    QVERIFY(f.BtnAddList->isEnabled());

    // The popup: entries by the buttons' states; the default follows the double-click setting.
    QVERIFY(f.FoundListPopupPopup());
    QCOMPARE(VisibleEntries(f.FoundListPopup),
             (QStringList{"Locate in Catalog", "Edit Description", "Open in Explorer", "Launch File",
                          "Set Category and Flags", "Add to User List", "Remove from List", "-",
                          "Properties"}));
    struct Default {
      TFileDoubleClick Setting;
      QAction* TSearchForm::*Entry;
    } defaults[] = {{TFileDoubleClick::Nothing, nullptr},
                    {TFileDoubleClick::Properties, &TSearchForm::PopupProperties},
                    {TFileDoubleClick::Explorer, &TSearchForm::PopupExplorer},
                    {TFileDoubleClick::Launch, &TSearchForm::PopupLaunch}};
    for (const Default& d : defaults) {
      TOptions o = app_->Options();
      o.FileDoubleClickCombo = d.Setting;
      app_->OptionsForm().SetOptions(o);
      QVERIFY(f.FoundListPopupPopup());
      QCOMPARE(f.FoundListPopup->defaultAction(), d.Entry ? f.*d.Entry : nullptr);
    }
    // A file inside an archive cannot be opened or launched.
    int archived = -1;
    for (int r = 0; r < f.Model->rowCount(); ++r)
      if (f.Model->index(r, 7).data().toString() == QStringLiteral("\\Pack.zip")) archived = r;
    QVERIFY(archived >= 0);
    f.FoundList->selectionModel()->setCurrentIndex(f.Model->index(archived, 0),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    QVERIFY(!f.BtnExplorer->isEnabled() && !f.BtnLaunch->isEnabled());
    QVERIFY(f.FoundListPopupPopup());
    QVERIFY(!f.PopupExplorer->isVisible() && !f.PopupLaunch->isVisible());

    // Locate in Catalog selects the item in the main window.
    SelectRows({QStringLiteral("Doom.exe")});
    f.BtnLocate->trigger();
    QCOMPARE(Tree().Selected(), Node("Home", {"Games CD", "Doom"}));
    QCOMPARE(Main().ListModel().index(Main().ActiveListView()->currentIndex().row(), 0).data().toString(),
             QStringLiteral("Doom.exe"));
    // Properties (also a double click) and Set Category and Flags open their windows.
    bool shown = false;
    OnModal<QDialog>([&shown](QDialog* d) { shown = d->objectName() == QStringLiteral("PropertiesForm"); });
    f.FoundListDblClick();
    QVERIFY(shown);
    shown = false;
    OnModal<QDialog>([&shown](QDialog* d) { shown = d->objectName() == QStringLiteral("SetCatForm"); });
    f.BtnSetCat->trigger();
    QVERIFY(shown);
    // Generate Report: the Report Generator on the search results.
    bool search = false;
    OnModal<QDialog>([&search](QDialog* d) {
      auto* form = qobject_cast<TReportForm*>(d);
      search = form && form->SourceSearch->isChecked() && form->SourceSearch->isEnabled();
    });
    f.BtnReport->trigger();
    QVERIFY(search);
    std::vector<TItemRec*> listed = Main().ReportSearchResults();
    QCOMPARE(int(listed.size()), f.Results().Count());
    for (std::size_t i = 0; i < listed.size(); ++i) QCOMPARE(listed[i], f.Results().At(int(i)));
    // A description hint when the setting asks for it.
    int exe = int(Rows().indexOf(QStringLiteral("Doom.exe")));
    QCOMPARE(f.Model->index(exe, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("The executable"));
    TOptions o = app_->Options();
    o.DescAsTipsCheck = false;
    app_->OptionsForm().SetOptions(o);
    app_->ApplySettings();
    QVERIFY(!f.Model->index(exe, 0).data(Qt::ToolTipRole).isValid());
  }

  // ---- what a run may release

  void ARunReleasesNoListAWindowHolds() {
    Main().MenuSearch->trigger();
    TSearchForm& f = Form();
    TNode* doom = Node("Home", {"Games CD", "Doom"});
    TNode* more = Node("Home", {"Hits", "More"});
    TNode* notes = Node("Work", {"Office", "Notes"});
    TNode* cd = Node("Home", {"Games CD"});
    // Shown in the main window.
    Main().SelectNode(doom);
    // An item in the user list.
    LoadFiles(more);
    app_->Classify().AddToUserList(std::vector<TItemRec*>{FirstFile(more->Record)});
    Main().SelectNode(Catalog("Work"));
    Main().SelectNode(doom);
    QVERIFY(f.ContainerShown(doom));
    QVERIFY(f.ContainerShown(more));
    QVERIFY(!f.ContainerShown(notes));
    QVERIFY(!f.ContainerShown(cd));
    // A report reading a container: asked while the report lets events run.
    std::vector<std::pair<std::string, bool>> asked;
    OnModal<QDialog>([&](QDialog* d) {
      auto* report = qobject_cast<TReportForm*>(d);
      if (!report) return;
      report->SourceCatalog->setChecked(true);
      report->FileName->setText(QString::fromStdString(sample_->dir.File("r.txt")));
      report->OKBtn->click();
    });
    Main().SelectNode(Catalog("Work"));
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (TNode* walking = Main().ReportWalking())
        asked.emplace_back(walking->Caption, f.ContainerShown(walking));
    });
    watch.start();
    Main().ButtonPrintClick(TReportSource::CatalogItem);
    watch.stop();
    QVERIFY(QFile::exists(QString::fromStdString(sample_->dir.File("r.txt"))));
    QVERIFY(!asked.empty());
    for (const auto& [container, held] : asked) QVERIFY2(held, container.c_str());
    QCOMPARE(Main().ReportWalking(), nullptr);
    QVERIFY(!f.ContainerShown(notes));

    // A run that reads every list for itself and finds nothing in them releases those.
    Main().SelectNode(doom);
    f.SearchOptions.ReadListsInPlace = false;
    f.ByNameCheck->setChecked(true);
    f.NameEdit->setText(QStringLiteral("nothing of that name"));
    Find();
    QVERIFY(Loaded(doom));
    QVERIFY(Loaded(more));
    QVERIFY(!Loaded(notes));
    QVERIFY(!Loaded(Node("Home", {"Hits"})));
  }
};

QTEST_MAIN(SearchFormTest)
#include "SearchFormTest.moc"
