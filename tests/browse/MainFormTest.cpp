// The main window driven like a user: selecting in the tree, double clicks and keys in the
// list, the ".." entry, sorting by menu, button and column header, view styles, the status
// bar, description hints, lazy reading from a catalog file and read errors.

#include <memory>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

#include "browse/Format.h"
#include "browse/ListModel.h"
#include "browse/Main.h"
#include "browse/Sort.h"
#include "browse/TreeModel.h"
#include "platform/ScriptedPrompts.h"
#include "store/LoadSave.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;
using namespace tf::test;

namespace {

// Disk A: root.txt; Games (b.exe, a.txt, Arcade, Doom); Empty; Mixed (c.txt, b.zip, a.txt,
// Zeta, Alpha). Disk B: nothing.
struct TSample {
  TCatalogTree& tree;
  TNode* cat;
  TNode* diskA;
  TNode* diskB;
  TNode* games;
  TNode* doom;
  TNode* empty;
  TNode* mixed;
  explicit TSample(TCatalogTree& t) : tree(t) {
    cat = AddCatalog(tree, "Cat");
    diskA = AddDisk(cat, "Disk A");
    diskB = AddDisk(cat, "Disk B");
    static_cast<TDiskRec*>(diskB->Record)->MediaType = 10;
    AddFile(diskA, "root.txt", 10);
    games = AddFolder(diskA, "Games", 5000);
    AddFile(games, "b.exe", 300, "The game\r\nsecond line");
    AddFile(games, "a.txt", 100);
    AddFolder(games, "Arcade");
    doom = AddFolder(games, "Doom");
    empty = AddFolder(diskA, "Empty");
    mixed = AddFolder(diskA, "Mixed");
    AddFile(mixed, "c.txt", 1);
    TNode* zip = AddFolder(mixed, "b.zip", 700);
    SetFlag(zip->Record, InArchive, true);
    AddFile(mixed, "a.txt", 2);
    AddFolder(mixed, "Zeta");
    AddFolder(mixed, "Alpha");
  }
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TCatalogTree> tree_;
  std::unique_ptr<TScriptedPrompts> prompts_;
  std::unique_ptr<TMainForm> form_;
  std::unique_ptr<QAbstractItemModelTester> treeTester_, listTester_;
  std::unique_ptr<TSample> s_;

  TMainForm& Form() { return *form_; }

