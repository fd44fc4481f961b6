#pragma once
// The Add New Disk window (TAddDiskForm): the user picks a drive, names the disk, chooses the
// catalog and the scan's switches; the window reads the drive's volume data, looks for the
// medium among the catalog's disks and asks whether to update a disk it finds. In update
// mode ("Update Disk") it looks for the medium of one disk and checks that the medium in the
// chosen drive matches it. The window does not scan: on OK it hands back the scan job, which
// the main window runs (RunDiskScan, WaitUpdateForm.h).
//
// Drives come from TDrives; a folder can be added as a drive here (TFolderDriveForm), kept in
// the settings, so that any folder can be catalogued like a medium.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QToolButton>

#include "platform/Drives.h"
#include "scan/AddDisk.h"
#include "store/Records.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace tf {

class TMediaDetector;
class TSettingsKey;
class TUserPrompts;

// One drive: 41 x 41 pixels with the drive's icon; at most one is down.
class TDriveButton final : public QToolButton {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TDriveButton)

 public:
  static constexpr int ButtonSize = 41;
  TDriveButton(char letter, QWidget* parent = nullptr);
  char Letter() const { return letter_; }

 private:
  char letter_;
};

// The "&X:" line under a drive button: Alt + letter presses the button.
class TDriveLabel final : public QLabel {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TDriveLabel)

 public:
  TDriveLabel(TDriveButton* button, QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;

 private:
  TDriveButton* button_;
};

class TAddDiskForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TAddDiskForm)

 public:
  struct TServices {
    TDrives& Drives;
    TMediaDetector& Media;
    TUserPrompts& Prompts;
    TCatalogTree& Tree;
    // The settings' state of the switches, read at every showing.
    std::function<TScanSettings()> Settings;
    // "Save as default": the six switches written back to the settings.
    std::function<void(const TScanSettings&)> SaveDefaults;
    // The icon of a media type; the style's drive icon when not given.
    std::function<QIcon(uint8_t mediaType)> DriveIcon;
    // Where folder drives are kept; null: folders cannot be added as drives here.
    TSettingsKey* FolderDrives = nullptr;
    // "Disk &Info": the properties of the volume read from the selected drive, with the
    // catalog chosen; the button is there only when this is given.
    std::function<void(const TDiskRec& volume, char drive, TNode* catalog)> DiskInfo;
  };

  explicit TAddDiskForm(TServices services, QWidget* parent = nullptr);
  ~TAddDiskForm() override;

  // Add mode (updateDisk null) or update mode for updateDisk: shows the window modally and
  // returns the scan job after OK. focusLetter: the drive used last, which gets the focus.
  std::optional<TScanJob> Execute(TNode* updateDisk = nullptr, char focusLetter = 0);

  // The steps of a showing, for Execute and for tests that drive the window themselves.
  // PrepareForm sets the mode, rebuilds the buttons when the drives changed, shows those
  // that fit the mode and lays them out; FormShow fills the catalogs and switches and clears
  // the selection; FormActivate looks for the medium in update mode (closing the window when
  // the user gives up).
  void PrepareForm(TNode* updateDisk);
  void FormShow();
  void FormActivate();
  // A click on a drive button (0: clears the selection).
  void DriveButtonClick(char letter);
  void DatabaseListChange();
  void OKBtnClick();
  void DiskInfoBtnClick();
  // The job of the last OK.
  const TScanJob& Job() const { return job_; }

  bool UpdateMode() const { return updateDisk_ != nullptr; }
  char SelectedDrive() const { return letter_; }
  TNode* ExistingDisk() const { return matches_.empty() ? nullptr : matches_.front(); }
  const std::vector<TNode*>& MatchingDisks() const { return matches_; }
  uint32_t DriveMask() const { return mask_; }
  int ButtonsPerRow() const;
  TDriveButton* Button(char letter) const;
  std::vector<TDriveButton*> VisibleButtons() const;
  QString StatusText() const;
  // The switches as the window shows them, with the settings the window does not show.
  TScanSettings CurrentSettings() const;

  // Folder drives.
  void AddFolderClick();
  void RemoveFolderClick();
  bool IsFolderDrive(char letter) const;

  // The text that asks before a folder drive is removed.
  static std::string RemoveFolderText(char letter, const std::string& folder);

  QComboBox* DatabaseList = nullptr;
  QLineEdit* DiskName = nullptr;
  QCheckBox* BrowseArchiveCheck = nullptr;
  QCheckBox* ImportDizCheck = nullptr;
  QCheckBox* Import4DOSCheck = nullptr;
  QCheckBox* ImportBBSCheck = nullptr;
  QCheckBox* ImportCommentCheck = nullptr;
  QCheckBox* KeepCurrentCheck = nullptr;
  QCheckBox* DefaultCheck = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* DiskInfoBtn = nullptr;
  QPushButton* AddFolderBtn = nullptr;
  QPushButton* RemoveFolderBtn = nullptr;
  QLabel* EmptyDriveLabel = nullptr;
  QLabel* StatusBar = nullptr;
  QWidget* DrivePanel = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void BuildDriveButtons();
  void LayoutDriveButtons();
  void FitAndCentre();
  void LookUpExistingDisk();
  void UpdateStatus();
  void ClearSelection();
  bool PressLetter(int key);
  std::vector<TFolderDrive> FolderDrives() const;

  TServices s_;
  TNode* updateDisk_ = nullptr;
  uint32_t mask_ = 0;
  bool built_ = false;
  std::vector<TDriveButton*> buttons_;
  std::vector<TDriveLabel*> labels_;
  QGridLayout* driveGrid_ = nullptr;
  std::vector<TNode*> catalogs_;
  char letter_ = 0;
  TDiskRec image_;  // the volume data of the selected drive
  std::vector<TNode*> matches_;
  TScanSettings settings_;
  TScanJob job_;
};

