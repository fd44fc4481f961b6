// The Report Generator window, driven like a user: the choices it enables, the columns list
// and its table, the file name rules, and the reports it writes from each source.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/ScriptedPrompts.h"
#include "report/ReportDesk.h"
#include "report/ReportForm.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

namespace {

// Runs f on the next modal window that opens.
void OnModal(std::function<void(QWidget*)> f) {
  QTimer::singleShot(0, [f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) qFatal("no modal window");
    f(w);
  });
}

struct TReportDesk {
  test::TDesk desk;
  test::TTempDir dir;
  TScriptedPrompts prompts;
  TRecordVector search{TListKind::Search};
  TRecordVector users{TListKind::UserList};
  std::unique_ptr<TReportForm> form;
  TReportDesk() {
    TReportForm::TServices s{desk.tree, prompts, NoProgress(), {}, {}, {}};
    form = std::make_unique<TReportForm>(std::move(s));
  }
  ~TReportDesk() {
    desk.tree.SetList(TListKind::Search, nullptr);
    desk.tree.SetList(TListKind::UserList, nullptr);
    search.Clear();
    users.Clear();
  }
  QStringList Captions() const {
    QStringList out;
    for (int i = 0; i < form->DetailsList->count(); ++i) {
      QListWidgetItem* item = form->DetailsList->item(i);
      out << (item->checkState() == Qt::Checked ? "+" : "-") + item->text();
    }
    return out;
  }
};

}  // namespace

class ReportFormTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ControlsAtTheFirstShowing() {
    TReportDesk d;
    TReportForm& f = *d.form;
    f.FormShow(TReportSource::CatalogItem);
    QCOMPARE(f.windowTitle(), QStringLiteral("Report Generator"));
    QCOMPARE(f.RadioButton1->text(), QStringLiteral("Printer:"));
    QVERIFY(!f.RadioButton1->isEnabled());
    QVERIFY(!f.SelectPrinterBtn->isEnabled());
    QCOMPARE(f.PrinterNote->text(), QStringLiteral("(not implemented yet)"));
    QVERIFY(f.RadioButton2->isChecked());
    QVERIFY(f.SourceCatalog->isChecked());
    QVERIFY(!f.SourceSearch->isEnabled());
    QVERIFY(!f.SourceUser->isEnabled());
    QCOMPARE(f.DetailsCombo->count(), DetailLevelCount);
    QCOMPARE(f.DetailsCombo->currentText(), QStringLiteral("Catalogs, Disks and Folders"));
    QCOMPARE(d.Captions(), (QStringList{"+Folder name", "+Folder path", "+Extension",
                                        "+Folder size", "+Date", "+Time", "+Attr",
                                        "+Description", "+Location"}));
    QVERIFY(f.LayoutColumns->isChecked());
    QVERIFY(f.SeparateSubfolders->isEnabled());
    QVERIFY(f.UseTabs->isEnabled());
    f.FileName->setText(QString::fromStdString(d.dir.File("report.txt")));
    f.show();
    test::Screenshot(&f, QStringLiteral("report-generator"));
  }

  void ChoicesFollowSourcesLevelsAndLayout() {
    TReportDesk d;
    TReportForm& f = *d.form;
    // A list counts when its window exists and it has items; the search results not while a
    // search runs.
    struct TCase {
      bool Search, SearchItems, Running, Users, UserItems;
      TReportSource From;
      bool SearchOn, UserOn;
      QRadioButton* TReportForm::*Chosen;
    };
    const TCase cases[] = {
        {true, true, false, true, true, TReportSource::SearchResults, true, true,
         &TReportForm::SourceSearch},
        {true, true, true, true, true, TReportSource::SearchResults, false, true,
         &TReportForm::SourceCatalog},
        {true, false, false, true, true, TReportSource::UserList, false, true,
         &TReportForm::SourceUser},
        {false, false, false, true, false, TReportSource::UserList, false, false,
         &TReportForm::SourceCatalog},
        {true, true, false, true, true, TReportSource::CatalogItem, true, true,
         &TReportForm::SourceCatalog},
    };
    for (const TCase& c : cases) {
      d.search.Clear();
      d.users.Clear();
      if (c.SearchItems) d.search.Add(d.desk.a);
      if (c.UserItems) d.users.Add(d.desk.docs->Record);
      d.desk.tree.SetList(TListKind::Search, c.Search ? &d.search : nullptr);
      d.desk.tree.SetList(TListKind::UserList, c.Users ? &d.users : nullptr);
      d.desk.tree.SearchRunning = c.Running;
      f.FormShow(c.From);
      QCOMPARE(f.SourceSearch->isEnabled(), c.SearchOn);
      QCOMPARE(f.SourceUser->isEnabled(), c.UserOn);
      QVERIFY((f.*c.Chosen)->isChecked());
    }
    d.desk.tree.SearchRunning = false;

    // "Separate subfolders": folder levels of a catalog item only.
    f.FormShow(TReportSource::CatalogItem);
    const std::pair<const char*, bool> levels[] = {
        {"Disks and Folders", true}, {"Folders only", true}, {"Full Details", false},
        {"Disks only", false}};
    for (auto [level, on] : levels) {
      f.DetailsCombo->setCurrentText(QLatin1String(level));
      QCOMPARE(f.SeparateSubfolders->isEnabled(), on);
    }
    f.DetailsCombo->setCurrentText(QStringLiteral("Folders only"));
    f.SourceUser->setChecked(true);
    QVERIFY(!f.SeparateSubfolders->isEnabled());
    f.LayoutList->setChecked(true);
    QVERIFY(!f.UseTabs->isEnabled());
    f.LayoutColumns->setChecked(true);
    QVERIFY(f.UseTabs->isEnabled());
  }

  void ColumnListKeepsTheUsersChoices() {
    TReportDesk d;
    TReportForm& f = *d.form;
    f.DetailsCombo->setCurrentText(QStringLiteral("Disks only"));
    QCOMPARE(d.Captions(), (QStringList{"+Disk name", "+Media type", "+Capacity", "+Free space",
                                        "+Last Updated", "+Description", "+Catalog Name"}));
    // A click stores the check mark; a double click toggles it.
    f.DetailsList->item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(!f.Columns().Slot(3, 1).Checked);
    f.DetailsListDblClick(f.DetailsList->item(2));
    QVERIFY(!f.Columns().Slot(3, 2).Checked);
    // Up and Down move the selected entry in the list and in the table; it stays selected.
    f.DetailsList->setCurrentRow(2);
    QTest::mouseClick(f.ButtonUp, Qt::LeftButton);
    QCOMPARE(f.DetailsList->currentRow(), 1);
    QTest::mouseClick(f.ButtonUp, Qt::LeftButton);
    QTest::mouseClick(f.ButtonUp, Qt::LeftButton);  // at the top already
    QCOMPARE(f.DetailsList->currentRow(), 0);
    f.DetailsList->setCurrentRow(6);
    QTest::mouseClick(f.ButtonDown, Qt::LeftButton);  // at the bottom already
    QCOMPARE(f.DetailsList->currentRow(), 6);
    QCOMPARE(d.Captions(), (QStringList{"-Capacity", "+Disk name", "-Media type", "+Free space",
                                        "+Last Updated", "+Description", "+Catalog Name"}));
    // Another level of the same set keeps the list; another set shows its own, and coming
    // back shows the choices made.
    f.DetailsCombo->setCurrentText(QStringLiteral("Catalogs and Disks"));
    QCOMPARE(d.Captions().first(), QStringLiteral("-Capacity"));
    f.DetailsCombo->setCurrentText(QStringLiteral("Catalogs only"));
    QCOMPARE(d.Captions(), (QStringList{"+Catalog name", "+Total catalog size", "+Disks in catalog"}));
    QTest::mouseClick(f.ButtonClear, Qt::LeftButton);
    QCOMPARE(d.Captions(), (QStringList{"-Catalog name", "-Total catalog size", "-Disks in catalog"}));
    f.DetailsCombo->setCurrentText(QStringLiteral("Disks only"));
    QCOMPARE(d.Captions(), (QStringList{"-Capacity", "+Disk name", "-Media type", "+Free space",
                                        "+Last Updated", "+Description", "+Catalog Name"}));
    QTest::mouseClick(f.ButtonAll, Qt::LeftButton);
    for (int slot = 0; slot < 7; ++slot) QVERIFY(f.Columns().Slot(3, slot).Checked);
    QVERIFY(!f.Columns().Slot(4, 0).Checked);
  }

  void FileNameRulesAndTheEmptyName() {
    TReportDesk d;
    TReportForm& f = *d.form;
    f.FileName->setText(QStringLiteral("inventory"));
    f.FileNameExit();
    QCOMPARE(f.FileName->text(),
             QString::fromStdString((std::filesystem::current_path() / "inventory.txt").string()));
    // Browse: the save dialog on the current name, its choice into the field.
    d.prompts.SaveChoices.push_back(d.dir.File("chosen.txt"));
    QTest::mouseClick(f.FileBrowseBtn, Qt::LeftButton);
    QCOMPARE(f.FileName->text(), QString::fromStdString(d.dir.File("chosen.txt")));
    QCOMPARE(d.prompts.Log.back().Kind, TPromptRecord::Save);
    // An empty name keeps the window open with the message.
    f.FileName->clear();
    f.FormShow(TReportSource::CatalogItem);
    f.show();
    QTest::mouseClick(f.OKBtn, Qt::LeftButton);
    QVERIFY(f.isVisible());
    QCOMPARE(QString::fromStdString(test::Shown(d.prompts.Log.back())),
             QStringLiteral("Empty Filename Field | Please enter a valid filename for report file. "
                            "| Ok | Warning"));
    f.hide();
  }

  void OkWritesTheReportCancelDoesNot() {
    TReportDesk d;
    TReportForm& f = *d.form;
    d.desk.tree.Select(d.desk.old);
    std::string path = d.dir.File("catalog.txt");
    OnModal([&](QWidget*) {
      f.DetailsCombo->setCurrentText(QStringLiteral("Catalogs only"));
      f.FileName->setText(QString::fromStdString(path));
      QTest::mouseClick(f.OKBtn, Qt::LeftButton);
    });
    QVERIFY(f.Open(TReportSource::CatalogItem));
    std::string text = test::ReadBytes(path);
    QVERIFY(text.find("Work                     589 MB                2 ") != std::string::npos);

    // Cancel writes nothing.
    OnModal([&](QWidget*) { QTest::mouseClick(f.CancelBtn, Qt::LeftButton); });
    std::filesystem::remove(path);
    QVERIFY(!f.Open(TReportSource::CatalogItem));
    QVERIFY(!std::filesystem::exists(path));
  }
};

QTEST_MAIN(ReportFormTest)
#include "ReportFormTest.moc"