  // The names of the list's rows, as the first column shows them.
  QStringList Rows() {
    QStringList out;
    TItemListModel& m = Form().ListModel();
    for (int r = 0; r < m.rowCount(); ++r) out << m.index(r, 0).data().toString();
    return out;
  }
  int RowOf(const QString& name) { return int(Rows().indexOf(name)); }
  QRect RowRect(int row) {
    return Form().ListView->visualRect(Form().ListModel().index(row, 0));
  }
  void DoubleClickRow(int row) {
    QWidget* vp = Form().ActiveListView()->viewport();
    QRect r = Form().ActiveListView()->visualRect(Form().ListModel().index(row, 0));
    QTest::mouseClick(vp, Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(vp, Qt::LeftButton, {}, r.center());
  }
  void FocusList() {
    Form().ActiveListView()->setFocus();
    QTRY_VERIFY(Form().ActiveListView()->hasFocus());
  }
  void ClickTree(TNode* node) {
    QModelIndex i = Form().TreeModel().IndexOf(node);
    Form().DBTree->scrollTo(i);
    QTest::mouseClick(Form().DBTree->viewport(), Qt::LeftButton, {},
                      Form().DBTree->visualRect(i).center());
  }
  QAction* Action(const char* name) {
    auto* a = Form().findChild<QAction*>(QLatin1String(name));
    if (!a) qFatal("no action %s", name);
    return a;
  }
  void ClickHeader(int column) {
    QHeaderView* h = Form().ListView->header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
  }
  void Settings(const std::function<void(TOptions&)>& change) {
    TOptions o = Form().BrowseOptions();
    change(o);
    Form().ApplyBrowseSettings(o);
  }

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    tree_ = std::make_unique<TCatalogTree>();
    prompts_ = std::make_unique<TScriptedPrompts>();
    form_ = std::make_unique<TMainForm>(*tree_, *prompts_);
    treeTester_ = std::make_unique<QAbstractItemModelTester>(
        &form_->TreeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    listTester_ = std::make_unique<QAbstractItemModelTester>(
        &form_->ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    s_ = std::make_unique<TSample>(*tree_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }

  void cleanup() {
    treeTester_.reset();
    listTester_.reset();
    form_.reset();
    s_.reset();
    QCOMPARE(QString::fromStdString(CheckTree(*tree_)), QString());
    tree_.reset();
    prompts_.reset();
  }

  void CatalogListsDisksWithoutBackEntry() {
    ClickTree(s_->cat);
    QCOMPARE(tree_->Selected(), s_->cat);
    QCOMPARE(Rows(), QStringList({"Disk A", "Disk B"}));  // media type 5 before 10
    QCOMPARE(Form().ListModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Disk name"));
    QVERIFY(!Action("MenuBackLevel")->isEnabled());
    QVERIFY(Action("MenuSort1b")->isVisible());
    QVERIFY(!Action("MenuSort1a")->isVisible());
    QVERIFY(Action("MenuSort2b")->isChecked());
    QCOMPARE(Action("ButtonSort2")->text(), QStringLiteral("Sort by Media Type"));
    QCOMPARE(Action("ButtonSort4")->text(), QStringLiteral("Sort by Free Space"));
    QCOMPARE(Form().StatusItem->text(), QStringLiteral("Cat (no filename), total disks: 2"));
    QCOMPARE(Form().StatusState->text(), QStringLiteral("Loaded"));
    Screenshot(&Form(), QStringLiteral("main-disks"));
  }

  void DiskRootHasNoBackEntryAndFoldersHaveOne() {
    Form().SelectNode(s_->diskA);
    QVERIFY(!Rows().contains(QStringLiteral("..")));
    QCOMPARE(Form().ListModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Filename"));
    QVERIFY(Action("MenuSort1a")->isVisible());
    QCOMPARE(Action("ButtonSort2")->text(), QStringLiteral("Sort by Extension"));
    QCOMPARE(Action("ButtonSort4")->text(), QStringLiteral("Sort by Date"));
    Form().SelectNode(s_->games);
    QCOMPARE(Rows().first(), QStringLiteral(".."));
    QCOMPARE(Form().ListModel().index(0, 6).data().toString(),
             QStringLiteral("Back to root of Disk A"));
  }

  void EmptyFolderShowsOnlyBackEntryOrNothing() {
    Form().SelectNode(s_->empty);
    QCOMPARE(Rows(), QStringList({".."}));
    QVERIFY(Action("MenuDetails")->isEnabled());
    Settings([](TOptions& o) { o.ShowPrevCheck = false; });
    QCOMPARE(Rows(), QStringList());
    for (const char* name : {"MenuLargeIcons", "MenuSmallIcons", "MenuList", "MenuDetails",
                             "ButtonSort1", "ButtonSort2", "MenuReverseSort"})
      QVERIFY2(!Action(name)->isEnabled(), name);
    QVERIFY(!Form().MenuSortItems->isEnabled());
    Settings([](TOptions& o) { o.ShowPrevCheck = true; });
    QCOMPARE(Rows(), QStringList({".."}));
  }

  void DoubleClickMovesIntoFoldersAndUp() {
    Form().SelectNode(s_->diskA);
    DoubleClickRow(RowOf(QStringLiteral("Games")));
    QCOMPARE(tree_->Selected(), s_->games);
    QVERIFY(Form().DBTree->hasFocus());  // the tree becomes the active control
    DoubleClickRow(RowOf(QStringLiteral("..")));
    QCOMPARE(tree_->Selected(), s_->diskA);
    // The node reached is shown in the tree.
    QVERIFY(Form().DBTree->isExpanded(Form().TreeModel().IndexOf(s_->cat)));
  }

  void DoubleClickOnAFileWithNothingChosenDoesNothing() {
    Settings([](TOptions& o) { o.FileDoubleClickCombo = TFileDoubleClick::Nothing; });
    Form().SelectNode(s_->games);
    int row = RowOf(QStringLiteral("a.txt"));
    DoubleClickRow(row);
    QCOMPARE(tree_->Selected(), s_->games);
    QCOMPARE(Form().ListView->currentIndex().row(), row);
    QVERIFY(prompts_->Log.empty());
  }

  void EnterAndBackspaceInTheList() {
    Form().SelectNode(s_->diskA);
    FocusList();
    Form().ListView->setCurrentIndex(Form().ListModel().index(RowOf(QStringLiteral("Games")), 0));
    QTest::keyClick(Form().ListView, Qt::Key_Return);
    QCOMPARE(tree_->Selected(), s_->games);
    FocusList();
    Form().ListView->setCurrentIndex(Form().ListModel().index(RowOf(QStringLiteral("Doom")), 0));
    QTest::keyClick(Form().ListView, Qt::Key_Enter, Qt::AltModifier);
    QCOMPARE(tree_->Selected(), s_->doom);
    FocusList();
    QTest::keyClick(Form().ListView, Qt::Key_Backspace);
    QCOMPARE(tree_->Selected(), s_->games);
    FocusList();
    QTest::keyClick(Form().ListView, Qt::Key_Backspace);
    QCOMPARE(tree_->Selected(), s_->diskA);
    FocusList();
    QTest::keyClick(Form().ListView, Qt::Key_Backspace);
    QCOMPARE(tree_->Selected(), s_->cat);
    FocusList();
    QTest::keyClick(Form().ListView, Qt::Key_Backspace);  // a catalog has no parent
    QCOMPARE(tree_->Selected(), s_->cat);
  }

  void BackOneLevelCommand() {
    Form().SelectNode(s_->doom);
    QVERIFY(Action("MenuBackLevel")->isEnabled());
    QTest::mouseClick(Form().findChild<QToolButton*>(QStringLiteral("ButtonBack")),
                      Qt::LeftButton);
    QCOMPARE(tree_->Selected(), s_->games);
    Action("MenuBackLevel")->trigger();
    Action("MenuBackLevel")->trigger();
    QCOMPARE(tree_->Selected(), s_->cat);
    QVERIFY(!Action("MenuBackLevel")->isEnabled());
  }

  void FocusingTheListSelectsTheFirstRow() {
    Form().SelectNode(s_->games);
    QVERIFY(!Form().ListView->currentIndex().isValid());
    FocusList();
    QCOMPARE(Form().ListView->currentIndex().row(), 0);
    QVERIFY(Form().ListView->selectionModel()->isRowSelected(0, {}));
    QCOMPARE(Form().StatusItem->text(), QStringLiteral("Previous folder..."));
  }

  void ReversedListPutsBackEntryLastUntilAnotherFolder() {
    Form().SelectNode(s_->games);
    Action("MenuSort1a")->trigger();
    QCOMPARE(Rows(), QStringList({"..", "Arcade", "Doom", "a.txt", "b.exe"}));
    QTest::mouseClick(Form().findChild<QToolButton*>(QStringLiteral("ButtonReverseSort")),
                      Qt::LeftButton);
    QVERIFY(Action("MenuReverseSort")->isChecked());
    QCOMPARE(Rows(), QStringList({"b.exe", "a.txt", "Doom", "Arcade", ".."}));
    Form().SelectNode(s_->mixed);
    QCOMPARE(Rows(), QStringList({"..", "Zeta", "b.zip", "Alpha", "c.txt", "a.txt"}));
    QCOMPARE(Form().ListView->header()->sortIndicatorOrder(), Qt::DescendingOrder);
  }

  void HeaderClicksChooseTheKeyOrTurnTheOrder() {
    Action("MenuDetails")->trigger();  // the view with headers
    Form().SelectNode(s_->games);
    ClickHeader(0);  // another column: its key
    QCOMPARE(Form().Items().FileSortKey, int(SortByName));
    QStringList before = Rows();
    ClickHeader(0);
    QCOMPARE(Rows().last(), QStringLiteral(".."));
    ClickHeader(0);
    QCOMPARE(Rows(), before);
    QVERIFY(!Form().Items().ReverseOrder);
    ClickHeader(6);  // "Description": key 6
    QCOMPARE(Form().Items().FileSortKey, 6);
    for (QAction* a : Form().MenuSortA) QVERIFY(!a->isChecked());
    for (int i = 0; i < 4; ++i) QVERIFY(!Form().ButtonSort[i]->isChecked());
    Form().SelectNode(s_->cat);
    ClickHeader(5);  // disks' "Description": key 5
    QCOMPARE(Form().Items().DiskSortKey, 5);
    QCOMPARE(Form().Items().FileSortKey, 6);
  }

  void SortCommandsShowTheKey() {
    Form().SelectNode(s_->games);
    Action("MenuSort3a")->trigger();  // size
    QCOMPARE(Rows(), QStringList({"..", "Arcade", "Doom", "a.txt", "b.exe"}));
    QVERIFY(Form().ButtonSort[2]->isChecked());
    QVERIFY(Action("MenuSort3b")->isChecked());
    Action("MenuSort5a")->trigger();  // time: no button
    for (int i = 0; i < 4; ++i) QVERIFY(!Form().ButtonSort[i]->isChecked());
    QVERIFY(Action("MenuSort5a")->isChecked());
    QVERIFY(Action("MenuSort5b")->isChecked());
    // Choosing the current key again changes nothing, and the entry stays checked.
    Action("MenuSort5a")->trigger();
    QVERIFY(Action("MenuSort5a")->isChecked());
    QTest::mouseClick(Form().findChild<QToolButton*>(QStringLiteral("ButtonSort1")),
                      Qt::LeftButton);
    QCOMPARE(Form().Items().FileSortKey, 0);
    QVERIFY(Action("MenuSort1a")->isChecked());
  }

  void EqualSizesKeepTheirOrderAndReverse() {
    TNode* same = AddFolder(s_->diskA, "Same");
    AddFile(same, "one", 7);
    AddFile(same, "two", 7);
    AddFile(same, "three", 7);
    Settings([](TOptions& o) { o.ShowPrevCheck = false; });
    Form().SelectNode(s_->games);
    Action("MenuSort3a")->trigger();
    Form().SelectNode(same);  // filled in chain order, then sorted by size
    QCOMPARE(Rows(), QStringList({"one", "two", "three"}));
    Action("MenuReverseSort")->trigger();
    QCOMPARE(Rows(), QStringList({"three", "two", "one"}));
  }

  void ArchiveSortingFollowsTheSetting() {
    // "Sort archive files as folders" is on by default.
    Form().SelectNode(s_->mixed);
    Action("MenuSort1a")->trigger();
    QCOMPARE(Rows(), QStringList({"..", "Alpha", "b.zip", "Zeta", "a.txt", "c.txt"}));
    QCOMPARE(s_->mixed->Child(1)->Caption, std::string("b.zip"));
    Settings([](TOptions& o) { o.ArchivesSortCheck = false; });
    QCOMPARE(Rows(), QStringList({"..", "Alpha", "Zeta", "a.txt", "b.zip", "c.txt"}));
    QCOMPARE(s_->mixed->Child(2)->Caption, std::string("b.zip"));  // after the plain folders
    Settings([](TOptions& o) { o.ArchivesSortCheck = true; });
    QCOMPARE(Rows(), QStringList({"..", "Alpha", "b.zip", "Zeta", "a.txt", "c.txt"}));
  }

  void ViewStyles() {
    Form().SelectNode(s_->games);
    // Large icons at the start.
    QCOMPARE(Form().ViewStyle(), int(ViewLargeIcons));
    QVERIFY(Action("MenuLargeIcons")->isChecked());
    QCOMPARE(Form().ActiveListView(), static_cast<QAbstractItemView*>(Form().IconView));
    QVERIFY(Form().IconView->isVisible());
    QCOMPARE(Form().IconView->viewMode(), QListView::IconMode);
    QTest::mouseClick(Form().findChild<QToolButton*>(QStringLiteral("ButtonDetails")),
                      Qt::LeftButton);
    QVERIFY(Action("MenuDetails")->isChecked());
    QVERIFY(Form().ListView->isVisible());
    QTest::mouseClick(Form().findChild<QToolButton*>(QStringLiteral("ButtonLargeIcon")),
                      Qt::LeftButton);
    QCOMPARE(Form().ViewStyle(), int(ViewLargeIcons));
    QVERIFY(Form().IconView->isVisible());
    Screenshot(&Form(), QStringLiteral("main-large-icons"));
    Action("MenuSmallIcons")->trigger();
    QCOMPARE(Form().IconView->flow(), QListView::LeftToRight);
    Screenshot(&Form(), QStringLiteral("main-small-icons"));
    Action("MenuList")->trigger();
    QCOMPARE(Form().IconView->viewMode(), QListView::ListMode);
    QCOMPARE(Form().IconView->flow(), QListView::TopToBottom);
    // Navigation works the same in the icon views.
    FocusList();
    Form().IconView->setCurrentIndex(Form().ListModel().index(RowOf(QStringLiteral("Doom")), 0));
    QTest::keyClick(Form().IconView, Qt::Key_Return);
    QCOMPARE(tree_->Selected(), s_->doom);
    DoubleClickRow(0);
    QCOMPARE(tree_->Selected(), s_->games);
    Action("MenuDetails")->trigger();
    QVERIFY(Form().ListView->isVisible());
  }

  void StatusBarFollowsFocusAndSelection() {
    Form().SelectNode(s_->games);
    QCOMPARE(Form().StatusItem->text(),
             QStringLiteral("Games (folder), 4.88 kB in 2 subfolders, 2 files"));
    QCOMPARE(Form().StatusSelection->text(), QString());
    Action("MenuSort1a")->trigger();
    FocusList();
    int b = RowOf(QStringLiteral("b.exe"));
    Form().ListView->setCurrentIndex(Form().ListModel().index(b, 0));
    QCOMPARE(Form().StatusItem->text(), QStringLiteral("b.exe, 300 B, (unknown)"));
    QCOMPARE(Form().StatusSelection->text(), QStringLiteral("Selected: 1 item, 300 B"));
    QTest::keyClick(Form().ListView, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Form().StatusSelection->text(), QStringLiteral("Selected: 2 items, 400 B"));
    Screenshot(&Form(), QStringLiteral("main-details"));
    Form().DBTree->setFocus();
    QTRY_COMPARE(Form().StatusSelection->text(), QString());
    QCOMPARE(Form().StatusItem->text().left(5), QStringLiteral("Games"));
  }

  void ModifiedCatalogEnablesSave() {
    QSignalSpy save(&Form(), &TMainForm::SaveEnabledChanged);
    Form().SelectNode(s_->games);
    QCOMPARE(save.last().at(0).toBool(), false);
    SetDiskChanged(s_->games, true);
    QCOMPARE(Form().StatusState->text(), QStringLiteral("Modified"));
    QCOMPARE(save.last().at(0).toBool(), true);
  }

  void StatusLightAndBusyText() {
    Form().ShowStatusText("Working...", 3);
    QVERIFY(Form().Busy());
    QCOMPARE(Form().StatusItem->text(), QStringLiteral("Working..."));
    QCOMPARE(Form().StatusLight->property("light").toInt(), 1);
    QVERIFY(QApplication::overrideCursor());
    Form().ShowStatusText({}, 0);
    QVERIFY(!Form().Busy());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(Form().StatusLight->property("light").toInt(), 0);
    tree_->SearchRunning = true;
    Form().ShowStatusText({}, 0);
    QCOMPARE(Form().StatusLight->property("light").toInt(), 2);
    tree_->SearchRunning = false;
    Form().ShowStatusText("Quiet", 2);
    QVERIFY(!QApplication::overrideCursor());
    Form().ShowStatusText({}, 0);
  }

  void StatusPanelsShareTheWidth() {
    Form().resize(1000, 600);
    QTRY_COMPARE(Form().StatusItem->width(),
                 StatusPanelWidths(Form().statusBar()->width()).Panel1);
    QCOMPARE(Form().StatusSelection->width(),
             StatusPanelWidths(Form().statusBar()->width()).Panel2);
    QCOMPARE(Form().StatusState->width(), StatusPanel0Width);
    Form().resize(600, 600);  // the window can shrink; the panels follow
    QTRY_VERIFY(Form().width() < 1000);
    QTRY_COMPARE(Form().StatusItem->width(),
                 StatusPanelWidths(Form().statusBar()->width()).Panel1);
  }

  void DescriptionHints() {
    Action("MenuDetails")->trigger();
    Form().SelectNode(s_->games);
    Action("MenuSort1a")->trigger();
    QWidget* vp = Form().ListView->viewport();
    auto hintAt = [&](int row) {
      QToolTip::hideText();
      (void)QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000);
      QPoint p = RowRect(row).center();
      QHelpEvent e(QEvent::ToolTip, p, vp->mapToGlobal(p));
      QApplication::sendEvent(vp, &e);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QString hint = hintAt(RowOf(QStringLiteral("b.exe")));
    QVERIFY2(hint.contains(QStringLiteral("The game")), qPrintable(hint));
    QVERIFY(hint.contains(QStringLiteral("second line")));
    QCOMPARE(hintAt(RowOf(QStringLiteral("a.txt"))), QString());  // no description, no hint
    QVERIFY(hintAt(0).contains(QStringLiteral("Back to root of Disk A")));
    Settings([](TOptions& o) { o.DescAsTipsCheck = false; });
    QCOMPARE(hintAt(RowOf(QStringLiteral("b.exe"))), QString());
    QToolTip::hideText();
  }

  void HintTimingsFollowTheSettingsOverTreeAndListsElsewhereFixed() {
    Settings([](TOptions& o) {
      o.DescWaitBar = 3;
      o.DescHideBar = 0;
    });
    QWidget* button = Form().ToolBar->findChild<QToolButton*>(QStringLiteral("ButtonOpen"));
    struct {
      QWidget* Control;
      int WakeUp, FallAsleep;
    } cases[] = {
        {Form().ListView->viewport(), 300, 201},
        {Form().IconView->viewport(), 300, 201},
        {Form().DBTree->viewport(), 300, 201},
        {button, 800, 50},
        {Form().StatusItem, 800, 50},
        {Form().DBTree, 800, 50},  // the frame around the nodes
    };
    for (const auto& c : cases) {
      QStyle* style = c.Control->style();
      QCOMPARE(style->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, c.Control), c.WakeUp);
      QCOMPARE(style->styleHint(QStyle::SH_ToolTip_FallAsleepDelay, nullptr, c.Control),
               c.FallAsleep);
    }
    // An ordinary hint goes after 2.5 seconds.
    QPoint p = button->rect().center();
    QHelpEvent e(QEvent::ToolTip, p, button->mapToGlobal(p));
    QApplication::sendEvent(button, &e);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Open Catalog"));
    QCOMPARE(button->toolTipDuration(), 2500);
    QToolTip::hideText();
  }

  void TreeFoldersOpenWhenSelected() {
    QModelIndex games = Form().TreeModel().IndexOf(s_->games);
    QIcon closed = games.data(Qt::DecorationRole).value<QIcon>();
    Form().SelectNode(s_->games);
    QIcon open = games.data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(closed.cacheKey() != open.cacheKey());
    Form().SelectNode(s_->doom);
    QCOMPARE(games.data(Qt::DecorationRole).value<QIcon>().cacheKey(), closed.cacheKey());
    QModelIndex cat = Form().TreeModel().IndexOf(s_->cat);
    QVERIFY(cat.data(Qt::FontRole).value<QFont>().bold());
  }

  void RemovingTheShownDiskMovesOn() {
    Form().SelectNode(s_->games);
    DeleteItemNode(s_->diskA);
    QCOMPARE(tree_->Selected(), s_->diskB);
    QCOMPARE(Form().ListModel().rowCount(), 0);  // Disk B holds nothing
    QCOMPARE(Form().TreeModel().rowCount(Form().TreeModel().IndexOf(s_->cat)), 1);
    s_->diskA = s_->games = s_->doom = s_->empty = s_->mixed = nullptr;
    DeleteItemNode(s_->cat);
    QCOMPARE(tree_->Selected(), nullptr);
    QCOMPARE(Form().StatusState->text(), QStringLiteral("Empty"));
    QVERIFY(!Action("MenuBackLevel")->isEnabled());
  }

  void ViewStateForTheNextRun() {
    Form().SelectNode(s_->games);
    Form().SetSortState(3, SortByName, true);
    QCOMPARE(Rows(), QStringList({"..", "Doom", "Arcade", "b.exe", "a.txt"}));  // a full sort
    QVERIFY(Action("MenuReverseSort")->isChecked());
    Form().SelectNode(s_->cat);
    QCOMPARE(Form().Items().CurrentKey(s_->cat), 3);
    Form().SetSortState(99, -4, false);
    QCOMPARE(Form().Items().DiskSortKey, DiskSortKeyCount - 1);
    QCOMPARE(Form().Items().FileSortKey, 0);
    Form().SetTreePaneWidth(260);
    QCOMPARE(Form().TreePaneWidth(), 260);
    Form().SetViewStyle(ViewSmallIcons);
    QCOMPARE(Form().ViewStyle(), int(ViewSmallIcons));
    Form().SetViewStyle(7);
    QCOMPARE(Form().ViewStyle(), int(ViewDetails));
  }

  void UpdateLockKeepsTheList() {
    Form().SelectNode(s_->games);
    QStringList rows = Rows();
    Form().LockUpdates();
    Form().LockUpdates();
    Form().SelectNode(s_->mixed);
    QCOMPARE(Rows(), rows);
    Form().UnlockUpdates();
    Form().UnlockUpdates();
    Form().UnlockUpdates();  // never below 0
    QCOMPARE(Form().UpdateLock(), 0);
    Form().LoadItemList(tree_->Selected());
    QVERIFY(Rows().contains(QStringLiteral("b.zip")));
  }
};

// A catalog read from its file: levels and lists come in as they are shown.
class MainFormFileTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void CaptionAndEmptyStart() {
    TCatalogTree tree;
    TScriptedPrompts prompts;
    TMainForm form(tree, prompts);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("Tallowfen"));
    QCOMPARE(form.StatusState->text(), QStringLiteral("Empty"));
    QCOMPARE(form.StatusItem->text(), QString());
    QVERIFY(!form.MenuBackLevel->isEnabled());
    QVERIFY(!form.MenuDetails->isEnabled());  // no items: no view commands
    QVERIFY(!form.ButtonSort[0]->isEnabled());
    QCOMPARE(form.ButtonSort[1]->text(), QStringLiteral("Sort by Media Type"));
    QCOMPARE(form.ListModel().rowCount(), 0);
    // A catalog added is shown expanded but not selected.
    TNode* cat = form.AddCatalogNode(MakeNode("New", new TCatalogRec));
    QVERIFY(form.DBTree->isExpanded(form.TreeModel().IndexOf(cat)));
    form.SelectNode(cat);
    QCOMPARE(form.StatusState->text(), QStringLiteral("Loaded"));
    QCOMPARE(form.StatusItem->text(), QStringLiteral("New (no filename), total disks: 0"));
  }

  void FoldersAndFilesAreReadWhenShown() {
    TTempDir dir;
    std::string path = dir.File("c.ctf");
    {
      TCatalogTree built;
      TSample s(built);
      WriteCatalogFile(s.cat, path, NoProgress());
    }
    TCatalogTree tree;
    TScriptedPrompts prompts;
    TMainForm form(tree, prompts);
    QAbstractItemModelTester tester(&form.TreeModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    form.show();
    TNode* cat = form.AddCatalogNode(ReadCatalogFile(path));
    QVERIFY(form.DBTree->isExpanded(form.TreeModel().IndexOf(cat)));
    TNode* diskA = cat->Child(0);
    form.DBTree->expand(form.TreeModel().IndexOf(diskA));
    TNode* games = diskA->Child(0);
    QCOMPARE(games->Caption, std::string("Games"));
    QCOMPARE(games->ChildCount(), 0);
    QVERIFY(form.TreeModel().hasChildren(form.TreeModel().IndexOf(games)));
    form.ExpandNode(games);  // reads the next level
    QCOMPARE(games->ChildCount(), 2);
    QVERIFY(games->Expanded);
    form.DBTree->collapse(form.TreeModel().IndexOf(games));
    QVERIFY(!games->Expanded);
    QCOMPARE(form.TreeModel().rowCount(form.TreeModel().IndexOf(games)), 2);
    TNode* mixed = diskA->Child(2);
    QVERIFY(!FilesLoaded(mixed->Record));
    form.SelectNode(mixed);  // reads its subfolders and files
    QVERIFY(FilesLoaded(mixed->Record));
    QCOMPARE(form.ListModel().rowCount(), 6);
    QCOMPARE(form.ListModel().index(0, 0).data().toString(), QStringLiteral(".."));
    QCOMPARE(QString::fromStdString(CheckTree(tree)), QString());
  }

  void DamagedListIsReportedAndFoldersStay() {
    TTempDir dir;
    std::string path = dir.File("c.ctf");
    {
      TCatalogTree built;
      TSample s(built);
      WriteCatalogFile(s.cat, path, NoProgress());
    }
    TCatalogTree tree;
    TScriptedPrompts prompts;
    TMainForm form(tree, prompts);
    form.show();
    TNode* cat = form.AddCatalogNode(ReadCatalogFile(path));
    TNode* games = cat->Child(0)->Child(0);
    static_cast<TFolderRec*>(games->Record)->FilesLength = 1 << 30;
    form.SelectNode(games);
    QCOMPARE(prompts.Log.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(prompts.Log[0].Title), QStringLiteral("Catalog error"));
    QCOMPARE(QString::fromStdString(prompts.Log[0].Text),
             QString::fromStdString(path + "\n\r" + MsgStructureError));
    QCOMPARE(prompts.Log[0].Icon, TIcon::Error);
    QCOMPARE(form.ListModel().rowCount(), 3);  // "..", Arcade, Doom
    QVERIFY(!form.Busy());
  }

  void StoredWindowsNamesAreShownAsUtf8() {
    TCatalogTree tree;
    TScriptedPrompts prompts;
    TMainForm form(tree, prompts);
    TNode* disk = AddDisk(AddCatalog(tree, "C"), "D");
    AddFile(disk, "caf\xE9.txt", 1);
    form.SelectNode(disk);
    QCOMPARE(form.ListModel().index(0, 0).data().toString(), QStringLiteral("caf\u00E9.txt"));
    QCOMPARE(form.ListModel().index(0, 1).data().toString(), QStringLiteral("txt"));
    QCOMPARE(form.ListModel().index(0, 2).data(Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(form.ListModel().index(5, 0).data().toString(), QString());
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int status = 0;
  {
    MainFormTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    MainFormFileTest t;
    status |= QTest::qExec(&t, argc, argv);
  }
  return status;
}

#include "MainFormTest.moc"
