// The classification windows driven like a user, from the main window's commands: Properties
// with its pages and Advanced Disk Info, Categories Setup, Set Categories and Flags, and the
// User List.

#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "browse/Format.h"
#include "browse/ListModel.h"
#include "browse/Main.h"
#include "classify/AdvPropForm.h"
#include "classify/CategoriesForm.h"
#include "classify/ClassifyWindows.h"
#include "classify/MultiCatForm.h"
#include "classify/PropertiesForm.h"
#include "classify/RenameCatForm.h"
#include "classify/UserListForm.h"
#include "platform/Progress.h"
#include "platform/ScriptedPrompts.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;
using namespace tf::test;

namespace {

// Runs f on the modal window of type T that the next command opens. A window that f leaves
// open (a failed check returns early) is closed, so that the test does not hang.
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

QStringList VisibleEntries(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

QStringList Texts(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// Catalog Home (categories Games 1, Tools 2; flags Backup, -, Lent) with the disk "Games CD":
// Setup.exe in the root, the folder Doom (Doom.exe, Doom.wad) and Pack.zip; catalog Work
// (categories Tools 5, Music 6; flag Lent as flag 2) with the disk Office and Letter.doc.
struct TSample {
  TCatalogTree tree;
  TNode* home;
  TNode* cd;
  TNode* doom;
  TNode* pack;
  TFileRec* setup;
  TFileRec* exe;
  TFileRec* wad;
  TNode* work;
  TNode* office;
  TFileRec* letter;

  TSample() {
    home = AddCatalog(tree, "Home");
    Rec(home).Categories = {{"Games", 1}, {"Tools", 2}};
    Rec(home).FlagNames[0].Assign("Backup");
    Rec(home).FlagNames[2].Assign("Lent");
    Rec(home).Description.Assign("Everything at home");
    cd = AddDisk(home, "Games CD");
    auto* d = static_cast<TDiskRec*>(cd->Record);
    d->MediaType = 10;
    d->VolumeLabel = "GAMES";
    d->SerialNumber = 0x12AB34CD;
    d->FileSystem = "CDFS";
    d->BytesPerSector = 2048;
    d->SectorsPerCluster = 1;
    d->TotalClusters = 300000;
    d->FreeClusters = 80000;
    d->LastUpdate = 36925.5;
    d->Description.Assign("The best games of 1994");
    setup = AddFile(cd, "Setup.exe", 120000);
    doom = AddFolder(cd, "Doom", 12000000);
    exe = AddFile(doom, "Doom.exe", 700000, "The executable");
    exe->ModifiedTime = EncodeDosDateTime({1994, 12, 10, 13, 5, 6});
    exe->CategoryFlags = 1 | UserFlag1;
    wad = AddFile(doom, "Doom.wad", 11300000);
    pack = AddFolder(cd, "Pack.zip", 5000);
    SetFlag(pack->Record, InArchive, true);
    AddFile(pack, "readme.txt", 9000)->AccessedTime = 3000;

    work = AddCatalog(tree, "Work");
    Rec(work).Categories = {{"Tools", 5}, {"Music", 6}};
    Rec(work).FlagNames[1].Assign("Lent");
    office = AddDisk(work, "Office");
    letter = AddFile(office, "Letter.doc", 3000);
    letter->CategoryFlags = 5 | UserFlag2;
    Rec(home).Modified = 0;
    Rec(work).Modified = 0;
  }
  static TCatalogRec& Rec(TNode* c) { return *static_cast<TCatalogRec*>(c->Record); }
};

// What the clean-up showed.
struct TShownProgress final : TProgress {
  QStringList Shown;
  void SetStatus(const std::string& text) override { Shown << QString::fromStdString(text); }
  void Begin(const std::string& caption, int64_t) override { Shown << QString::fromStdString(caption); }
};

}  // namespace

class ClassifyFormsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSample> s_;
  std::unique_ptr<TScriptedPrompts> prompts_;
  std::unique_ptr<TMainForm> main_;
  std::unique_ptr<TShownProgress> progress_;
  std::unique_ptr<TClassifyWindows> windows_;
  TOptions options_;

  TMainForm& Main() { return *main_; }
  QStringList Rows() {
    QStringList out;
    TItemListModel& m = Main().ListModel();
    for (int r = 0; r < m.rowCount(); ++r) out << m.index(r, 0).data().toString();
    return out;
  }
  // Gives the list the focus with the named rows selected, the first focused.
  void SelectRows(const QStringList& names) {
    QAbstractItemView* view = Main().ActiveListView();
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QItemSelectionModel* sel = view->selectionModel();
    sel->clearSelection();
    bool first = true;
    for (const QString& name : names) {
      int row = int(Rows().indexOf(name));
      QVERIFY2(row >= 0, qPrintable(name));
      QModelIndex i = Main().ListModel().index(row, 0);
      if (first)
        sel->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      else
        sel->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      first = false;
    }
  }
  void FocusTree(TNode* node) {
    Main().SelectNode(node);
    Main().DBTree->setFocus();
    QTRY_VERIFY(Main().DBTree->hasFocus());
  }
  QStringList UserListRows() {
    QStringList out;
    TUserListModel* m = windows_->UserListWindow()->Model;
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 0).data().toString();
    return out;
  }

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    s_ = std::make_unique<TSample>();
    prompts_ = std::make_unique<TScriptedPrompts>();
    main_ = std::make_unique<TMainForm>(s_->tree, *prompts_);
    progress_ = std::make_unique<TShownProgress>();
    options_ = TOptions{};
    windows_ = std::make_unique<TClassifyWindows>(TClassifyWindows::TServices{
        *main_, s_->tree, *prompts_, *progress_, [this] { return options_; }, nullptr});
    main_->show();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }

  void cleanup() {
    windows_.reset();
    main_.reset();
    QCOMPARE(QString::fromStdString(CheckTree(s_->tree)), QString());
    s_.reset();
    prompts_.reset();
  }

  // ---- the main window's commands

  void CommandsInTheMenusToolbarAndContextMenus() {
    QCOMPARE(VisibleEntries(Main().MenuEdit),
             (QStringList{"View &User List", "&Back One Level", "-", "&Add to User List",
                          "Set &Category and Flags", "&Properties"}));
    QStringList catalog = VisibleEntries(Main().MenuCatalog);
    QCOMPARE(catalog.size(), 3);
    QCOMPARE(catalog[0], QStringLiteral("&Categories Setup"));
    QCOMPARE(catalog[2], QStringLiteral("Catalog &Info"));
    QCOMPARE(Main().MenuUserList->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    QCOMPARE(Main().MenuAddUser->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    QCOMPARE(Main().MenuProperties->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    struct TButton {
      const char* Name;
      const char* Hint;
    } buttons[] = {{"ButtonUserList", "View User List"},
                   {"ButtonAddList", "Add to User List"},
                   {"ButtonSetCat", "Set Category and Flags"},
                   {"ButtonProperties", "Item Properties"}};
    for (const TButton& b : buttons) {
      auto* w = Main().ToolBar->findChild<QToolButton*>(QLatin1String(b.Name));
      QVERIFY2(w, b.Name);
      QCOMPARE(w->defaultAction()->toolTip(), QLatin1String(b.Hint));
    }

    Main().SelectNode(s_->doom);
    Screenshot(&Main(), QStringLiteral("main-with-classification"));
    Main().TreeViewPopupShow(s_->home);
    QCOMPARE(VisibleEntries(Main().TreeViewPopup),
             (QStringList{"Rename", "Categories Setup", "-", "Add New Catalog", "Open Catalog",
                          "Save Catalog", "Close Catalog", "-", "Properties"}));
    Main().TreeViewPopupShow(s_->doom);
    QCOMPARE(VisibleEntries(Main().TreeViewPopup),
             (QStringList{"Add To User List", "Set Category and Flags", "-", "Properties"}));
    QVERIFY(Main().TreeMenuAddList->isEnabled());
    Main().TreeMenuAddList->trigger();
    Main().TreeViewPopupShow(s_->doom);
    QVERIFY(!Main().TreeMenuAddList->isEnabled());  // already in the user list
    Main().TreeViewPopupShow(s_->cd);
    QCOMPARE(VisibleEntries(Main().TreeViewPopup),
             (QStringList{"Rename", "Delete Disk", "Add To User List", "-", "Properties"}));

    Main().SelectNode(s_->doom);
    SelectRows({QStringLiteral("Doom.exe")});
    QVERIFY(Main().ListViewPopupPopup());
    QCOMPARE(VisibleEntries(Main().ListViewPopup),
             (QStringList{"Add To User List", "Set Category and Flags", "-", "Properties"}));
    SelectRows({QStringLiteral("..")});
    Main().ListViewPopupPopup();
    QCOMPARE(VisibleEntries(Main().ListViewPopup),
             (QStringList{"Move To ...", "Add To User List", "-", "Properties"}));
    QVERIFY(!Main().ListMenuProperties->isEnabled());
    QVERIFY(!Main().ListMenuAddList->isEnabled());
  }

  void AddToUserListStaysOfferedWhileOneRowIsNew() {
    Main().SelectNode(s_->doom);
    SelectRows({QStringLiteral("Doom.exe")});
    Main().MenuAddUser->trigger();
    QVERIFY(windows_->UserList());
    QCOMPARE(windows_->UserList()->Count(), 1);
    Main().UpdateActions(true);
    QVERIFY(!Main().MenuAddUser->isEnabled());
    SelectRows({QStringLiteral("Doom.exe"), QStringLiteral("Doom.wad")});
    Main().UpdateActions(true);
    QVERIFY(Main().MenuAddUser->isEnabled());
    Main().MenuAddUser->trigger();
    QCOMPARE(windows_->UserList()->Count(), 2);  // Doom.exe once
    QVERIFY(!Main().MenuAddUser->isEnabled());
    QVERIFY(!windows_->UserListWindow()->isVisible());  // adding does not show it
    Main().MenuUserList->trigger();
    QVERIFY(windows_->UserListWindow()->isVisible());
  }

  // ---- Properties

  void PropertiesOfAFileInAFolderApplyAllThreeEditors() {
    Main().SelectNode(s_->doom);
    SelectRows({QStringLiteral("Doom.exe")});
    bool shown = false;
    OnModal<TPropertiesForm>([&](TPropertiesForm* f) {
      shown = true;
      QTabWidget* pages = f->Pages;
      QVERIFY(pages->isTabVisible(pages->indexOf(f->FileSheet)));
      QVERIFY(pages->isTabVisible(pages->indexOf(f->DirectorySheet)));
      QVERIFY(pages->isTabVisible(pages->indexOf(f->DiskSheet)));
      QVERIFY(!pages->isTabVisible(pages->indexOf(f->CatalogSheet)));
      QCOMPARE(pages->currentWidget(), f->FileSheet);
      QCOMPARE(f->focusWidget(), f->Memo1);
      QCOMPARE(f->Page[FileSheet].Name->text(), QStringLiteral("Doom.exe"));
      QCOMPARE(f->Page[FileSheet].Values[6]->text(), QStringLiteral("\\Doom"));
      QCOMPARE(f->Memo1->toPlainText(), QStringLiteral("The executable"));
      QCOMPARE(f->CategoryList1->currentText(), QStringLiteral("Games"));
      QList<QAction*> flags = f->FlagsBtn1->menu()->actions();
      QCOMPARE(flags.size(), 2);
      QCOMPARE(flags[0]->text(), QStringLiteral("Backup"));
      QVERIFY(flags[0]->isChecked());
      flags[0]->trigger();  // unchecks
      flags[1]->trigger();  // checks "Lent" (flag 3)
      f->CategoryList1->setCurrentIndex(f->CategoryList1->findText(QStringLiteral("Tools")));
      f->Memo1->setPlainText(QStringLiteral("Doom, the game\nversion 1.9"));
      f->Memo2->setPlainText(QStringLiteral("id Software"));
      f->Memo3->setPlainText(QStringLiteral("Games CD of 1994"));
      for (int p = 0; p < 4; ++p) {
        pages->setCurrentIndex(p);
        if (pages->isTabVisible(p)) Screenshot(f, QStringLiteral("properties-file-%1").arg(p));
      }
      // OK while a search runs keeps the window and the edits until the search is over.
      s_->tree.SearchRunning = true;
      f->OKBtn->click();
      s_->tree.SearchRunning = false;
      QVERIFY(f->isVisible());
      QVERIFY(s_->exe->Description.Str() == "The executable");
      f->OKBtn->click();
    });
    QTest::keyClick(Main().ListView, Qt::Key_Return, Qt::AltModifier);
    QVERIFY(shown);
    QCOMPARE(s_->exe->Description.Str(), std::string("Doom, the game\r\nversion 1.9"));
    QCOMPARE(int(s_->exe->CategoryFlags), 2 | UserFlag3);
    QCOMPARE(static_cast<TFolderRec*>(s_->doom->Record)->Description.Str(), std::string("id Software"));
    QCOMPARE(static_cast<TDiskRec*>(s_->cd->Record)->Description.Str(), std::string("Games CD of 1994"));
    QCOMPARE(Main().StatusState->text(), QStringLiteral("Modified"));
  }

  void CancelWritesNothingAndTheStatusPanelOpensProperties() {
    Main().SelectNode(s_->doom);
    SelectRows({QStringLiteral("Doom.wad")});
    bool shown = false;
    OnModal<TPropertiesForm>([&](TPropertiesForm* f) {
      shown = true;
      QCOMPARE(f->Page[FileSheet].Name->text(), QStringLiteral("Doom.wad"));
      f->Memo1->setPlainText(QStringLiteral("not kept"));
      f->CancelBtn->click();
    });
    QTest::mouseClick(Main().StatusItem, Qt::LeftButton);
    QVERIFY(shown);
    QVERIFY(s_->wad->Description.Empty());
    QCOMPARE(SampleModified(), false);
  }
  bool SampleModified() { return TSample::Rec(s_->home).Modified != 0; }

  void CatalogInfoAndTheAdvancedDiskWindow() {
    Main().SelectNode(s_->doom);
    bool shown = false;
    OnModal<TPropertiesForm>([&](TPropertiesForm* f) {
      shown = true;
      QCOMPARE(f->Pages->currentWidget(), f->CatalogSheet);
      QVERIFY(!f->Pages->isTabVisible(f->Pages->indexOf(f->DiskSheet)));
      QCOMPARE(f->Page[CatalogSheet].Captions[1]->text(), QStringLiteral("CD-ROM:"));
      QCOMPARE(f->Page[CatalogSheet].Values[1]->text(), QStringLiteral("1 (total 585 MB)"));
      QCOMPARE(f->Page[CatalogSheet].Captions[2]->text(), QStringLiteral("Floppy 3.5\" :"));
      Screenshot(f, QStringLiteral("properties-catalog"));
      f->reject();
    });
    Main().MenuCatalogInfo->trigger();
    QVERIFY(shown);

    // The disk's page and its advanced figures.
    TPropertiesForm* f = windows_->PropertiesWindow();
    f->Fill({s_->cd, s_->cd->Record});
    f->show();
    QCOMPARE(f->Page[DiskSheet].Values[2]->text(), QStringLiteral("12AB-34CD"));
    QCOMPARE(f->Page[DiskSheet].Values[6]->text(), QStringLiteral("3 February 2001, 12:00:00"));
    Screenshot(f, QStringLiteral("properties-disk"));
    bool advanced = false;
    OnModal<TAdvDiskForm>([&](TAdvDiskForm* a) {
      advanced = true;
      QVERIFY(!f->DiskAdvButton->isEnabled());  // while the window is up
      QCOMPARE(a->windowTitle(), QStringLiteral("Advanced Disk Info"));
      QCOMPARE(a->Values[0]->text(), QStringLiteral("CDFS"));
      QCOMPARE(a->Values[6]->text(), QStringLiteral("2048 B"));
      QCOMPARE(a->Chart->Footer(), QStringLiteral("Total capacity: 585 MB"));
      QCOMPARE(int(a->Chart->Slices().size()), 2);
      Screenshot(a, QStringLiteral("advanced-disk-info"));
      a->accept();
    });
    f->DiskAdvButton->click();
    QVERIFY(advanced);
    QVERIFY(f->DiskAdvButton->isEnabled());
    f->hide();
  }

  void AVolumeNotYetCatalogued() {
    TDiskRec volume;
    volume.MediaType = 13;
    volume.VolumeLabel = "STICK";
    volume.BytesPerSector = 512;
    volume.SectorsPerCluster = 8;
    volume.TotalClusters = 1000;
    volume.FreeClusters = 10;
    bool shown = false;
    OnModal<TPropertiesForm>([&](TPropertiesForm* f) {
      shown = true;
      QCOMPARE(f->Pages->count(), 4);
      QCOMPARE(f->Pages->currentWidget(), f->DiskSheet);
      QCOMPARE(f->Page[DiskSheet].Name->text(), QStringLiteral("Drive F:"));
      QCOMPARE(f->Page[DiskSheet].Values[5]->text(), QStringLiteral("Home"));
      QVERIFY(!f->Memo3->isEnabled());
      f->accept();
    });
    windows_->ShowVolumeInfo(volume, 'F', s_->home);
    QVERIFY(shown);
  }

  // ---- Categories Setup

  void CategoriesSetupCancelAfterSwitchingRestoresBoth() {
    Main().SelectNode(s_->work);
    bool shown = false;
    OnModal<TCategoriesForm>([&](TCategoriesForm* f) {
      shown = true;
      QCOMPARE(f->windowTitle(), QStringLiteral("Categories Setup"));
      QCOMPARE(f->CatalogCombo->currentText(), QStringLiteral("Work"));
      QCOMPARE(Texts(f->CategoryList), (QStringList{"Music", "Tools"}));
      QVERIFY(f->CopyFromBtn->isEnabled());
      // Enter in the category edit adds.
      QTest::keyClicks(f->CategoryEdit, QStringLiteral("Books"));
      QTest::keyClick(f->CategoryEdit, Qt::Key_Return);
      QVERIFY(f->isVisible());
      QCOMPARE(Texts(f->CategoryList), (QStringList{"Books", "Music", "Tools"}));
      QVERIFY(f->CategoryEdit->text().isEmpty());
      f->CatalogCombo->setCurrentIndex(0);
      f->CatalogComboChange(0);  // commits Work
      QCOMPARE(TSample::Rec(s_->work).Categories.size(), std::size_t(3));
      QCOMPARE(Texts(f->CategoryList), (QStringList{"Games", "Tools"}));
      QCOMPARE(f->FlagEdit[0]->text(), QStringLiteral("Backup"));
      QVERIFY(!f->RemoveFlags[1]->isEnabled());
      f->CategoryList->setCurrentRow(0);
      prompts_->Answers = {TAnswer::Yes};
      f->DeleteBtn->click();
      QCOMPARE(prompts_->Last()->Title, std::string("Warning"));
      QCOMPARE(Texts(f->CategoryList), (QStringList{"Tools"}));
      Screenshot(f, QStringLiteral("categories-setup"));
      prompts_->Answers = {TAnswer::Yes};
      f->CancelBtn->click();
      QCOMPARE(prompts_->Last()->Title, std::string("Discard Changes?"));
    });
    Main().MenuCategories->trigger();
    QVERIFY(shown);
    QCOMPARE(TSample::Rec(s_->work).Categories.size(), std::size_t(2));
    QCOMPARE(TSample::Rec(s_->home).Categories.size(), std::size_t(2));
    QCOMPARE(int(TSample::Rec(s_->work).Modified), 0);
    QCOMPARE(int(s_->exe->CategoryFlags), 1 | UserFlag1);
  }

  void CategoriesSetupRenameAndDeleteThenOk() {
    int closed = 0;
    windows_->CategoriesChanged = [&] { ++closed; };
    bool shown = false;
    OnModal<TCategoriesForm>([&](TCategoriesForm* f) {
      shown = true;
      QCOMPARE(f->CatalogCombo->currentText(), QStringLiteral("Home"));
      f->CategoryList->setCurrentRow(1);  // Tools
      OnModal<TRenameForm>([](TRenameForm* r) {
        QCOMPARE(r->windowTitle(), QStringLiteral("Rename Category"));
        QCOMPARE(r->NameLabel->text(), QStringLiteral("New Category Name:"));
        QCOMPARE(r->NameEdit->text(), QStringLiteral("Tools"));
        r->NameEdit->setText(QStringLiteral("Utilities"));
        r->OKBtn->click();
      });
      f->RenameBtn->click();
      QCOMPARE(Texts(f->CategoryList), (QStringList{"Games", "Utilities"}));
      f->CategoryList->setCurrentRow(0);
      prompts_->Answers = {TAnswer::Yes};
      f->DeleteBtn->click();
      f->OKBtn->click();
    });
    Main().TreeViewPopupShow(s_->home);
    Main().TreeMenuEditGroups->trigger();
    QVERIFY(shown);
    QCOMPARE(closed, 1);
    QCOMPARE(TSample::Rec(s_->home).Categories.size(), std::size_t(1));
    QCOMPARE(TSample::Rec(s_->home).Categories[0].Name, std::string("Utilities"));
    QCOMPARE(int(s_->exe->CategoryFlags), int(UserFlag1));  // Games (1) is gone, the flag stays
    QVERIFY(progress_->Shown.contains(QStringLiteral("Updating categories and flags...")));
  }

  // ---- Set Categories and Flags

  void SetCategoriesMatchesNamesAcrossCatalogs() {
    // Doom.exe of Home and Letter.doc of Work, both in the user list.
    windows_->AddToUserList(std::vector<TItemRec*>{s_->exe, s_->letter});
    TUserListForm* list = windows_->UserListWindow();
    list->show();
    list->UserListView->setCurrentIndex(list->Model->index(0, 0));
    list->UserListView->selectAll();
    bool shown = false;
    OnModal<TSetCatForm>([&](TSetCatForm* f) {
      shown = true;
      QCOMPARE(f->windowTitle(), QStringLiteral("Set Categories and Flags"));
      QCOMPARE(f->HeadingLabel->text(), QStringLiteral("Changing Categories and Flags for 2 selected items"));
      QCOMPARE(Texts(f->CategoryList),
               (QStringList{"(no category selected)", "* Games", "Tools", "* Music"}));
      QCOMPARE(Texts(f->FlagsList), (QStringList{"* Backup", "Lent"}));
      QVERIFY(f->NoteLabel->isVisible());
      QVERIFY(!f->ApplyBtn->isEnabled());
      QCOMPARE(f->CategoryList->item(2)->checkState(), Qt::Unchecked);  // Games and Tools: mixed
      QCOMPARE(f->FlagsList->item(1)->checkState(), Qt::PartiallyChecked);
      Screenshot(f, QStringLiteral("set-categories"));
      f->CategoryList->item(2)->setCheckState(Qt::Checked);
      f->CategoryList->item(3)->setCheckState(Qt::Checked);
      f->CategoryList->item(2)->setCheckState(Qt::Checked);  // one at a time
      QCOMPARE(f->CategoryList->item(3)->checkState(), Qt::Unchecked);
      QVERIFY(f->ApplyBtn->isEnabled());
      f->FlagsList->item(1)->setCheckState(Qt::Checked);
      prompts_->Answers = {TAnswer::Yes};
      f->ApplyBtn->click();
      QCOMPARE(prompts_->Last()->Title, std::string("Apply Changes"));
    });
    list->BtnSetCat->trigger();
    QVERIFY(shown);
    QCOMPARE(int(s_->exe->CategoryFlags), 2 | UserFlag1 | UserFlag3);   // Tools is 2 at Home
    QCOMPARE(int(s_->letter->CategoryFlags), 5 | UserFlag2);            // and 5 at Work
    QCOMPARE(int(static_cast<TDiskRec*>(s_->office->Record)->Changed), 1);
  }

  void NothingToSetSaysSo() {
    TNode* bare = AddCatalog(s_->tree, "Bare");
    TFileRec* f = AddFile(AddDisk(bare, "D"), "x");
    QVERIFY(!windows_->SetCategories({f}));
    QCOMPARE(prompts_->Last()->Title, std::string("No Data Defined"));
    QVERIFY(!windows_->SetCategoriesWindow()->isVisible());
  }

  // ---- the user list

  void UserListFollowsClosingAndDeleting() {
    windows_->AddToUserList(std::vector<TItemRec*>{s_->wad, s_->letter, s_->setup, s_->doom->Record,
                                                   s_->office->Record});
    TUserListForm* list = windows_->UserListWindow();
    windows_->ViewUserList();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QCOMPARE(UserListRows(), (QStringList{"Office", "Doom", "Doom.wad", "Letter.doc", "Setup.exe"}));
    QCOMPARE(list->StatusTotal->text(), QStringLiteral("Total items: 5"));
    QCOMPARE(list->Model->index(0, 4).data().toString(), QStringLiteral("Work"));  // disk: catalog
    QCOMPARE(list->Model->index(2, 4).data().toString(), QStringLiteral("Games CD"));
    list->UserListView->setFocus();
    list->UserListView->setCurrentIndex(list->Model->index(2, 0));
    QVERIFY(list->StatusItem->text().startsWith(QStringLiteral("Doom.wad, ")));
    QVERIFY(list->BtnProperties->isEnabled());
    QVERIFY(!list->BtnLaunch->isVisible());  // the main window has no shell services here
    Screenshot(list, QStringLiteral("user-list"));

    // A catalog closed: its items leave, the others keep their order.
    DeleteItemNode(s_->work);
    s_->work = nullptr;
    QCOMPARE(UserListRows(), (QStringList{"Doom", "Doom.wad", "Setup.exe"}));
    QCOMPARE(list->StatusTotal->text(), QStringLiteral("Total items: 3"));
    // A disk deleted.
    DeleteItemNode(s_->cd);
    QCOMPARE(UserListRows(), QStringList());
    QVERIFY(!list->BtnClear->isEnabled());
  }

  void UserListRemovesSortsAndClears() {
    windows_->AddToUserList(std::vector<TItemRec*>{s_->wad, s_->exe, s_->setup, s_->letter});
    TUserListForm* list = windows_->UserListWindow();
    windows_->ViewUserList();
    QCOMPARE(UserListRows(), (QStringList{"Doom.exe", "Doom.wad", "Letter.doc", "Setup.exe"}));
    list->UserListViewColumnClick(2);  // "Item Size"
    QCOMPARE(UserListRows(), (QStringList{"Letter.doc", "Setup.exe", "Doom.exe", "Doom.wad"}));
    list->UserListViewColumnClick(2);
    QCOMPARE(UserListRows(), (QStringList{"Doom.wad", "Doom.exe", "Setup.exe", "Letter.doc"}));

    QItemSelectionModel* sel = list->UserListView->selectionModel();
    sel->setCurrentIndex(list->Model->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    sel->select(list->Model->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->BtnDeleteClick();  // unscripted: No
    QCOMPARE(prompts_->Last()->Title, std::string("Delete items"));
    QCOMPARE(prompts_->Last()->Text, std::string("Remove selected item(s) from the user list?"));
    QCOMPARE(UserListRows().size(), 4);
    prompts_->Answers = {TAnswer::Yes};
    list->BtnDeleteClick();
    QCOMPARE(UserListRows(), (QStringList{"Doom.wad", "Setup.exe"}));
    QCOMPARE(int(s_->setup->UserListIndex), 1);
    QCOMPARE(int(s_->exe->UserListIndex), -1);

    prompts_->Answers = {TAnswer::Yes};
    list->BtnClearClick();
    QCOMPARE(prompts_->Last()->Title, std::string("Delete all items"));
    QCOMPARE(UserListRows(), QStringList());
    QCOMPARE(int(s_->wad->UserListIndex), -1);
    QCOMPARE(list->StatusTotal->text(), QStringLiteral("Total items: 0"));
  }

  void UserListDoubleClickAndPopupFollowTheSetting() {
    windows_->AddToUserList(std::vector<TItemRec*>{s_->exe, s_->doom->Record});
    TUserListForm* list = windows_->UserListWindow();
    windows_->ViewUserList();
    list->UserListView->setCurrentIndex(list->Model->index(1, 0));  // Doom.exe
    options_.FileDoubleClickCombo = TFileDoubleClick::Properties;
    QVERIFY(list->UserListPopupPopup());
    QCOMPARE(list->UserListPopup->defaultAction(), list->PopupProperties);
    QCOMPARE(VisibleEntries(list->UserListPopup),
             (QStringList{"Locate in Catalog", "Set Category and Flags", "Remove from List", "-",
                          "Properties"}));
    bool shown = false;
    OnModal<TPropertiesForm>([&](TPropertiesForm* f) {
      shown = true;
      QCOMPARE(f->Page[FileSheet].Name->text(), QStringLiteral("Doom.exe"));
      f->reject();
    });
    list->UserListViewDblClick();
    QVERIFY(shown);
    options_.FileDoubleClickCombo = TFileDoubleClick::Nothing;
    list->UserListPopupPopup();
    QCOMPARE(list->UserListPopup->defaultAction(), nullptr);

    // Locate: the main window shows the item's folder with the item selected.
    list->BtnLocateClick();
    QCOMPARE(s_->tree.Selected(), s_->doom);
    QCOMPARE(Main().ActiveListView()->currentIndex().data().toString(), QStringLiteral("Doom.exe"));
  }

  void ClosingTheWindowHidesItAndKeepsTheList() {
    windows_->AddToUserList(std::vector<TItemRec*>{s_->exe});
    TUserListForm* list = windows_->UserListWindow();
    windows_->ViewUserList();
    list->close();
    QVERIFY(!list->isVisible());
    QCOMPARE(windows_->UserList()->Count(), 1);
    windows_->ProgramClosing();
    QCOMPARE(windows_->UserList()->Count(), 0);
    QCOMPARE(int(s_->exe->UserListIndex), -1);
  }
};

QTEST_MAIN(ClassifyFormsTest)
#include "ClassifyFormsTest.moc"