// The window in which a folder is made a drive: the folder, the letter, and the volume data
// the drive shows (proposed from the folder, ProposeFolderDrive).
class TFolderDriveForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TFolderDriveForm)

 public:
  TFolderDriveForm(TDrives& drives, TUserPrompts& prompts, QWidget* parent = nullptr);

  // Shows the window modally; the drive after OK.
  std::optional<TFolderDrive> Execute();
  // Fills the fields for a folder (the letter, label, serial, media type and file system
  // that ProposeFolderDrive gives).
  void SetFolder(const QString& folder);
  // For the update of disk: a folder is proposed with the disk's label and media type, so
  // that the folder it was read from is that medium again.
  void ProposeAs(const TDiskRec& disk);
  // OK: checks the entries; closes with OK when they can be kept.
  void OKBtnClick();
  const TFolderDrive& Drive() const { return drive_; }

  QLineEdit* FolderEdit = nullptr;
  QPushButton* BrowseBtn = nullptr;
  QComboBox* LetterCombo = nullptr;
  QLineEdit* LabelEdit = nullptr;
  QLineEdit* SerialEdit = nullptr;
  QComboBox* MediaTypeCombo = nullptr;
  QLineEdit* FileSystemEdit = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  void FillLetters();
  TDrives& drives_;
  TUserPrompts& prompts_;
  TFolderDrive drive_;
  std::optional<std::pair<std::string, uint8_t>> proposeAs_;  // label, media type
};

inline constexpr char AddFolderCaption[] = "Add Folder as Drive...";
inline constexpr char RemoveFolderCaption[] = "Remove Folder Drive";
// The status line of an update for which no drive is there of the disk's media type.
inline constexpr char NoDriveForMediaText[] =
    "No drive of this media type. Was the disk read from a folder? Add Folder as Drive...";
inline constexpr char FolderDriveCaption[] = "Folder as Drive";
inline constexpr char BadSerialText[] =
    "The serial number must be eight hexadecimal digits, as in 1A2B-3C4D.";

}  // namespace tf
