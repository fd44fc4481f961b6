#pragma once
// The import window (TImportForm, "Import from Kestrevane"): a folder, the list of the
// Kestrevane databases in it (the files named *.dsk in any letter case), and for the
// selected one its name and its number of disks. OK is enabled only for a database that
// passes the check (CheckDatabase, ImportFM.h); a double click on one presses OK. The window
// does not import: the main window imports the database it hands back.

#include <functional>
#include <string>

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tf {

class TImportForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TImportForm)

 public:
  explicit TImportForm(QWidget* parent = nullptr);
  ~TImportForm() override;

  // Shows the databases of a folder (none when it cannot be read).
  void SetFolder(const QString& folder);
  QString Folder() const;
  // The selected database's NAME.DSK file; empty when none is selected.
  std::string SelectedDatabase() const;

  // How "Browse..." asks for a folder: a folder chooser that starts in the given folder and
  // returns the chosen one, or an empty text when cancelled. Tests replace it.
  std::function<QString(const QString& start)> ChooseFolder;

  // Handlers, named after their controls.
  void FileListChange();
  void FileListDblClick(QListWidgetItem* item);
  void FolderBrowseBtnClick();
  void FolderEditExit();

  // Controls.
  QLineEdit* FolderEdit = nullptr;
  QPushButton* FolderBrowseBtn = nullptr;
  QListWidget* FileList = nullptr;
  QLabel* NameLabel = nullptr;
  QLabel* CountLabel = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  QString folder_;
};

}  // namespace tf
