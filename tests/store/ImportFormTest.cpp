// The import window over a folder of databases written byte by byte: the list of *.dsk
// files, what the labels say for each, when OK may be pressed, and the folder chooser.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "store/ImportForm.h"
#include "store/KestrevaneDatabase.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

namespace {

// A folder with a good database, one of 80 bytes, one without its comment file, and files
// that are no databases.
struct TFolder {
  test::TTempDir dir;
  TFolder() {
    test::TDatabase good;
    good.Disk(1, 1457664, 0, 2, "ONE").Disk(2, 1457664, 0, 2, "TWO");
    good.Write(dir, "ARCHIVE");
    test::TDatabase odd = good;
    odd.Dsk += "xy";
    odd.Write(dir, "odd", true);
    test::TDatabase bare = good;
    bare.WithCmt = false;
    bare.Write(dir, "Bare");
    std::filesystem::rename(dir.File("Bare.DSK"), dir.File("Bare.Dsk"));
    test::WriteBytes(dir.File("notes.txt"), "x");
    std::filesystem::create_directory(dir.File("sub.dsk.d"));
  }
};

int RowOf(TImportForm& f, const QString& name) {
  for (int i = 0; i < f.FileList->count(); ++i)
    if (f.FileList->item(i)->text() == name) return i;
  return -1;
}

}  // namespace

class ImportFormTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ListsTheDatabasesAndChecksTheSelected() {
    TFolder folder;
    TImportForm f;
    f.SetFolder(QString::fromStdString(folder.dir.Path().string()));
    QCOMPARE(f.windowTitle(), QStringLiteral("Import from Kestrevane"));
    QCOMPARE(f.CancelBtn->text(), QStringLiteral("C&ancel"));
    QStringList names;
    for (int i = 0; i < f.FileList->count(); ++i) names << f.FileList->item(i)->text();
    QCOMPARE(names, (QStringList{"ARCHIVE.DSK", "Bare.Dsk", "odd.dsk"}));
    QCOMPARE(f.NameLabel->text(), QStringLiteral("(no database selected)"));
    QVERIFY(!f.OKBtn->isEnabled());

    struct TCase {
      const char* File;
      const char* Name;
      const char* Count;
      bool Ok;
    };
    const TCase cases[] = {
        {"ARCHIVE.DSK", "Old Archive", "Disks in database: 2", true},
        {"odd.dsk", "(not Kestrevane database)", "", false},
        {"Bare.Dsk", "(invalid Kestrevane database)", "", false},
    };
    for (const TCase& c : cases) {
      f.FileList->setCurrentRow(RowOf(f, QLatin1String(c.File)));
      QCOMPARE(f.NameLabel->text(), QLatin1String(c.Name));
      QCOMPARE(f.CountLabel->text(), QLatin1String(c.Count));
      QCOMPARE(f.OKBtn->isEnabled(), c.Ok);
    }
    f.FileList->setCurrentRow(RowOf(f, QStringLiteral("ARCHIVE.DSK")));
    QCOMPARE(QString::fromStdString(f.SelectedDatabase()),
             QString::fromStdString(folder.dir.File("ARCHIVE.DSK")));
    f.show();
    test::Screenshot(&f, QStringLiteral("import-from-kestrevane"));
  }

  void DoubleClickPressesOkOnlyForAValidDatabase() {
    TFolder folder;
    TImportForm f;
    f.SetFolder(QString::fromStdString(folder.dir.Path().string()));
    f.show();
    QSignalSpy accepted(&f, &QDialog::accepted);
    f.FileList->setCurrentRow(RowOf(f, QStringLiteral("odd.dsk")));
    f.FileListDblClick(f.FileList->currentItem());
    QCOMPARE(accepted.count(), 0);
    f.FileList->setCurrentRow(RowOf(f, QStringLiteral("ARCHIVE.DSK")));
    f.FileListDblClick(f.FileList->currentItem());
    QCOMPARE(accepted.count(), 1);
  }

  void FolderChooserAndTypedFolders() {
    TFolder folder;
    test::TTempDir empty;
    TImportForm f;
    QString chosen = QString::fromStdString(folder.dir.Path().string());
    QString started;
    f.ChooseFolder = [&](const QString& start) {
      started = start;
      return chosen;
    };
    f.SetFolder(QString::fromStdString(empty.Path().string()));
    QCOMPARE(f.FileList->count(), 0);
    QTest::mouseClick(f.FolderBrowseBtn, Qt::LeftButton);
    QCOMPARE(started, QString::fromStdString(empty.Path().string()));
    QCOMPARE(f.FileList->count(), 3);
    // Cancelled: nothing changes.
    chosen.clear();
    QTest::mouseClick(f.FolderBrowseBtn, Qt::LeftButton);
    QCOMPARE(f.FileList->count(), 3);
    // A typed folder that does not exist gives the shown one back.
    f.FolderEdit->setText(QStringLiteral("/no/such/folder"));
    f.FolderEditExit();
    QCOMPARE(f.FolderEdit->text(), QString::fromStdString(folder.dir.Path().string()));
    f.FolderEdit->setText(QString::fromStdString(empty.Path().string()));
    f.FolderEditExit();
    QCOMPARE(f.FileList->count(), 0);
    QCOMPARE(f.NameLabel->text(), QStringLiteral("(no database selected)"));
  }
};

QTEST_MAIN(ImportFormTest)
#include "ImportFormTest.moc"
