#pragma once
// The Report Generator window (TReportForm): where a report comes from (the item selected in
// the catalog tree, the search window's result list or the user list), its detail level, the
// columns and their order, the layout and the file. The main window, the search window and
// the user list open it modally; on OK the report is written at once (Report.h).
//
// The window is made at first use and kept until the program ends, so the choices made in it
// (the column table among them) hold from one report to the next. It owns no catalog data:
// the lists are asked for when it is shown and when it writes.

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "report/Report.h"
#include "store/Tree.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace tf {

class TReportForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TReportForm)

 public:
  using TListSource = std::function<std::vector<TItemRec*>()>;
  struct TServices {
    TCatalogTree& Tree;
    TUserPrompts& Prompts;
    // The main window's wait window and status text while the report is written.
    TProgress& Progress;
    // The order the catalog tree shows its children in.
    std::function<TTreeOrder()> Order;
    // The search window's current result list and the user list, in list order; empty while
    // the window does not exist or its list is empty. Unset: the lists registered with the
    // tree (TCatalogTree::List).
    TListSource SearchResults;
    TListSource UserList;
    // Told the container whose file list the report reads, null when it is done (TReportJob).
    std::function<void(TNode*)> Walking;
  };

  explicit TReportForm(TServices services, QWidget* parent = nullptr);
  ~TReportForm() override;

  // Shows the window modally for the window that asked (its report button); on OK writes the
  // report. True when a report was written.
  bool Open(TReportSource invokedFrom);
  // What Open does before the window shows: the enabled choices, and the source that fits the
  // invoking window.
  void FormShow(TReportSource invokedFrom);
  // Which choices are enabled: the lists when they have items (the search results not while a
  // search runs), "Separate subfolders" for folder levels of a catalog item, "Use Tabs in
  // columns" for the columns layout. Also run by the search window when a run ends.
  void SetupDialog();
  // Writes the report the window's choices describe; false when none was written.
  bool Generate();

  TReportSource Source() const;
  int Level() const;
  TReportSettings Settings() const;
  TReportColumns& Columns() { return columns_; }
  std::string FileNameText() const;

  // Handlers, named after their controls.
  void DetailsComboChange();
  void DetailsListClick(QListWidgetItem* item);
  void DetailsListDblClick(QListWidgetItem* item);
  void ButtonUpClick() { MoveSelected(-1); }
  void ButtonDownClick() { MoveSelected(+1); }
  void ButtonAllClick() { CheckAll(true); }
  void ButtonClearClick() { CheckAll(false); }
  void FileNameExit();
  void FileBrowseBtnClick();
  void OKBtnClick();

  // Controls.
  QRadioButton* RadioButton1 = nullptr;  // "Printer:", not implemented
  QPushButton* SelectPrinterBtn = nullptr;
  QLabel* PrinterNote = nullptr;
  QRadioButton* RadioButton2 = nullptr;  // "Report File:"
  QLineEdit* FileName = nullptr;
  QPushButton* FileBrowseBtn = nullptr;
  QRadioButton* SourceCatalog = nullptr;
  QRadioButton* SourceSearch = nullptr;
  QRadioButton* SourceUser = nullptr;
  QComboBox* DetailsCombo = nullptr;
  QListWidget* DetailsList = nullptr;
  QPushButton* ButtonUp = nullptr;
  QPushButton* ButtonDown = nullptr;
  QPushButton* ButtonAll = nullptr;
  QPushButton* ButtonClear = nullptr;
  QRadioButton* LayoutList = nullptr;
  QRadioButton* LayoutColumns = nullptr;
  QCheckBox* SeparateSubfolders = nullptr;
  QCheckBox* UseTabs = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  void FillDetailsList();
  void MoveSelected(int step);
  void CheckAll(bool on);
  std::vector<TItemRec*> ListOf(TReportSource source) const;
  int ShownSet() const;

  TServices services_;
  TReportColumns columns_;
  int shownSet_ = 0;  // the column set DetailsList shows; 0 none yet
  bool filling_ = false;
};

// Texts of the window.
inline constexpr char EmptyFileNameTitle[] = "Empty Filename Field";
inline constexpr char EmptyFileNameText[] = "Please enter a valid filename for report file.";
inline constexpr char ReportFileFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

}  // namespace tf
