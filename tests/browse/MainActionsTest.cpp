// The main window's item commands driven like a user: the menus and buttons and when they
// are offered, the context menus, launching and opening folders on a test drive, Del and F2,
// in-place renaming, the Description Assistant, and adding and updating disks.

#include <filesystem>
#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "browse/ListModel.h"
#include "browse/Main.h"
#include "browse/TreeModel.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Shell.h"
#include "platform/TestDrives.h"
#include "scan/AddDiskForm.h"
#include "scan/DescAssist.h"
#include "scan/InsertMedia.h"
#include "scan/ScriptedMediaPrompt.h"
#include "scan/Utils.h"
#include "scan/WaitUpdateForm.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

using namespace tf;
using namespace tf::test;

namespace {

// Runs f on the modal window of type T that the next command opens, once ready says that it
// has done what it does on opening (wait windows come and go before it).
template <class T>
void OnModal(std::function<void(T*)> f, std::function<bool(T*)> ready = {}, int tries = 2000) {
  QTimer::singleShot(0, [f, ready, tries] {
    T* w = qobject_cast<T*>(QApplication::activeModalWidget());
    if (w && (!ready || ready(w))) {
      f(w);
    } else {
      if (tries == 0) qFatal("the window did not come");
      OnModal<T>(f, ready, tries - 1);
    }
  });
}

QStringList VisibleEntries(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

// Catalog "Cat" with the disk "Games CD" (the disc in drive E: GAME with Setup.exe,
// Readme.txt, DOCS and PACK.ZIP with two entries; Install.bat in the root) and "Other".
struct TSample {
  TTempDir dir;
  TCatalogTree tree;
  TScriptedPrompts prompts;
  TTestDrives drives;
  TScriptedMediaPrompt media;
  TMediaDetector detector{drives, prompts, media, [] { return 40000.0; }};
  TTestShell shell;
  TNode* cat;
  TNode* disk;
  TNode* other;
  TNode* game;
  TNode* docs;
  TNode* pack;
  TFileRec* setup;
  TFileRec* entry;

  TSample() {
    TTreeBuilder b(dir.Path());
    b.File("GAME/SETUP.EXE", "MZ").File("GAME/README.TXT", "read me").File("GAME/PACK.ZIP", "PK");
    b.Folder("GAME/DOCS").File("INSTALL.BAT", "@echo off");
    TTestDrive& e = drives.Add('E', TDriveType::CdRom);
    e.Volume = {"GAMES", 0x1234, 255, 0, "CDFS"};
    e.Geometry = {1, 2048, 0, 1000};
    e.Root = dir.Path().string();

    cat = AddCatalog(tree, "Cat");
    TDiskRec image;
    detector.ReadVolumeInfo('E', image);
    disk = AddDiskLike(cat, "Games CD", image);
    other = AddDisk(cat, "Other");
    static_cast<TDiskRec*>(disk->Record)->Description.Assign("All the games");
    AddFile(disk, "Install.bat", 9);
    game = AddFolder(disk, "Game");
    docs = AddFolder(game, "Docs");
    pack = AddFolder(game, "Pack.zip", 2);
    SetFlag(pack->Record, InArchive, true);
    entry = AddFile(pack, "Manual.txt", 50);
    AddFile(pack, "Play.exe", 70);
    setup = AddFile(game, "Setup.exe", 2);
    AddFile(game, "Readme.txt", 7);
    static_cast<TCatalogRec*>(cat->Record)->Modified = 0;
  }
};

}  // namespace

class MainActionsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSample> s_;
  std::unique_ptr<TMainForm> form_;
  TMainForm& Form() { return *form_; }

  QStringList Rows() {
    QStringList out;
    TItemListModel& m = Form().ListModel();
    for (int r = 0; r < m.rowCount(); ++r) out << m.index(r, 0).data().toString();
    return out;
  }
  // Gives the list the focus with the named row focused and selected.
  void FocusRow(const QString& name) {
    int row = int(Rows().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name));
    QAbstractItemView* view = Form().ActiveListView();
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    view->selectionModel()->setCurrentIndex(Form().ListModel().index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
  }
  void FocusTree(TNode* node) {
    Form().SelectNode(node);
    Form().DBTree->setFocus();
    QTRY_VERIFY(Form().DBTree->hasFocus());
  }
  void Settings(const std::function<void(TOptions&)>& change) {
    TOptions o = Form().BrowseOptions();
    change(o);
    Form().ApplyBrowseSettings(o);
  }
  QLineEdit* Editor(QAbstractItemView* view) {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
                   view->isAncestorOf(QApplication::focusWidget())
               ? qobject_cast<QLineEdit*>(QApplication::focusWidget())
               : nullptr;
  }
  void Type(QLineEdit* editor, const QString& text) {
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor commits after the key
  }
  bool Modified() { return static_cast<TCatalogRec*>(s_->cat->Record)->Modified; }

