// The Add New Disk window and the scan's wait window, driven like a user over a test drive
// table (and, for folder drives, over the Linux drive backend on a made-up mount table).

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "platform/LinuxDrives.h"
#include "platform/MemorySettings.h"
#include "platform/ScriptedPrompts.h"
#include "platform/TestDrives.h"
#include "scan/AddDiskForm.h"
#include "scan/FolderDrives.h"
#include "scan/InsertMedia.h"
#include "scan/ScriptedMediaPrompt.h"
#include "scan/WaitUpdateForm.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

using namespace tf;

namespace {

// Runs f on the next modal window that opens (a window shown with exec()).
void OnModal(std::function<void(QWidget*)> f) {
  QTimer::singleShot(0, [f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) qFatal("no modal window");
    f(w);
  });
}

template <class T>
T* Child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(QLatin1String(name));
  if (!c) qFatal("no child %s", name);
  return c;
}

// A desk with a floppy drive, a hard disk, a CD-ROM drive holding a games disc, a USB stick
// and a network share; a catalog that holds the games disc already (or not).
struct TDesk {
  test::TTempDir dir;
  TTestDrives drives;
  TScriptedPrompts prompts;
  TScriptedMediaPrompt media;
  TMediaDetector detector{drives, prompts, media, [] { return 40000.0; }};
  TCatalogTree tree;
  TNode* cat = test::AddCatalog(tree, "Games");
  TNode* other = test::AddCatalog(tree, "Work");
  TScanSettings settings;
  std::vector<TScanSettings> saved;
  std::unique_ptr<TAddDiskForm> form;

  TDesk() {
    test::TTreeBuilder b(dir.Path() / "cd");
    b.File("GAME/SETUP.EXE", std::string(3000, 'x')).File("GAME/README.TXT", "read me");
    b.File("GAME/DATA/LEVEL1.DAT", std::string(5000, 'y')).File("AUTORUN.INF", "[autorun]");
    std::filesystem::create_directories(dir.Path() / "c");
    std::filesystem::create_directories(dir.Path() / "stick");

    TTestDrive& a = drives.Add('A', TDriveType::Removable);
    a.DeviceType = 7;
    a.Ready = false;
    TTestDrive& c = drives.Add('C');
    c.DeviceType = 5;
    c.Volume = {"SYSTEM", 0x1234ABCD, 255, 0, "EXT4"};
    c.Root = dir.File("c");
    TTestDrive& d = drives.Add('D', TDriveType::CdRom);
    d.Volume = {"GAMES", 0xCAFE0001, 255, 0, "CDFS"};
    d.Geometry = {1, 2048, 0, 400};
    d.Root = dir.File("cd");
    TTestDrive& e = drives.Add('E', TDriveType::Removable);
    e.DeviceType = 13;
    e.Volume = {"STICK", 0x0BAD0002, 255, 0, "FAT32"};
    e.Root = dir.File("stick");
    TTestDrive& f = drives.Add('F', TDriveType::Remote);
    f.Volume = {"SHARE", 0, 255, 0, "NFS4"};
    f.Root = dir.File("c");
    Make();
  }
  void Make(TSettingsKey* folderDrives = nullptr, TDrives* other = nullptr,
            std::function<void(const TDiskRec&, char, TNode*)> diskInfo = {}) {
    TAddDiskForm::TServices s{other ? *other : drives, detector, prompts, tree, {}, {}, {},
                              folderDrives, {}};
    s.Settings = [this] { return settings; };
    s.SaveDefaults = [this](const TScanSettings& x) { saved.push_back(x); };
    s.DiskInfo = std::move(diskInfo);
    form = std::make_unique<TAddDiskForm>(std::move(s));
  }
  // A disk in a catalog with the volume data of the disc in D.
  TNode* GamesDisc(TNode* catalog, const std::string& name) {
    TDiskRec image;
    detector.ReadVolumeInfo('D', image);
    TNode* n = test::AddDiskLike(catalog, name, image);
    static_cast<TDiskRec*>(n->Record)->Description.Assign("The disc with all the games");
    return n;
  }
  void Open(TNode* updateDisk = nullptr) {
    form->PrepareForm(updateDisk);
    form->FormShow();
    form->show();
  }
  QString Status() const { return form->StatusText(); }
  std::vector<char> Visible() const {
    std::vector<char> out;
    for (TDriveButton* b : form->VisibleButtons()) out.push_back(b->Letter());
    return out;
  }
};

// The Linux drive backend of the desk's machine on a mount table with "/" only, the folder
// drives kept in settings of its own, and the window over it.
struct THost {
  TMemorySettings settings;
  TLinuxDrives drives;
  TScriptedPrompts prompts;
  TScriptedMediaPrompt media;
  TMediaDetector detector{drives, prompts, media, [] { return 40000.0; }};
  TAddDiskForm form;

