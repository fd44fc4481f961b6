// The main window's "&Report Generator" and "&Import from Kestrevane": where the commands
// stand, when they are enabled, and what they do, answered like a user.

#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "browse/Main.h"
#include "platform/ScriptedPrompts.h"
#include "report/ReportForm.h"
#include "store/ImportForm.h"
#include "store/KestrevaneDatabase.h"
#include "support/TestSupport.h"

using namespace tf;

namespace {

void OnModal(std::function<void(QWidget*)> f) {
  QTimer::singleShot(0, [f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) qFatal("no modal window");
    f(w);
  });
}

struct TWindow {
  TCatalogTree tree;
  TScriptedPrompts prompts;
  std::unique_ptr<TMainForm> form = std::make_unique<TMainForm>(tree, prompts);
  ~TWindow() {
    form.reset();
    tree.Clear();
  }
};

}  // namespace

class MainReportTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void CommandsStandInTheFileMenuAndTheToolbar() {
    TWindow w;
    TMainForm& f = *w.form;
    QStringList file;
    for (QAction* a : f.MenuFile->actions())
      if (!a->isSeparator()) file << a->text();
    QVERIFY(file.indexOf("&Import from Kestrevane") > file.indexOf("Close All"));
    QVERIFY(file.indexOf("&Report Generator") > file.indexOf("Close All"));
    QCOMPARE(f.MenuReportGen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QCOMPARE(f.MenuReportGen->toolTip(), QStringLiteral("Generate Report"));
    QVERIFY(f.ToolBar->findChild<QWidget*>(QStringLiteral("ButtonPrint")));
    QVERIFY(f.ToolBar->actions().contains(f.MenuReportGen));
    // The report wants a catalog; the import does not.
    QVERIFY(!f.MenuReportGen->isEnabled());
    QVERIFY(f.MenuImport->isEnabled());
    TNode* cat = test::AddCatalog(w.tree, "Work");
    f.UpdateActions(true);
    QVERIFY(f.MenuReportGen->isEnabled());
    f.SelectNode(cat);
  }

  void ReportOfTheSelectionAndOfAWindowsList() {
    TWindow w;
    TMainForm& f = *w.form;
    test::TTempDir dir;
    TNode* cat = test::AddCatalog(w.tree, "Work");
    TNode* disk = test::AddDisk(cat, "Docs");
    TFileRec* file = test::AddFile(disk, "listed.txt", 5);
    test::AddFile(disk, "other.txt", 6);
    f.UpdateActions(true);
    f.SelectNode(disk);
    std::string path = dir.File("docs.txt");
    OnModal([&](QWidget* modal) {
      auto* form = qobject_cast<TReportForm*>(modal);
      QVERIFY(form);
      QVERIFY(form->SourceCatalog->isChecked());
      QVERIFY(!form->SourceUser->isEnabled());
      form->DetailsCombo->setCurrentText(QStringLiteral("Full Details"));
      form->FileName->setText(QString::fromStdString(path));
      QTest::mouseClick(form->OKBtn, Qt::LeftButton);
    });
    f.MenuReportGen->trigger();
    std::string text = test::ReadBytes(path);
    QVERIFY(text.find("listed.txt") != std::string::npos);
    QVERIFY(text.find("other.txt") != std::string::npos);

    // The user list's button: its list, chosen at once.
    f.ReportUserList = [file] { return std::vector<TItemRec*>{file}; };
    path = dir.File("users.txt");
    OnModal([&](QWidget* modal) {
      auto* form = qobject_cast<TReportForm*>(modal);
      QVERIFY(form->SourceUser->isChecked());
      form->FileName->setText(QString::fromStdString(path));
      QTest::mouseClick(form->OKBtn, Qt::LeftButton);
    });
    f.ButtonPrintClick(TReportSource::UserList);
    text = test::ReadBytes(path);
    QVERIFY(text.find("listed.txt") != std::string::npos);
    QVERIFY(text.find("other.txt") == std::string::npos);
    QCOMPARE(f.ReportWindow()->Level(), FindDetailLevel("Full Details"));  // kept
  }

  void ImportAsksThenAddsTheCatalog() {
    TWindow w;
    TMainForm& f = *w.form;
    test::TTempDir dir;
    test::TDatabase db;
    db.Disk(1, 1457664, 0, 2, "SYSTEM").Entry(1, "COMMAND.COM", 100, 0x20);
    db.Write(dir);

    // No: nothing more.
    w.prompts.Answers.push_back(TAnswer::No);
    f.MenuImport->trigger();
    QCOMPARE(QString::fromStdString(w.prompts.Log.at(0).Title), QStringLiteral("Kestrevane Import"));
    QVERIFY(w.prompts.Log.at(0).Text.starts_with("Tallowfen can import catalog data"));
    QCOMPARE(w.prompts.Log.at(0).Buttons, TButtons::YesNo);
    QCOMPARE(w.prompts.Log.at(0).Icon, TIcon::Question);
    QCOMPARE(f.ImportWindow(), nullptr);

    w.prompts.Answers.push_back(TAnswer::Yes);
    OnModal([&](QWidget* modal) {
      auto* form = qobject_cast<TImportForm*>(modal);
      QVERIFY(form);
      form->SetFolder(QString::fromStdString(dir.Path().string()));
      form->FileList->setCurrentRow(0);
      QTest::mouseClick(form->OKBtn, Qt::LeftButton);
    });
    f.MenuImport->trigger();
    QCOMPARE(w.tree.CatalogCount(), 1);
    TNode* cat = w.tree.Catalog(0);
    QCOMPARE(QString::fromStdString(cat->Caption), QStringLiteral("Old Archive"));
    QCOMPARE(w.tree.Selected(), cat);
    QVERIFY(cat->Expanded);
    QVERIFY(static_cast<TCatalogRec*>(cat->Record)->Modified);
    QVERIFY(f.MenuSave->isEnabled());
    QVERIFY(f.MenuReportGen->isEnabled());
    QCOMPARE(test::CheckTree(w.tree), std::string());
  }
};

QTEST_MAIN(MainReportTest)
#include "MainReportTest.moc"