 private Q_SLOTS:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    TWaitUpdateProgress::EventInterval = 0;
  }

  void init() {
    s_ = std::make_unique<TSample>();
    form_ = std::make_unique<TMainForm>(s_->tree, s_->prompts);
    TMainForm::TItemServices services;
    services.Drives = &s_->drives;
    services.Media = &s_->detector;
    services.Shell = &s_->shell;
    form_->SetServices(services);
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }

  void cleanup() {
    form_.reset();
    QCOMPARE(QString::fromStdString(CheckTree(s_->tree)), QString());
    s_.reset();
  }

  // ---- where the commands are

  void CommandsInTheMenusAndOnTheToolbar() {
    QStringList menus;
    for (QAction* a : Form().menuBar()->actions()) menus << a->text();
    QCOMPARE(menus, (QStringList{"&File", "&Edit", "&View", "&Catalog", "&Settings"}));
    QStringList catalog = VisibleEntries(Form().MenuCatalog);
    QCOMPARE(catalog.size(), 2);
    QCOMPARE(catalog[0], QStringLiteral("&Add/Update Disk Image"));
    QVERIFY(catalog[1] == QStringLiteral("&Rename Disk") || catalog[1] == QStringLiteral("&Rename Catalog"));
    QCOMPARE(Form().MenuAddDisk->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    QCOMPARE(Form().MenuEditDesc->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    QCOMPARE(VisibleEntries(Form().MenuEdit),
             (QStringList{"&Back One Level", "-", "&Open in Explorer", "&Launch File", "&Edit Description"}));
    struct TButton {
      const char* Name;
      const char* Hint;
    } buttons[] = {{"ButtonAddDisk", "Add or Update Disk Image in Catalog"},
                   {"ButtonExplorer", "Open in Explorer"},
                   {"ButtonLaunch", "Launch File in Associated Program"},
                   {"ButtonEditDesc", "Edit Description"}};
    for (const TButton& b : buttons) {
      auto* w = Form().ToolBar->findChild<QToolButton*>(QLatin1String(b.Name));
      QVERIFY2(w, b.Name);
      QCOMPARE(w->defaultAction()->toolTip(), QLatin1String(b.Hint));
    }
    // Commands whose windows are not given are nowhere to be seen.
    for (QAction* a : Form().findChildren<QAction*>()) {
      for (const char* text : {"Search for &Files", "&Scan for Duplicates", "&Properties",
                               "View &User List", "Set &Category and Flags",
                               "&Categories Setup", "Catalog &Info", "&Add to User List"})
        if (a->text() == QLatin1String(text)) QVERIFY2(!a->isVisible(), text);
    }

    // Without the services the commands that need a medium are not shown.
    TCatalogTree tree;
    TMainForm bare(tree, s_->prompts);
    QVERIFY(!bare.MenuLaunchFile->isVisible());
    QVERIFY(!bare.MenuAddDisk->isVisible());
    QVERIFY(bare.MenuRenameItem->isVisible());
  }

  void WindowWideStates() {
    QVERIFY(Form().MenuAddDisk->isEnabled());
    QVERIFY(Form().MenuEditDesc->isEnabled());
    FocusTree(s_->cat);
    QCOMPARE(Form().MenuRenameItem->text(), QStringLiteral("&Rename Catalog"));
    QVERIFY(Form().MenuRenameItem->isEnabled());
    FocusRow(QStringLiteral("Other"));
    Form().UpdateActions(true);
    QCOMPARE(Form().MenuRenameItem->text(), QStringLiteral("&Rename Disk"));
    QVERIFY(Form().MenuRenameItem->isEnabled());

    TCatalogTree empty;
    TMainForm none(empty, s_->prompts);
    none.SetServices(TMainForm::TItemServices{&s_->drives, &s_->detector, &s_->shell, nullptr, {}, {}});
    QVERIFY(!none.MenuAddDisk->isEnabled());
    QVERIFY(!none.MenuEditDesc->isEnabled());
    QVERIFY(!none.MenuRenameItem->isEnabled());
  }

  // ---- context menus

  void TreeMenuOffersWhatFitsTheNode() {
    Form().TreeViewPopupShow(s_->cat);
    QCOMPARE(s_->tree.Selected(), s_->cat);  // the node under the click is selected
    QCOMPARE(VisibleEntries(Form().TreeViewPopup),
             (QStringList{"Rename", "Add New Disk Image", "Edit Description", "-", "Add New Catalog",
                          "Open Catalog", "Save Catalog", "Close Catalog"}));
    QVERIFY(!Form().TreeMenuSaveCat->isEnabled());  // as "&Save": nothing changed
    Form().TreeViewPopupShow(s_->disk);
    QCOMPARE(s_->tree.Selected(), s_->disk);
    QCOMPARE(VisibleEntries(Form().TreeViewPopup),
             (QStringList{"Rename", "Update Disk Image", "Delete Disk", "Edit Description",
                          "Open in Explorer"}));
    Form().TreeViewPopupShow(s_->pack);
    QCOMPARE(VisibleEntries(Form().TreeViewPopup), (QStringList{"Edit Description", "Open in Explorer"}));
    QVERIFY(Form().TreeMenuOpenExplorer->isEnabled());
    Form().TreeViewPopupShow(nullptr);
    QCOMPARE(VisibleEntries(Form().TreeViewPopup), (QStringList{"Add New Catalog", "Open Catalog"}));

    // The catalog entries are the File menu's commands.
    QSignalSpy open(Form().MenuOpen, &QAction::triggered);
    Form().TreeMenuOpenCat->trigger();
    QCOMPARE(open.count(), 1);
  }

  void TheSelectDiskHintNamesAnEntryOfTheDisksMenu() {
    std::string hint = DiskSelectHintText;
    std::size_t open = hint.find('"'), close = hint.find('"', open + 1);
    QVERIFY(close != std::string::npos);
    QString entry = QString::fromStdString(hint.substr(open + 1, close - open - 1));
    Form().TreeViewPopupShow(s_->disk);
    QVERIFY2(VisibleEntries(Form().TreeViewPopup).contains(entry), qPrintable(entry));
  }

  void ListMenuOffersWhatFitsTheRow() {
    Form().SelectNode(s_->cat);
    FocusRow(QStringLiteral("Other"));
    QVERIFY(Form().ListViewPopupPopup());
    QCOMPARE(VisibleEntries(Form().ListViewPopup),
             (QStringList{"Move To ...", "Rename", "Update Disk Image", "Delete Disk",
                          "Edit Description", "Open in Explorer"}));
    QCOMPARE(Form().ListViewPopup->defaultAction(), Form().ListMenuSwitch);

    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Setup.exe"));
    QVERIFY(Form().ListViewPopupPopup());
    QCOMPARE(VisibleEntries(Form().ListViewPopup),
             (QStringList{"Edit Description", "Open in Explorer", "Launch File"}));
    QCOMPARE(Form().ListViewPopup->defaultAction(), Form().ListMenuLaunchFile);
    Settings([](TOptions& o) { o.FileDoubleClickCombo = TFileDoubleClick::Explorer; });
    Form().ListViewPopupPopup();
    QCOMPARE(Form().ListViewPopup->defaultAction(), Form().ListMenuOpenExplorer);
    Settings([](TOptions& o) { o.FileDoubleClickCombo = TFileDoubleClick::Nothing; });
    Form().ListViewPopupPopup();
    QCOMPARE(Form().ListViewPopup->defaultAction(), nullptr);

    FocusRow(QStringLiteral(".."));
    Form().ListViewPopupPopup();
    QCOMPARE(VisibleEntries(Form().ListViewPopup),
             (QStringList{"Move To ...", "Edit Description", "Open in Explorer"}));
    QVERIFY(!Form().ListMenuDescription->isEnabled());
    QCOMPARE(Form().ListViewPopup->defaultAction(), Form().ListMenuSwitch);
    Form().ListMenuSwitch->trigger();
    QCOMPARE(s_->tree.Selected(), s_->disk);
  }

  void LaunchOfAnArchiveEntryIsNotOffered() {
    Form().SelectNode(s_->pack);
    FocusRow(QStringLiteral("Manual.txt"));
    QVERIFY(Form().ListViewPopupPopup());
    QVERIFY(!Form().ListMenuLaunchFile->isVisible());
    QVERIFY(!Form().ListMenuOpenExplorer->isEnabled());
    QVERIFY(!Form().MenuLaunchFile->isEnabled());
    // The archive itself, from the tree: launched as the archive file.
    FocusTree(s_->pack);
    QVERIFY(Form().MenuLaunchFile->isEnabled());
    Form().MenuLaunchFile->trigger();
    QCOMPARE(s_->shell.Calls.size(), std::size_t(1));
    QCOMPARE(s_->shell.Calls[0].Path, s_->dir.File("GAME/PACK.ZIP"));
  }

  // ---- launching and folders

  void LaunchAndExplorerFromTheList() {
    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Setup.exe"));
    QVERIFY(Form().MenuLaunchFile->isEnabled());
    Form().MenuLaunchFile->trigger();
    QCOMPARE(s_->shell.Calls.size(), std::size_t(1));
    QCOMPARE(s_->shell.Calls[0].Path, s_->dir.File("GAME/SETUP.EXE"));
    QCOMPARE(s_->shell.Calls[0].WorkingFolder, s_->dir.File("GAME"));
    Form().MenuOpenExplorer->trigger();
    QVERIFY(s_->shell.Calls[1].Folder);
    QCOMPARE(s_->shell.Calls[1].Path, s_->dir.File("GAME"));
    // A folder row: its own folder; the tree's disk: the root.
    FocusRow(QStringLiteral("Docs"));
    Form().MenuOpenExplorer->trigger();
    QCOMPARE(s_->shell.Calls[2].Path, s_->dir.File("GAME/DOCS"));
    QVERIFY(!Form().MenuLaunchFile->isEnabled());
    FocusTree(s_->disk);
    Form().MenuOpenExplorer->trigger();
    QCOMPARE(s_->shell.Calls[3].Path, s_->dir.Path().string());
    QVERIFY(s_->prompts.Log.empty());
  }

  void DoubleClickingAFileDoesWhatTheSettingSays() {
    Form().SelectNode(s_->game);
    auto doubleClick = [this] {
      FocusRow(QStringLiteral("Readme.txt"));
      QWidget* vp = Form().ActiveListView()->viewport();
      QRect r = Form().ActiveListView()->visualRect(Form().ActiveListView()->currentIndex());
      QTest::mouseClick(vp, Qt::LeftButton, {}, r.center());
      QTest::mouseDClick(vp, Qt::LeftButton, {}, r.center());
    };
    doubleClick();  // no choice made yet: launch
    QCOMPARE(s_->shell.Calls.size(), std::size_t(1));
    QVERIFY(!s_->shell.Calls[0].Folder);
    Settings([](TOptions& o) { o.FileDoubleClickCombo = TFileDoubleClick::Explorer; });
    doubleClick();
    QCOMPARE(s_->shell.Calls.size(), std::size_t(2));
    QVERIFY(s_->shell.Calls[1].Folder);
    for (TFileDoubleClick nothing : {TFileDoubleClick::Nothing, TFileDoubleClick::Properties}) {
      Settings([nothing](TOptions& o) { o.FileDoubleClickCombo = nothing; });
      doubleClick();
      QCOMPARE(s_->shell.Calls.size(), std::size_t(2));
    }
    // Enter is a double click.
    Settings([](TOptions& o) { o.FileDoubleClickCombo = TFileDoubleClick::Launch; });
    FocusRow(QStringLiteral("Readme.txt"));
    QTest::keyClick(Form().ActiveListView(), Qt::Key_Return);
    QCOMPARE(s_->shell.Calls.size(), std::size_t(3));
  }

  void AFileGoneFromTheMediumIsReported() {
    std::filesystem::remove(s_->dir.File("GAME/README.TXT"));
    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Readme.txt"));
    Form().MenuLaunchFile->trigger();
    QVERIFY(s_->shell.Calls.empty());
    QCOMPARE(s_->prompts.Log.at(0).Title, std::string("File not found"));
  }

  // ---- Del

  void DelInAFileListDoesNothing() {
    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Setup.exe"));
    QStringList before = Rows();
    QTest::keyClick(Form().ActiveListView(), Qt::Key_Delete);
    QVERIFY(s_->prompts.Log.empty());
    QCOMPARE(Rows(), before);
    QVERIFY(!Modified());
  }

  void DelInADiskListDeletesTheFocusedDisk() {
    Form().SelectNode(s_->cat);
    FocusRow(QStringLiteral("Other"));
    s_->prompts.Answers = {TAnswer::Cancel};
    QTest::keyClick(Form().ActiveListView(), Qt::Key_Delete);
    QCOMPARE(s_->prompts.Log.at(0).Title, std::string("Delete disk"));
    QCOMPARE(s_->prompts.Log.at(0).Text,
             std::string("Please confirm removing all data for disk \"Other\" from the catalog."));
    QCOMPARE(s_->cat->ChildCount(), 2);
    s_->prompts.Answers = {TAnswer::Ok};
    QTest::keyClick(Form().ActiveListView(), Qt::Key_Delete);
    QCOMPARE(s_->cat->ChildCount(), 1);
    QCOMPARE(Rows(), QStringList{QStringLiteral("Games CD")});
    QCOMPARE(s_->tree.Selected(), s_->cat);
    QVERIFY(Modified());
    QCOMPARE(Form().StatusState->text(), QStringLiteral("Modified"));
    QCOMPARE(Form().ActiveListView()->currentIndex().row(), 0);
  }

  void DelInTheTreeDeletesADiskAndClosesACatalog() {
    // Del on a folder does nothing.
    FocusTree(s_->game);
    QTest::keyClick(Form().DBTree, Qt::Key_Delete);
    QVERIFY(s_->prompts.Log.empty());
    Form().SelectNode(s_->cat);  // the disks in the tree in the list's order
    TNode* last = s_->cat->Child(1);
    TNode* first = s_->cat->Child(0);
    FocusTree(last);  // the last disk: the catalog is selected next
    s_->prompts.Answers = {TAnswer::Ok};
    QTest::keyClick(Form().DBTree, Qt::Key_Delete);
    QCOMPARE(s_->cat->ChildCount(), 1);
    QCOMPARE(s_->tree.Selected(), s_->cat);
    // The list shows what is left.
    QCOMPARE(Rows(), QStringList{QString::fromStdString(first->Caption)});

    // Refused while a search runs.
    FocusTree(first);
    s_->tree.SearchRunning = true;
    QTest::keyClick(Form().DBTree, Qt::Key_Delete);
    QCOMPARE(s_->prompts.Log.back().Title, std::string("Can't remove disk"));
    QCOMPARE(s_->cat->ChildCount(), 1);
    s_->tree.SearchRunning = false;

    // Del on a catalog asks, then closes it as the Close command does.
    QSignalSpy close(Form().MenuClose, &QAction::triggered);
    FocusTree(s_->cat);
    s_->prompts.Answers = {TAnswer::Cancel};
    QTest::keyClick(Form().DBTree, Qt::Key_Delete);
    QCOMPARE(s_->prompts.Log.back().Title, std::string("Confirm closing"));
    QCOMPARE(close.count(), 0);
    s_->prompts.Answers = {TAnswer::Ok};
    QTest::keyClick(Form().DBTree, Qt::Key_Delete);
    QCOMPARE(close.count(), 1);
  }

  void DeletingTheSelectedDiskFromTheTreeMenu() {
    Form().SelectNode(s_->cat);
    TNode* first = s_->cat->Child(0);
    TNode* second = s_->cat->Child(1);
    Form().SelectNode(first);
    Form().TreeViewPopupShow(first);
    s_->prompts.Answers = {TAnswer::Ok};
    Form().TreeMenuDeleteDisk->trigger();
    QCOMPARE(s_->cat->ChildCount(), 1);
    QCOMPARE(s_->tree.Selected(), second);  // the next disk
    QVERIFY(Rows() != QStringList());
    if (first == s_->disk) s_->disk = nullptr;
  }

  // ---- renaming

  void RenamingADiskInTheTreeKeepsNamesUnique() {
    FocusTree(s_->other);
    QTest::keyClick(Form().DBTree, Qt::Key_F2);
    QLineEdit* editor = Editor(Form().DBTree);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("Other"));
    Type(editor, QStringLiteral("Games CD"));
    QCOMPARE(s_->other->Caption, std::string("Games CD (2)"));
    QVERIFY(Modified());
    QCOMPARE(s_->tree.Selected(), s_->other);

    // A catalog renamed to nothing keeps its name and stays unmodified.
    static_cast<TCatalogRec*>(s_->cat->Record)->Modified = 0;
    FocusTree(s_->cat);
    QTest::keyClick(Form().DBTree, Qt::Key_F2);
    editor = Editor(Form().DBTree);
    QVERIFY(editor);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QCOMPARE(s_->cat->Caption, std::string("Cat"));
    QVERIFY(!Modified());
    // Folders are not renamed.
    FocusTree(s_->game);
    QTest::keyClick(Form().DBTree, Qt::Key_F2);
    QVERIFY(!Editor(Form().DBTree));
  }

  void RenamingADiskInTheList() {
    Form().SelectNode(s_->cat);
    FocusRow(QStringLiteral("Other"));
    Form().ListMenuRename->trigger();
    QLineEdit* editor = Editor(Form().ActiveListView());
    QVERIFY(editor);
    Type(editor, QStringLiteral("Games CD"));
    QCOMPARE(s_->other->Caption, std::string("Games CD (2)"));
    QVERIFY(Rows().contains(QStringLiteral("Games CD (2)")));
    // A file row is not renamed.
    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Setup.exe"));
    QTest::keyClick(Form().ActiveListView(), Qt::Key_F2);
    QVERIFY(!Editor(Form().ActiveListView()));
  }

  void TheCatalogMenuRenamesTheDiskAboveTheSelection() {
    FocusTree(s_->docs);
    QCOMPARE(Form().MenuRenameItem->text(), QStringLiteral("&Rename Disk"));
    Form().MenuRenameItem->trigger();
    QCOMPARE(s_->tree.Selected(), s_->disk);
    QLineEdit* editor = Editor(Form().DBTree);
    QVERIFY(editor);
    Type(editor, QStringLiteral("Games Disc"));
    QCOMPARE(s_->disk->Caption, std::string("Games Disc"));
  }

  // ---- descriptions

  void EditingADescriptionThroughTheAssistant() {
    Form().SelectNode(s_->game);
    FocusRow(QStringLiteral("Setup.exe"));
    OnModal<TDescAssistForm>([](QWidget* w) {
      QCOMPARE(w->windowTitle(), QStringLiteral("Description Assistant"));
      w->findChild<QPlainTextEdit*>(QStringLiteral("DescMemo"))->setPlainText(QStringLiteral("The installer"));
      QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    Form().MenuEditDesc->trigger();
    QCOMPARE(s_->setup->Description.Str(), std::string("The installer"));
    QVERIFY(Modified());
    int row = int(Rows().indexOf(QStringLiteral("Setup.exe")));
    QCOMPARE(Form().ListModel().index(row, 6).data().toString(), QStringLiteral("The installer"));

    // From the tree menu: the node's own description.
    OnModal<TDescAssistForm>([](QWidget* w) {
      w->findChild<QPlainTextEdit*>(QStringLiteral("DescMemo"))->setPlainText(QStringLiteral("Docs"));
      QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    Form().TreeViewPopupShow(s_->docs);
    Form().TreeMenuDescription->trigger();
    QCOMPARE(static_cast<TFolderRec*>(s_->docs->Record)->Description.Str(), std::string("Docs"));
  }

  // ---- adding and updating disks

  void AddingADiskFromTheCatalogMenu() {
    Form().SelectNode(s_->cat);
    s_->prompts.Answers = {TAnswer::No};  // "Update Old Data?": add a new disk
    QCOMPARE(Form().LastDrive(), 'C');
    OnModal<TAddDiskForm>([](TAddDiskForm* add) {
      QCOMPARE(add->windowTitle(), QStringLiteral("Add New Disk"));
      add->DriveButtonClick('E');
      Screenshot(add, QStringLiteral("add-new-disk-main"));
      add->OKBtnClick();
    });
    Form().MenuAddDisk->trigger();
    QCOMPARE(s_->prompts.Log.at(0).Title, std::string("Update Old Data?"));
    QCOMPARE(s_->cat->ChildCount(), 3);
    TNode* added = s_->cat->Child(2);
    QCOMPARE(added->Caption, std::string("Games CD (2)"));
    QCOMPARE(s_->tree.Selected(), added);
    QCOMPARE(Form().LastDrive(), 'E');
    QVERIFY(Rows().contains(QStringLiteral("Install.bat")));
    QVERIFY(Modified());
    QCOMPARE(Form().StatusItem->text().contains(QStringLiteral("Scanning")), false);
  }

  void AScannedFolderFollowsTheTreesSortKeyAndDirection() {
    TTreeBuilder(s_->dir.Path()).Folder("GAME/ALPHA.ZZZ").Folder("GAME/BETA.AAA").Folder("GAME/CAB.MMM");
    struct {
      int Key;
      bool Reverse;
      QStringList Order;
    } cases[] = {
        {0, true, {"Docs", "Cab.mmm", "Beta.aaa", "Alpha.zzz"}},
        {1, false, {"Docs", "Beta.aaa", "Cab.mmm", "Alpha.zzz"}},
        {1, true, {"Alpha.zzz", "Cab.mmm", "Beta.aaa", "Docs"}},
        {0, false, {"Alpha.zzz", "Beta.aaa", "Cab.mmm", "Docs"}},
    };
    for (const auto& c : cases) {
      Form().SelectNode(s_->cat);
      Form().SetSortState(1, c.Key, c.Reverse);
      s_->prompts.Answers = {TAnswer::No};  // "Update Old Data?": add a new disk
      OnModal<TAddDiskForm>([](TAddDiskForm* add) {
        add->DriveButtonClick('E');
        add->OKBtnClick();
      });
      Form().MenuAddDisk->trigger();
      TNode* added = s_->cat->Child(s_->cat->ChildCount() - 1);
      QCOMPARE(s_->tree.Selected(), added);  // the disk is shown, its Game folder is not
      TNode* game = nullptr;
      for (int i = 0; i < added->ChildCount(); ++i)
        if (added->Child(i)->Caption == "Game") game = added->Child(i);
      QVERIFY(game);
      QStringList order;
      for (int i = 0; i < game->ChildCount(); ++i) order << QString::fromStdString(game->Child(i)->Caption);
      QCOMPARE(order, c.Order);
      s_->prompts.Answers = {TAnswer::Ok};  // gone again, so that the next add asks the same
      Form().TreeViewPopupShow(added);
      Form().TreeMenuDeleteDisk->trigger();
      QCOMPARE(s_->cat->ChildCount(), 2);
    }
  }

  void UpdatingADiskFromTheTreeMenu() {
    Form().TreeViewPopupShow(s_->disk);
    OnModal<TAddDiskForm>(
        [](TAddDiskForm* add) {
          QCOMPARE(add->windowTitle(), QStringLiteral("Update Disk"));
          QCOMPARE(add->StatusText(),
                   QStringLiteral("CD-ROM (E:), media match confirmed, ready to update"));
          add->OKBtnClick();
        },
        [](TAddDiskForm* add) { return add->SelectedDrive() == 'E'; });  // found on activation
    Form().TreeMenuUpdateDisk->trigger();
    QVERIFY(s_->prompts.Log.empty());
    QCOMPARE(s_->cat->ChildCount(), 2);
    TNode* updated = s_->tree.Selected();
    QVERIFY(updated != s_->disk);
    QCOMPARE(updated->Caption, std::string("Games CD"));
    QCOMPARE(static_cast<TDiskRec*>(updated->Record)->Description.Str(), std::string("All the games"));
    s_->disk = nullptr;
  }

  void ShortcutsReachTheCommandsFromTheViews() {
    FocusTree(s_->cat);
    QSignalSpy add(Form().MenuAddDisk, &QAction::triggered);
    QSignalSpy desc(Form().MenuEditDesc, &QAction::triggered);
    s_->tree.SearchRunning = true;  // refused at once: no window opens
    QTest::keyClick(Form().DBTree, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(add.count(), 1);
    FocusRow(QStringLiteral("Other"));
    QTest::keyClick(Form().ActiveListView(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(add.count(), 2);
    s_->tree.SearchRunning = false;
  }

  void AddingIsRefusedWhileASearchRuns() {
    s_->tree.SearchRunning = true;
    Form().MenuAddDisk->trigger();
    QCOMPARE(s_->prompts.Log.size(), std::size_t(1));
    QCOMPARE(s_->prompts.Log[0].Title, std::string("Can't Update Data"));
    QCOMPARE(s_->prompts.Log[0].Text,
             std::string("Sorry, updating catalog is not possible while search is in progress.\r"
                         "Please cancel the search or wait for search to finish."));
    QCOMPARE(Form().AddDiskWindow(), nullptr);
    s_->tree.SearchRunning = false;
  }
};

QTEST_MAIN(MainActionsTest)
#include "MainActionsTest.moc"
