// The Description Assistant driven like a user, over a test drive that holds the medium.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/ScriptedPrompts.h"
#include "platform/TestDrives.h"
#include "scan/DescAssist.h"
#include "scan/DescFiles.h"
#include "scan/ScriptedMediaPrompt.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

class DescAssistTest : public QObject {
  Q_OBJECT

  struct TFixture {
    test::TTempDir dir;
    TTestDrives drives;
    TScriptedPrompts prompts;
    TScriptedMediaPrompt media;
    TMediaDetector detector{drives, prompts, media};
    TCatalogTree tree;
    TNode* disk = nullptr;
    TNode* game = nullptr;
    TDescAssistForm form{detector, drives, prompts, NoProgress(), [] {
                           TDescAssistForm::TSearchSettings s;
                           s.Masks = SplitMasks(DefaultDescMasks);
                           s.Subfolders = true;
                           s.MaxLevels = 2;
                           return s;
                         }};

    TFixture() {
      // The medium: E:\GAME with a README.TXT and, in DOCS, a FILE_ID.DIZ.
      std::filesystem::create_directories(dir.Path() / "GAME" / "DOCS");
      test::WriteBytes(dir.File("GAME/README.TXT"), "Read me\r\nplease");
      test::WriteBytes(dir.File("GAME/DOCS/FILE_ID.DIZ"), "\xC9\xCD\xBB Cool game");
      disk = test::AddDisk(test::AddCatalog(tree, "C"), "Games CD");
      auto* d = static_cast<TDiskRec*>(disk->Record);
      d->MediaType = 10;
      d->VolumeLabel = "Games";
      d->SerialNumber = 0x1234;
      d->TotalClusters = 1000;
      game = test::AddFolder(disk, "GAME");
      test::AddFile(game, "Readme.txt", 15);
      test::AddFile(game, "Setup.exe", 100);
      test::AddFile(game, "Gone.txt", 1);  // catalogued, but no longer on the medium
      TNode* docs = test::AddFolder(game, "DOCS");
      test::AddFile(docs, "File_id.diz", 14);
    }
    void Insert() {
      TTestDrive& e = drives.Add('E', TDriveType::CdRom);
      e.Volume.Label = "Games";
      e.Volume.Serial = 0x1234;
      e.Volume.FileSystem = "CDFS";
      e.Geometry = {1, 2048, 0, 1000};
      e.Root = dir.Path().string();
    }
    QComboBox* Files() { return form.findChild<QComboBox*>(QStringLiteral("FilesCombo")); }
    QPlainTextEdit* Desc() { return form.findChild<QPlainTextEdit*>(QStringLiteral("DescMemo")); }
  };

 private Q_SLOTS:
  void FindsDescriptionFilesByPriority() {
    TFixture f;
    f.Insert();
    f.form.Open(f.game, nullptr);
    QCOMPARE(f.Files()->count(), 3);
    QCOMPARE(f.Files()->itemText(0), QStringLiteral(".\\DOCS\\File_id.diz"));
    QCOMPARE(f.Files()->itemText(1), QStringLiteral("Readme.txt"));
    QCOMPARE(f.Files()->itemText(2), QStringLiteral("Gone.txt"));
    QVERIFY(f.form.FileText().contains(QStringLiteral("\u2554\u2550\u2557 Cool game")));
    QVERIFY(!f.form.findChild<QPushButton*>(QStringLiteral("GetFilesBtn"))->isEnabled());
    f.form.resize(760, 420);
    f.form.show();
    test::Screenshot(&f.form, QStringLiteral("description-assistant"));
    f.Files()->setCurrentIndex(1);
    QCOMPARE(f.form.FileText(), QStringLiteral("Read me\nplease"));
    // A file the catalog lists but the medium lost.
    f.Files()->setCurrentIndex(2);
    QCOMPARE(f.form.FileText(), QStringLiteral("***  Description Assistant: FILE READ ERROR  ***"));
    QCOMPARE(test::Shown(f.prompts.Log.back()),
             std::string("Error Reading File | Can't open file E:\\GAME\\Gone.txt | Ok | Warning"));
  }

  void WaitsForTheMediumUntilGetFiles() {
    TFixture f;
    f.Insert();
    f.drives.SetReady('E', false);  // the drive is there, the disc is not
    f.form.Open(f.game, nullptr);
    QVERIFY(f.media.Asked.empty());  // no question while opening
    QCOMPARE(f.Files()->count(), 0);
    f.media.BeforeAnswer = [&] { f.drives.SetReady('E', true); };
    f.media.Answers.push_back(TMediaAnswer::Ok);
    QTest::mouseClick(f.form.findChild<QPushButton*>(QStringLiteral("GetFilesBtn")), Qt::LeftButton);
    QCOMPARE(f.media.Asked.size(), std::size_t(1));
    QVERIFY(!f.media.Asked[0].MayChooseManually);
    QCOMPARE(f.Files()->count(), 3);
  }

  void ArchiveItemsSearchNothing() {
    TFixture f;
    TNode* zip = test::AddFolder(f.game, "PACK.ZIP");
    SetFlag(zip->Record, InArchive, true);
    test::AddFile(zip, "README.TXT");
    f.form.Open(zip, nullptr);
    QCOMPARE(f.Files()->count(), 1);
    QCOMPARE(f.Files()->itemText(0), QStringLiteral("(folder is compressed, can't access files)"));
    QVERIFY(!f.Files()->isEnabled());
    QVERIFY(f.media.Asked.empty());
  }

  void CancelAsksBeforeDiscardingAndOkStores() {
    TFixture f;
    f.Insert();
    TFileRec* setup = test::Files(f.game)[1];
    QTimer::singleShot(0, &f.form, [&] {
      f.Desc()->setPlainText(QStringLiteral("Installer\nfor the game"));
      f.prompts.Answers.push_back(TAnswer::No);
      QTest::mouseClick(f.form.findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
      QVERIFY(f.form.isVisible());  // No keeps the window
      // OK while a search runs keeps the window and the text until the search is over.
      f.tree.SearchRunning = true;
      QTest::mouseClick(f.form.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
      f.tree.SearchRunning = false;
      QVERIFY(f.form.isVisible());
      QVERIFY(setup->Description.Empty());
      QTest::mouseClick(f.form.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    QVERIFY(f.form.Edit(f.game, setup));
    QCOMPARE(test::Shown(f.prompts.Log.at(0)),
             std::string("Close Form | Discard description changes? | YesNo | Question"));
    QCOMPARE(test::Shown(f.prompts.Log.at(1)),
             std::string("Can't Update Data | Sorry, updating catalog is not possible while search "
                         "is in progress.\rPlease cancel the search or wait for search to finish. | "
                         "Ok | Information"));
    QCOMPARE(setup->Description.Str(), std::string("Installer\r\nfor the game"));
    QVERIFY(HasFlag(f.game->Record, HasFileDescriptions));
    QCOMPARE(int(static_cast<TDiskRec*>(f.disk->Record)->Changed), 1);
  }
};

QTEST_MAIN(DescAssistTest)
#include "DescAssistTest.moc"