  explicit THost(TDesk& d)
      : drives(&settings, Machine(d)),
        form({drives, detector, prompts, d.tree, {}, {}, {}, &settings, {}}) {}
  static TLinuxDrivesOptions Machine(TDesk& d) {
    std::filesystem::create_directories(d.dir.Path() / "sys");
    struct stat st {};
    ::stat(d.dir.Path().c_str(), &st);
    test::WriteBytes(d.dir.File("mountinfo"), "20 1 " + std::to_string(major(st.st_dev)) + ":" +
                                                  std::to_string(minor(st.st_dev)) +
                                                  " / / rw - ext4 /dev/sda1 rw\n");
    TLinuxDrivesOptions o;
    o.MountInfo = d.dir.File("mountinfo");
    o.SysRoot = d.dir.File("sys");
    o.DevRoot = d.dir.File("dev");
    return o;
  }
};

}  // namespace

class AddDiskFormTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { TWaitUpdateProgress::EventInterval = 0; }

  void ADriveButtonPerDriveWithItsHintAndLabel() {
    TDesk d;
    d.Open();
    QCOMPARE(d.form->windowTitle(), QStringLiteral("Add New Disk"));
    QCOMPARE(d.Visible(), (std::vector<char>{'A', 'C', 'D', 'E', 'F'}));
    TDriveButton* c = d.form->Button('C');
    QCOMPARE(c->size(), QSize(41, 41));
    QVERIFY(!c->icon().isNull());
    // The hint, and on its second line where the drive is on this machine.
    QCOMPARE(c->toolTip(), QStringLiteral("Hard disk (C:)\n") + QString::fromStdString(d.dir.File("c")));
    QVERIFY(d.form->Button('A')->toolTip().startsWith(QStringLiteral("Floppy 3.5\" HD (A:)")));
    QVERIFY(d.form->Button('D')->toolTip().startsWith(QStringLiteral("CD-ROM (D:)")));
    QCOMPARE(Child<QLabel>(d.form.get(), "DriveLabelC")->text(), QStringLiteral("&C:"));
    QVERIFY(!d.form->EmptyDriveLabel->isVisible());
    QCOMPARE(d.Status(), QStringLiteral("No drive selected"));
    QVERIFY(!d.form->OKBtn->isEnabled());
    QCOMPARE(d.form->DatabaseList->count(), 2);
    QCOMPARE(d.form->DatabaseList->currentText(), QStringLiteral("Games"));
    // The folder buttons show only when folder drives can be kept.
    QVERIFY(!d.form->AddFolderBtn->isVisible());
    d.form->DriveButtonClick('D');
    test::Screenshot(d.form.get(), QStringLiteral("add-new-disk"));
  }

  void DiskInfoShowsTheSelectedVolume() {
    TDesk d;
    d.Open();
    QVERIFY(!d.form->DiskInfoBtn->isVisible());  // nothing to show it with
    struct TShown {
      std::string Label;
      char Drive = 0;
      TNode* Catalog = nullptr;
    };
    std::vector<TShown> shown;
    d.Make(nullptr, nullptr, [&](const TDiskRec& volume, char drive, TNode* catalog) {
      shown.push_back({volume.VolumeLabel, drive, catalog});
    });
    d.Open();
    QVERIFY(d.form->DiskInfoBtn->isVisible());
    QCOMPARE(d.form->DiskInfoBtn->text(), QStringLiteral("Disk &Info"));
    QVERIFY(!d.form->DiskInfoBtn->isEnabled());  // no drive yet
    d.form->DriveButtonClick('D');
    d.form->DatabaseList->setCurrentIndex(1);
    QVERIFY(d.form->DiskInfoBtn->isEnabled());
    d.form->DiskInfoBtn->click();
    QCOMPARE(shown.size(), std::size_t(1));
    QCOMPARE(shown[0].Label, std::string("Games"));
    QCOMPARE(shown[0].Drive, 'D');
    QCOMPARE(shown[0].Catalog, d.other);
    d.form->DriveButtonClick('D');  // raised again: no volume
    QVERIFY(!d.form->DiskInfoBtn->isEnabled());
  }

  void ButtonsGoInRowsOfTwoThirdsOfTheScreen() {
    TDesk d;
    for (char l = 'G'; l <= 'Z'; ++l) d.drives.Add(l);
    d.Open();
    int perRow = d.form->ButtonsPerRow();
    QCOMPARE(perRow, QGuiApplication::primaryScreen()->geometry().width() * 2 / 3 / 41);
    std::vector<TDriveButton*> buttons = d.form->VisibleButtons();
    QCOMPARE(int(buttons.size()), 25);
    QVERIFY(perRow < 25);
    QCOMPARE(buttons[std::size_t(perRow - 1)]->y(), buttons[0]->y());
    QVERIFY(buttons[std::size_t(perRow)]->y() > buttons[0]->y());
    QCOMPARE(buttons[std::size_t(perRow)]->x(), buttons[0]->x());

    // The set of drives changed: the buttons are made again.
    d.drives.Remove('Z');
    d.form->hide();
    d.Open();
    QVERIFY(!d.form->Button('Z'));
    // No drives at all.
    for (char l = 'A'; l <= 'Z'; ++l) d.drives.Remove(l);
    d.Open();
    QVERIFY(d.form->VisibleButtons().empty());
    QVERIFY(d.form->EmptyDriveLabel->isVisible());
    QCOMPARE(d.form->EmptyDriveLabel->text(), QStringLiteral("No drives are available"));
  }

  void SelectingAndClearingADrive() {
    TDesk d;
    d.Open();
    d.form->DriveButtonClick('C');
    QCOMPARE(d.form->SelectedDrive(), 'C');
    QVERIFY(d.form->Button('C')->isChecked());
    QCOMPARE(d.Status(), QStringLiteral("Hard disk (C:), Serial num: 1234-ABCD, not found in catalog"));
    // The label as the catalog keeps it from a volume whose names ignore case.
    QCOMPARE(d.form->DiskName->text(), QStringLiteral("System"));
    QCOMPARE(d.form->DiskName->selectedText(), QStringLiteral("System"));
    QVERIFY(d.form->OKBtn->isEnabled());
    d.form->DriveButtonClick('E');
    QVERIFY(!d.form->Button('C')->isChecked());
    QVERIFY(d.form->Button('E')->isChecked());
    // The button of the drive that is down raises it.
    QTest::mouseClick(d.form->Button('E'), Qt::LeftButton);
    QCOMPARE(d.form->SelectedDrive(), '\0');
    QVERIFY(!d.form->Button('E')->isChecked());
    QCOMPARE(d.Status(), QStringLiteral("No drive selected"));
    QVERIFY(!d.form->OKBtn->isEnabled());
  }

  void ADriveThatIsNotReadyStaysUp() {
    TDesk d;
    d.Open();
    d.form->DriveButtonClick('C');
    d.prompts.Answers = {TAnswer::Cancel};
    QTest::mouseClick(d.form->Button('A'), Qt::LeftButton);
    QCOMPARE(d.prompts.Log.at(0).Title, std::string("Drive Not Ready"));
    QCOMPARE(d.form->SelectedDrive(), '\0');
    QVERIFY(!d.form->Button('A')->isChecked());
    QVERIFY(!d.form->Button('C')->isChecked());
    QVERIFY(d.form->DiskName->text().isEmpty());
    QVERIFY(!d.form->OKBtn->isEnabled());
    // Retry after the disk went in.
    d.prompts.Answers = {TAnswer::Retry};
    d.drives.Find('A')->Volume = {"BACKUP", 0x11112222, 12, 0, "FAT"};
    d.drives.Find('A')->Geometry = {1, 512, 100, 2847};
    d.drives.Find('A')->NotReadyFor = 1;
    d.drives.SetReady('A', true);
    d.form->DriveButtonClick('A');
    QCOMPARE(d.form->SelectedDrive(), 'A');
    QCOMPARE(d.Status(),
             QStringLiteral("Floppy 3.5\" HD (A:), Serial num: 1111-2222, not found in catalog"));
  }

  void LetterKeysPressDriveButtons() {
    TDesk d;
    d.Open();
    d.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
    d.form->BrowseArchiveCheck->setFocus();
    QTest::keyClick(d.form->BrowseArchiveCheck, Qt::Key_D);
    QCOMPARE(d.form->SelectedDrive(), 'D');
    QTest::keyClick(d.form->DatabaseList, Qt::Key_C);
    QCOMPARE(d.form->SelectedDrive(), 'C');
    QCOMPARE(d.form->DatabaseList->currentText(), QStringLiteral("Games"));
    // In the name a letter is a letter...
    d.form->DiskName->setFocus();
    d.form->DiskName->clear();
    QTest::keyClick(d.form->DiskName, Qt::Key_E);
    QCOMPARE(d.form->SelectedDrive(), 'C');
    QCOMPARE(d.form->DiskName->text(), QStringLiteral("e"));
    // ... but Alt + letter presses the button from anywhere.
    QTest::keyClick(d.form->DiskName, Qt::Key_E, Qt::AltModifier);
    QCOMPARE(d.form->SelectedDrive(), 'E');
    // A letter without a drive does nothing.
    QTest::keyClick(d.form->OKBtn, Qt::Key_Q);
    QCOMPARE(d.form->SelectedDrive(), 'E');
  }

  void AMediumAlreadyInTheCatalogIsFound() {
    TDesk d;
    d.GamesDisc(d.cat, "My Games");
    d.Open();
    d.form->DriveButtonClick('D');
    QCOMPARE(d.Status(), QStringLiteral("CD-ROM (D:), Serial num: CAFE-0001, already exists in catalog"));
    QCOMPARE(d.form->ExistingDisk()->Caption, std::string("My Games"));
    QCOMPARE(d.form->DiskName->text(), QStringLiteral("My Games"));  // UpdateNameCheck
    // Another catalog: not there.
    d.form->DatabaseList->setCurrentIndex(1);
    d.form->DatabaseListChange();
    QCOMPARE(d.Status(), QStringLiteral("CD-ROM (D:), Serial num: CAFE-0001, not found in catalog"));
    QCOMPARE(d.form->DiskName->text(), QStringLiteral("Games"));  // the label
    QCOMPARE(d.form->ExistingDisk(), nullptr);
  }

  void OneMatchAsksWhetherToUpdateIt() {
    TDesk d;
    TNode* mine = d.GamesDisc(d.cat, "My Games");
    d.Open();
    d.form->DriveButtonClick('D');
    d.prompts.Answers = {TAnswer::Cancel};
    d.form->OKBtnClick();
    QVERIFY(d.form->isVisible());  // Cancel keeps the window
    QCOMPARE(test::Shown(d.prompts.Log.at(0)),
             std::string("Update Old Data? | Disk with the same serial number, label and capacity "
                         "is\ralready in the catalog as \"My Games\". \r\rWould like to update the "
                         "disk currently in the catalog?\r(selecting \"No\" will add a new disk to "
                         "the catalog) | YesNoCancel | Question"));

    d.prompts.Answers = {TAnswer::No};
    d.form->OKBtnClick();
    QCOMPARE(d.form->result(), int(QDialog::Accepted));
    QCOMPARE(d.form->Job().UpdateDisk, nullptr);
    QCOMPARE(d.form->Job().Catalog, d.cat);
    QCOMPARE(d.form->Job().Drive, 'D');

    d.Open();
    d.form->DriveButtonClick('D');
    d.prompts.Answers = {TAnswer::Yes};
    d.form->OKBtnClick();
    QCOMPARE(d.form->Job().UpdateDisk, mine);
    QCOMPARE(d.form->Job().DiskName, std::string("My Games"));
  }

  void TwoMatchesBringUpSelectDiskAndAddNewAddsAThird() {
    TDesk d;
    TNode* first = d.GamesDisc(d.cat, "Backup");
    TNode* second = d.GamesDisc(d.cat, "Backup (2)");
    d.Open();
    d.form->DriveButtonClick('D');
    QCOMPARE(d.form->MatchingDisks(), (std::vector<TNode*>{first, second}));
    QStringList listed;
    OnModal([&](QWidget* w) {
      QCOMPARE(w->windowTitle(), QStringLiteral("Select Disk"));
      auto* list = Child<QListWidget>(w, "DisksList");
      for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
      QTest::mouseClick(Child<QPushButton>(w, "CancelBtn"), Qt::LeftButton);
    });
    d.form->OKBtnClick();
    QCOMPARE(listed, (QStringList{QStringLiteral("Backup"), QStringLiteral("Backup (2)")}));
    QVERIFY(d.form->isVisible());  // Cancel: back to this window

    OnModal([](QWidget* w) { QTest::mouseClick(Child<QPushButton>(w, "AddNewBtn"), Qt::LeftButton); });
    d.form->OKBtnClick();
    QCOMPARE(d.form->result(), int(QDialog::Accepted));
    QCOMPARE(d.form->Job().UpdateDisk, nullptr);
    TScanResult r = RunDiskScan(d.form->Job(), d.drives, d.detector, d.prompts, nullptr, {});
    QCOMPARE(r.Status, TScanStatus::Done);
    QCOMPARE(d.cat->ChildCount(), 3);
    QCOMPARE(d.cat->Child(2)->Caption, std::string("Backup (3)"));
    QCOMPARE(test::CheckTree(d.tree), std::string());

    // OK in Select Disk updates the disk chosen there.
    d.Open();
    d.form->DriveButtonClick('D');
    OnModal([](QWidget* w) {
      Child<QListWidget>(w, "DisksList")->setCurrentRow(1);
      QTest::mouseClick(Child<QPushButton>(w, "OKBtn"), Qt::LeftButton);
    });
    d.form->OKBtnClick();
    QCOMPARE(d.form->Job().UpdateDisk, second);
  }

  void UpdateModeShowsCompatibleDrivesAndFindsTheMedium() {
    TDesk d;
    TNode* disc = d.GamesDisc(d.cat, "My Games");
    d.drives.Add('G', TDriveType::CdRom).Ready = false;
    d.Open(disc);
    QCOMPARE(d.form->windowTitle(), QStringLiteral("Update Disk"));
    QCOMPARE(d.Visible(), (std::vector<char>{'D', 'G'}));
    QVERIFY(!d.form->DatabaseList->isEnabled());
    d.form->FormActivate();
    QCOMPARE(d.form->SelectedDrive(), 'D');
    QCOMPARE(d.Status(), QStringLiteral("CD-ROM (D:), media match confirmed, ready to update"));
    QVERIFY(d.media.Asked.empty());
    d.form->OKBtnClick();
    QVERIFY(d.prompts.Log.empty());
    QCOMPARE(d.form->result(), int(QDialog::Accepted));
    QCOMPARE(d.form->Job().UpdateDisk, disc);
    QCOMPARE(d.form->Job().Catalog, d.cat);

    // A 720 KB floppy disk is looked for in the 1.44 MB drive too.
    TNode* floppy = test::AddDisk(d.cat, "Old floppy");
    static_cast<TDiskRec*>(floppy->Record)->MediaType = 2;
    d.form->hide();
    d.Open(floppy);
    QCOMPARE(d.Visible(), (std::vector<char>{'A'}));
  }

  void AMediumThatDoesNotMatchAsksAndNoKeepsTheWindow() {
    TDesk d;
    TNode* disc = d.GamesDisc(d.cat, "My Games");
    d.drives.Find('D')->Volume.Label = "GAMES2";  // formatted and written again
    d.media.Answers = {TMediaAnswer::Manual};
    d.Open(disc);
    d.form->FormActivate();
    QCOMPARE(d.media.Asked.size(), std::size_t(1));
    QVERIFY(d.media.Asked[0].MayChooseManually);
    QCOMPARE(d.form->SelectedDrive(), '\0');  // the user chooses
    QCOMPARE(d.Status(), QStringLiteral("No drive selected"));
    d.form->DriveButtonClick('D');
    QCOMPARE(d.Status(), QStringLiteral("CD-ROM (D:), media does not match selected to update"));
    d.prompts.Answers = {TAnswer::No};
    d.form->OKBtnClick();
    QVERIFY(d.form->isVisible());
    QCOMPARE(test::Shown(d.prompts.Log.at(0)),
             std::string("Warning | Properties of selected media do not match properties of the "
                         "disk you are updating!\rThis may be right if you have formatted media "
                         "since it has been last catalogued.\r\rAre you sure you want to replace "
                         "data for \"My Games\" with the selected media? | YesNo | Question"));
    d.prompts.Answers = {TAnswer::Yes};
    d.form->OKBtnClick();
    QCOMPARE(d.form->result(), int(QDialog::Accepted));
    QCOMPARE(d.form->Job().UpdateDisk, disc);
  }

  void GivingUpTheSearchForTheMediumClosesTheWindow() {
    TDesk d;
    TNode* disc = d.GamesDisc(d.cat, "My Games");
    d.drives.SetReady('D', false);
    d.media.Answers = {TMediaAnswer::Cancel};
    // Looked at once the window has looked for the medium (which it does first thing).
    bool stayed = false;
    QTimer::singleShot(0, d.form.get(), [&] {
      QTimer::singleShot(0, d.form.get(), [&] {
        stayed = d.form->isVisible();
        if (stayed) d.form->reject();
      });
    });
    std::optional<TScanJob> job = d.form->Execute(disc);
    QVERIFY(!stayed);
    QVERIFY(!job);
    QCOMPARE(d.media.Asked.size(), std::size_t(1));
  }

  void SaveAsDefaultWritesTheSwitchesBack() {
    TDesk d;
    d.settings.ImportBBSCheck = false;
    d.Open();
    QVERIFY(!d.form->ImportBBSCheck->isChecked());
    QVERIFY(d.form->BrowseArchiveCheck->isChecked());
    QVERIFY(!d.form->DefaultCheck->isChecked());
    d.form->BrowseArchiveCheck->setChecked(false);
    d.form->DriveButtonClick('C');
    d.form->OKBtnClick();
    QVERIFY(d.saved.empty());
    QVERIFY(!d.form->Job().Settings.BrowseArchiveCheck);
    QVERIFY(!d.form->Job().Settings.ImportBBSCheck);

    d.Open();
    QVERIFY(d.form->BrowseArchiveCheck->isChecked());  // each showing starts from the settings
    d.form->BrowseArchiveCheck->setChecked(false);
    d.form->DefaultCheck->setChecked(true);
    d.form->reject();
    QVERIFY(d.saved.empty());  // only OK saves

    d.Open();
    d.form->BrowseArchiveCheck->setChecked(false);
    d.form->KeepCurrentCheck->setChecked(false);
    d.form->DefaultCheck->setChecked(true);
    d.form->DriveButtonClick('C');
    d.form->OKBtnClick();
    QCOMPARE(d.saved.size(), std::size_t(1));
    QVERIFY(!d.saved[0].BrowseArchiveCheck);
    QVERIFY(!d.saved[0].KeepCurrentCheck);
    QVERIFY(!d.saved[0].ImportBBSCheck);
    QVERIFY(d.saved[0].ImportDizCheck);
  }

  void AFolderAddedAsADriveIsScannedAndFoundAgain() {
    TDesk d;
    THost host(d);
    TAddDiskForm& form = host.form;
    TScriptedPrompts& prompts = host.prompts;
    test::TTreeBuilder photos(d.dir.Path() / "Holiday Photos");
    photos.File("beach.jpg", std::string(2000, 'b')).File("2003/hill.jpg", std::string(900, 'h'));

    form.PrepareForm(nullptr);
    form.FormShow();
    form.show();
    QVERIFY(form.AddFolderBtn->isVisible());
    QCOMPARE(form.AddFolderBtn->text(), QStringLiteral("Add Folder as Drive..."));
    QVERIFY(!form.Button('D'));
    QString label, serial;
    OnModal([&](QWidget* w) {
      auto* f = qobject_cast<TFolderDriveForm*>(w);
      QVERIFY(f);
      f->SetFolder(QString::fromStdString(photos.Root().string()));
      label = f->LabelEdit->text();
      serial = f->SerialEdit->text();
      QCOMPARE(f->LetterCombo->currentText(), QStringLiteral("D:"));
      QCOMPARE(f->MediaTypeCombo->currentText(), QStringLiteral("Hard disk"));
      test::Screenshot(f, QStringLiteral("folder-drive"));
      f->SerialEdit->setText(QStringLiteral("12345"));  // not a serial
      f->OKBtnClick();
      QVERIFY(f->isVisible());
      f->SerialEdit->setText(serial);
      f->LabelEdit->setText(QStringLiteral("Photos"));
      f->OKBtnClick();
    });
    form.AddFolderClick();
    QCOMPARE(label, QStringLiteral("Holiday Pho"));
    QCOMPARE(prompts.Log.at(0).Text, std::string(BadSerialText));
    // The new drive is there, chosen, and kept in the settings.
    QVERIFY(form.Button('D'));
    QCOMPARE(form.SelectedDrive(), 'D');
    QCOMPARE(form.DiskName->text(), QStringLiteral("Photos"));
    QVERIFY(form.Button('D')->toolTip().contains(QStringLiteral("Folder ")));
    QCOMPARE(LoadFolderDrives(host.settings).size(), std::size_t(1));
    QVERIFY(form.RemoveFolderBtn->isEnabled());

    form.OKBtnClick();
    TScanResult r = RunDiskScan(form.Job(), host.drives, host.detector, prompts, nullptr, {});
    QCOMPARE(r.Status, TScanStatus::Done);
    QCOMPARE(r.Files, int64_t(2));
    TNode* disk = d.cat->Child(0);
    QCOMPARE(disk->Caption, std::string("Photos"));
    QCOMPARE(static_cast<TDiskRec*>(disk->Record)->SerialNumber,
             ParseSerial(serial.toStdString()).value());
    QCOMPARE(disk->Child(0)->Caption, std::string("2003"));

    // The next time the folder is known in the catalog.
    form.PrepareForm(nullptr);
    form.FormShow();
    form.DriveButtonClick('D');
    QCOMPARE(form.ExistingDisk(), disk);

    // Removing the drive leaves the folder alone.
    prompts.Answers = {TAnswer::Yes};
    form.RemoveFolderClick();
    QCOMPARE(prompts.Log.back().Text,
             TAddDiskForm::RemoveFolderText('D', photos.Root().string()));
    QVERIFY(!form.Button('D'));
    QVERIFY(LoadFolderDrives(host.settings).empty());
    QVERIFY(std::filesystem::exists(photos.Root() / "beach.jpg"));
  }

  void UpdatingAFolderDiskWhoseFolderIsNoDriveYet() {
    // A disk read from a folder (by the command line, say) whose folder drive is not in the
    // settings: the window offers to add the folder, and the new drive is the medium. Once
    // with drives of the disk's kind around (a hard disk: "/"), once without any (a RAM
    // disk: the folder lay on one).
    const struct {
      uint8_t MediaType;
      std::vector<std::string> Messages;
    } cases[] = {
        {MediaHardDisk, {"Non-Removable Media"}},
        {MediaRamDisk, {}},
    };
    for (const auto& c : cases) {
      TDesk d;
      test::TTreeBuilder music(d.dir.Path() / "Music");
      music.File("song.ogg", "s");
      // The disk as that folder gave it, on a RAM disk or a hard disk.
      TDiskRec image;
      {
        THost scratch(d);
        TFolderDrive f = ProposeFolderDrive(scratch.drives, music.Root().string());
        f.MediaType = c.MediaType;
        SaveFolderDrive(scratch.settings, f);
        scratch.drives.ReloadFolderDrives();
        scratch.detector.ReadVolumeInfo(f.Letter, image);
      }
      TNode* disk = test::AddDiskLike(d.cat, "Music", image);

      THost host(d);
      TAddDiskForm& form = host.form;
      form.PrepareForm(disk);
      form.FormShow();
      form.show();
      form.FormActivate();
      std::vector<std::string> titles;
      for (const TPromptRecord& r : host.prompts.Log) titles.push_back(r.Title);
      QCOMPARE(titles, c.Messages);
      QVERIFY(form.isVisible());  // not closed
      QVERIFY(form.AddFolderBtn->isVisible());
      QCOMPARE(form.SelectedDrive(), '\0');
      if (c.MediaType == MediaRamDisk)
        QCOMPARE(form.StatusText(), QString::fromLatin1(NoDriveForMediaText));

      OnModal([&](QWidget* w) {
        auto* f = qobject_cast<TFolderDriveForm*>(w);
        QVERIFY(f);
        f->SetFolder(QString::fromStdString(music.Root().string()));
        // Proposed as the disk was read.
        QCOMPARE(f->MediaTypeCombo->currentData().toInt(), int(c.MediaType));
        f->OKBtnClick();
      });
      form.AddFolderClick();
      TDriveButton* added = form.Button('D');
      QVERIFY(added);
      QVERIFY(!added->isHidden());
      QVERIFY(added->isChecked());
      QCOMPARE(form.SelectedDrive(), 'D');
      QCOMPARE(form.StatusText(),
               QString::fromStdString(MediaTypeName(c.MediaType)) +
                   QStringLiteral(" (D:), media match confirmed, ready to update"));
      QVERIFY(form.OKBtn->isEnabled());
      form.OKBtnClick();
      QCOMPARE(form.Job().UpdateDisk, disk);
      QCOMPARE(host.prompts.Log.size(), c.Messages.size());  // no "Warning": it is that medium
    }
  }

  // ---- the scan with its wait window

  void TheScanShowsWhereItIsAndHowFar() {
    TDesk d;
    QWidget main;
    main.resize(600, 400);
    main.show();
    TScanJob job;
    job.Drive = 'D';
    job.Catalog = d.cat;
    QStringList folders;
    bool modal = false, animated = false;
    std::vector<std::string> status;
    QTimer::singleShot(0, [&] {
      TWaitUpdateForm* w = TWaitUpdateForm::Current();
      QVERIFY(w);
      QObject::connect(w, &TWaitUpdateForm::DirectoryShown, w, [&, w](const QString& path) {
        folders << path;
        modal = modal || QApplication::activeModalWidget() == w;
        animated = animated || w->Animation->Running();
        if (path == QStringLiteral("D:\\Game\\Data\\")) {
          QCOMPARE(w->CaptionLabel->text(), QStringLiteral("Scanning disk, please wait..."));
          QCOMPARE(w->windowTitle(), QStringLiteral("Scanning disk, please wait..."));
          QCOMPARE(w->DirectoryCaption->text(), QStringLiteral("Looking in directory:"));
          QCOMPARE(w->DirectoryLabel->text(), path);
          test::Screenshot(w, QStringLiteral("scan-in-progress"));
        }
      });
    });
    TScanResult r = RunDiskScan(job, d.drives, d.detector, d.prompts, &main,
                                [&](const std::string& t) { status.push_back(t); });
    QCOMPARE(r.Status, TScanStatus::Done);
    QCOMPARE(folders, (QStringList{QStringLiteral("D:\\"), QStringLiteral("D:\\Game\\"),
                                   QStringLiteral("D:\\Game\\Data\\")}));
    QVERIFY(modal);     // the other windows took no input meanwhile
    QVERIFY(animated);
    QCOMPARE(status, (std::vector<std::string>{"Scanning disk for data...", ""}));
    QCOMPARE(TWaitUpdateForm::Current(), nullptr);  // gone afterwards
    QCOMPARE(d.cat->ChildCount(), 1);
    QCOMPARE(d.cat->Child(0)->Caption, std::string("Disk D:"));  // no name given
  }

  void TheBarShowsClustersDoneRounded() {
    TScriptedPrompts prompts;
    TWaitUpdateForm w(prompts, nullptr);
    w.SetTotal(3);
    QCOMPARE(w.Position(), 0);
    w.Advance(1);
    QCOMPARE(w.Position(), 33);
    w.Advance(1);
    QCOMPARE(w.Position(), 67);
    w.Advance(5);  // more than the volume said it used
    QCOMPARE(w.Position(), 100);
    QVERIFY(w.CountLabel->isHidden());
    w.SetTotal(0);  // nothing known: the bar shows that work goes on, the line how far
    QCOMPARE(w.ProgressBar->maximum(), 0);
    w.Advance(1);
    QCOMPARE(w.CountLabel->text(), QStringLiteral("1 folder or file read"));
    w.Advance(1233);
    QCOMPARE(w.CountLabel->text(), QStringLiteral("1234 folders and files read"));
    QVERIFY(!w.CountLabel->isHidden());
    w.SetTotal(10);
    QVERIFY(w.CountLabel->isHidden());
  }

  void CancelHalfWayLeavesTheCatalogAsItWas() {
    TDesk d;
    TNode* old = d.GamesDisc(d.cat, "My Games");
    test::AddFile(old, "Kept.txt", 1, "a description of mine");
    std::string before = test::DescribeTree(d.cat);
    TScanJob job;
    job.Drive = 'D';
    job.Catalog = d.cat;
    job.UpdateDisk = old;
    d.prompts.Answers = {TAnswer::No, TAnswer::Yes};
    int asked = 0;
    QTimer::singleShot(0, [&] {
      TWaitUpdateForm* w = TWaitUpdateForm::Current();
      QObject::connect(w, &TWaitUpdateForm::DirectoryShown, w, [&, w](const QString& path) {
        // At the second folder: Cancel, answered No (the scan goes on); at the third: Yes.
        if (path == QStringLiteral("D:\\Game\\") || path == QStringLiteral("D:\\Game\\Data\\")) {
          ++asked;
          QTest::mouseClick(w->CancelBtn, Qt::LeftButton);
        }
      });
    });
    TScanResult r = RunDiskScan(job, d.drives, d.detector, d.prompts, nullptr, {});
    QCOMPARE(asked, 2);
    QCOMPARE(r.Status, TScanStatus::Cancelled);
    const std::string abort = "Abort Disk Scan | Do you really want to abort disk scan? | YesNo | Question";
    QCOMPARE(test::Shown(d.prompts), (std::vector<std::string>{abort, abort}));
    QCOMPARE(test::DescribeTree(d.cat), before);
    QCOMPARE(d.cat->ChildCount(), 1);
    QCOMPARE(test::CheckTree(d.tree), std::string());
  }

  void CancelIsSeenBetweenTwoEntries() {
    // A Cancel that arrives through the event loop while the scan runs stops it at the next
    // entry: the scan lets events run as it goes.
    TDesk d;
    TScanJob job;
    job.Drive = 'D';
    job.Catalog = d.cat;
    d.prompts.Answers = {TAnswer::Yes};
    QTimer::singleShot(0, [&] {
      TWaitUpdateForm* w = TWaitUpdateForm::Current();
      QObject::connect(w, &TWaitUpdateForm::DirectoryShown, w, [w](const QString& path) {
        if (path == QStringLiteral("D:\\Game\\"))
          QTimer::singleShot(0, w, [w] { QTest::mouseClick(w->CancelBtn, Qt::LeftButton); });
      });
    });
    TScanResult r = RunDiskScan(job, d.drives, d.detector, d.prompts, nullptr, {});
    QCOMPARE(r.Status, TScanStatus::Cancelled);
    QCOMPARE(d.cat->ChildCount(), 0);
  }

  void ClosingTheWaitWindowAsksLikeCancel() {
    TScriptedPrompts prompts;
    TWaitUpdateForm w(prompts, nullptr);
    w.show();
    prompts.Answers = {TAnswer::No};
    w.close();
    QVERIFY(w.isVisible());
    QVERIFY(!w.AbortRequested());
    prompts.Answers = {TAnswer::Yes};
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.AbortRequested());
    QVERIFY(w.isVisible());  // the scan closes it when it has stopped
    QVERIFY(!w.CancelBtn->isEnabled());
  }
};

QTEST_MAIN(AddDiskFormTest)
#include "AddDiskFormTest.moc"
