#pragma once
// The search window: the criteria pages, Find, Cancel, New Search and Close, the scope tree of
// the open catalogs and their disks, and the results (search results or duplicates) in a
// sortable virtual list that offers the main window's item commands. The same window runs the
// duplicates scan. Made on first use and kept: Close hides it.
//
// A run goes on the search thread (SearchThread.h); the window is its host: the thread shows
// its progress here and grows the list's view through blocking calls onto the main thread, and
// asks here before it releases a file list it read for itself.

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QMainWindow>

#include "browse/RecordViews.h"
#include "search/Criteria.h"
#include "search/ResultList.h"
#include "search/Search.h"
#include "search/SearchThread.h"
#include "store/Tree.h"

class QAbstractItemView;
class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTimeEdit;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace tf {

class TIconList;
class TMainForm;
class TUserPrompts;
struct TOptions;

// The current result list as a Qt model. It shows as many rows as it was last given: during a
// run the search thread appends behind that count, and the model never reads past it.
class TFoundListModel final : public QAbstractTableModel {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TFoundListModel)

 public:
  TFoundListModel(TIconList& icons, QObject* parent = nullptr);
  // Shows another list, with all its rows.
  void SetList(TResultList* list);
  TResultList* List() const { return list_; }
  int Rows() const { return rows_; }
  // More rows (appended by a run: the views keep their place) or a new count (reset).
  void SetRows(int count);
  // The list changed as a whole (sorted, packed, cleared): every row anew.
  void Reset();
  TItemRec* RecordAt(int row) const;
  bool Hints = true;  // rows show their description as a tooltip

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::span<TItemRec* const> Shown() const;
  TIconList& icons_;
  TResultList* list_ = nullptr;
  int rows_ = 0;
};

// The small animation that turns while a run is active.
class TSearchAnimation final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSearchAnimation)

 public:
  explicit TSearchAnimation(QWidget* parent = nullptr);
  void Start();
  void Stop();
  QSize sizeHint() const override { return {48, 40}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  int frame_ = 0;
};

// Columns of the result list: the item texts of these column codes, and the sort keys.
inline constexpr int FoundColumnCount = 8;

class TSearchForm final : public QMainWindow, public TSearchHost, public TTreeObserver {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSearchForm)

 public:
  // What the window's commands reach beyond its lists.
  struct THost {
    TMainForm& Main;
    TCatalogTree& Tree;
    TUserPrompts& Prompts;
    std::function<TOptions()> Options;
    // The classification windows; a command whose hook is unset is not shown.
    std::function<void(TNode* node, TItemRec* record)> Properties;
    std::function<bool(const std::vector<TItemRec*>& items)> SetCategories;
    std::function<void(const std::vector<TItemRec*>& items)> AddToUserList;
  };

  TSearchForm(THost host, QWidget* parent = nullptr);
  // Waits for a run that is still going (cancelled) and leaves the tree's lists.
  ~TSearchForm() override;

  // The main window's "Search for &Files" and "&Scan for Duplicates": shows the window in that
  // mode, or brings it to the front.
  void Open(bool duplicates);
  bool Duplicates() const { return duplicates_; }
  bool Running() const { return thread_->Running(); }
  TResultList& Results() { return results_; }
  TResultList& DuplicateResults() { return dups_; }
  TResultList& Current() { return duplicates_ ? dups_ : results_; }
  // The current list's records in list order (the report's "Search Results List").
  std::vector<TItemRec*> CurrentRecords() const;
  // Both lists emptied (the program closing).
  void ReleaseResults();
  // The settings in force: description hints, tool bar button size and flatness.
  void ApplySettings(const TOptions& options);

  // The window's controls as the search reads them, and back (sizes read by a run are written
  // back as they were read).
  TSearchControls Controls() const;
  void SetControls(const TSearchControls& controls);

  // Handlers, named after their controls.
  void BtnFindClick();
  void BtnCancelClick();
  void BtnNewClick();
  void BtnClearClick();
  void SearchRemoveMenuClick();
  void BtnLocateClick();
  void BtnEditDescClick();
  void BtnPropertiesClick();
  void BtnExplorerClick();
  void BtnLaunchClick();
  void BtnSetCatClick();
  void BtnAddListClick();
  void BtnReportClick();
  void BtnMaximizeClick();
  void ModeClick(bool duplicates);
  void NameComboChange();
  void FoundListColumnClick(int column);
  void FoundListDblClick();
  bool FoundListPopupPopup();
  void IncludeBtnClick() { SetAllScope(true); }
  void ExcludeBtnClick() { SetAllScope(false); }
  // A click on a scope node's state image, or Space on it.
  void CatalogTreeToggle(QTreeWidgetItem* item);
  // Validation of the page shown (Find) or being left; false keeps the page.
  bool ValidatePage(int page);

  // The scope tree and the category lists built anew from the open catalogs.
  void CreateCatalogTree();
  void CreateCategoryList();
  void UpdateButtons();
  void UpdateStatus();
  // State of a scope node: 1 unchecked, 2 checked, 3 partly checked (catalogs).
  static int ScopeState(const QTreeWidgetItem* item);
  int ViewStyle() const { return viewStyle_; }
  void SetViewStyle(int style);  // 0 large icons, 1 small icons, 2 list, 3 details
  QAbstractItemView* ActiveView() const;
  TItemRec* FocusedItem() const;
  std::vector<TItemRec*> SelectedItems() const;

  // TSearchHost: called by the thread through the main thread.
  void ShowStatus(const TSearchStatus& status) override;
  int ViewCount() override;
  void SetViewCount(int count) override;
  bool ContainerShown(TNode* container) override;
  void SearchEnded() override;

  // How the next runs read the catalogs (tests set the straightforward walk).
  TSearchOptions SearchOptions;
  // The least time between two status displays of a run, and between two counts of rows the
  // list view takes; the last of each always shows.
  int StatusIntervalMs = 40;

  // Pages, in order.
  enum TPage : int { PageSettings, PageLimit, PageName, PageDescription, PageCategory, PageSize,
                     PageDate, PageCount };

  // Controls.
  QTabWidget* PageControl = nullptr;
  QRadioButton* NormalSearchCheck = nullptr;
  QRadioButton* DuplicateSearchCheck = nullptr;
  QComboBox* SearchForCombo = nullptr;
  QGroupBox* NormalGroup = nullptr;
  QComboBox* SearchTypeCombo = nullptr;
  QCheckBox* LimitFoundCheck = nullptr;
  QSpinBox* MaxFoundNum = nullptr;
  QGroupBox* DuplicatesGroup = nullptr;
  QCheckBox* DuplicateNameCheck = nullptr;
  QCheckBox* DuplicateSizeCheck = nullptr;
  QCheckBox* DuplicateDateCheck = nullptr;
  QCheckBox* DuplicateAttrCheck = nullptr;
  QCheckBox* DuplicateArchivesCheck = nullptr;
  QTreeWidget* CatalogTree = nullptr;
  QPushButton* IncludeBtn = nullptr;
  QPushButton* ExcludeBtn = nullptr;
  QCheckBox* ByNameCheck = nullptr;
  QComboBox* NameCombo = nullptr;
  QLabel* NameLabel = nullptr;
  QLineEdit* NameEdit = nullptr;
  QComboBox* FileTypeCombo = nullptr;
  QCheckBox* FileCaseCheck = nullptr;
  QCheckBox* AttrArchiveCheck = nullptr;
  QCheckBox* AttrHiddenCheck = nullptr;
  QCheckBox* AttrSystemCheck = nullptr;
  QCheckBox* AttrReadOnlyCheck = nullptr;
  QCheckBox* ByDescCheck = nullptr;
  QRadioButton* DescCheck1 = nullptr;
  QRadioButton* DescCheck2 = nullptr;
  QRadioButton* DescCheck3 = nullptr;
  QLineEdit* DescEdit = nullptr;
  QCheckBox* DescCaseCheck = nullptr;
  QCheckBox* ByCategoryCheck = nullptr;
  QListWidget* CategoryList = nullptr;
  QListWidget* FlagsList = nullptr;
  QCheckBox* BySizeCheck = nullptr;
  QComboBox* SizeCombo = nullptr;
  QLineEdit* SizeValue1 = nullptr;
  QComboBox* SizeUnits1 = nullptr;
  QLabel* SizeAndLabel = nullptr;
  QLineEdit* SizeValue2 = nullptr;
  QComboBox* SizeUnits2 = nullptr;
  QCheckBox* SizeAllowTollerance = nullptr;
  QLineEdit* SizeValue3 = nullptr;
  QComboBox* SizeUnits3 = nullptr;
  QCheckBox* ByDateCheck = nullptr;
  QComboBox* DateCombo1 = nullptr;
  QComboBox* DateCombo2 = nullptr;
  QDateEdit* DatePicker1 = nullptr;
  QLabel* DateAndLabel = nullptr;
  QDateEdit* DatePicker2 = nullptr;
  QCheckBox* DateAllowTollerance = nullptr;
  QSpinBox* DateTollerance = nullptr;
  QComboBox* TimeCombo1 = nullptr;
  QComboBox* TimeCombo2 = nullptr;
  QTimeEdit* TimePicker1 = nullptr;
  QLabel* TimeAndLabel = nullptr;
  QTimeEdit* TimePicker2 = nullptr;
  QCheckBox* TimeAllowTollerance = nullptr;
  QSpinBox* TimeTollerance = nullptr;
  QPushButton* BtnFind = nullptr;
  QPushButton* BtnCancel = nullptr;
  QPushButton* BtnNew = nullptr;
  QPushButton* BtnClose = nullptr;
  TSearchAnimation* Animation = nullptr;
  QWidget* ResultPanel = nullptr;
  QToolBar* FoundToolbar = nullptr;
  QTreeView* FoundList = nullptr;      // details
  QListView* FoundIconView = nullptr;  // large icons, small icons, list
  TFoundListModel* Model = nullptr;
  QAction* BtnLargeIcons = nullptr;
  QAction* BtnList = nullptr;
  QAction* BtnSmallIcons = nullptr;
  QAction* BtnDetails = nullptr;
  TViewButtons ViewButtons() { return {BtnLargeIcons, BtnList, BtnSmallIcons, BtnDetails}; }
  QAction* BtnReport = nullptr;
  QAction* BtnLocate = nullptr;
  QAction* BtnEditDesc = nullptr;
  QAction* BtnProperties = nullptr;
  QAction* BtnSetCat = nullptr;
  QAction* BtnExplorer = nullptr;
  QAction* BtnLaunch = nullptr;
  QAction* BtnAddList = nullptr;
  QAction* BtnDelete = nullptr;
  QAction* BtnClear = nullptr;
  QAction* BtnMaximize = nullptr;
  QMenu* FoundListPopup = nullptr;
  QAction* PopupLocate = nullptr;
  QAction* PopupEditDesc = nullptr;
  QAction* PopupExplorer = nullptr;
  QAction* PopupLaunch = nullptr;
  QAction* PopupSetCat = nullptr;
  QAction* PopupAddList = nullptr;
  QAction* PopupRemove = nullptr;
  QAction* PopupProperties = nullptr;
  QLabel* StatusState = nullptr;      // panel 0
  QLabel* StatusItem = nullptr;       // panel 1
  QLabel* StatusSelection = nullptr;  // panel 2
  QProgressBar* Progress = nullptr;   // over panels 1 and 2 while a run is active

  static constexpr int StatusPanel0Width = 220;
  static constexpr int StatusPanel1Width = 250;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Per list: its sort state, whether the result area was shown and maximized, its height.
  struct TListState {
    int SortColumn = 1;  // 255: unsorted
    bool Descending = false;
    bool Maximized = false;
    bool Shown = false;
    int Height = 100;
  };

  // TTreeObserver: catalogs and disks that come and go.
  void NodesInserted(TNode* parent, int first, int last) override;
  void NodesAboutToBeRemoved(TNode* parent, int first, int last) override;
  void NodesRemoved(TNode* parent, int first, int last) override;
  void NodeChanged(TNode* node) override;

  QWidget* CreateSettingsPage();
  QWidget* CreateLimitPage();
  QWidget* CreateNamePage();
  QWidget* CreateDescriptionPage();
  QWidget* CreateCategoryPage();
  QWidget* CreateSizePage();
  QWidget* CreateDatePage();
  void CreateResultPanel();
  void CreateStatusBar();
  void FillFileTypes();
  void UpdatePageControls();
  void PageChanging(int to);
  void ScopeChanged();
  void SetScope(QTreeWidgetItem* item, int state);
  void UpdateCatalogState(QTreeWidgetItem* catalog);
  void SetAllScope(bool on);
  void UpdateScopeButtons();
  void UpdateModeButtons();
  void LayoutWindow();
  void LayoutStatusPanels();
  void ShowRunStatus(const TSearchStatus& status);
  void ShowRows();
  void ShowProgress(bool on);
  void ReselectRecords(const std::vector<TItemRec*>& selected, TItemRec* focused);
  void ListPacked();
  bool ArchivesAsFiles() const;
  TListState& State() { return states_[duplicates_ ? 1 : 0]; }
  void Invalid(QWidget* field, const std::string& title, const std::string& text);
  void ScheduleScopeRebuild();

  THost host_;
  TResultList results_{TListKind::Search};
  TResultList dups_{TListKind::Duplicates};
  std::unique_ptr<TMainThread> mainThread_;
  std::unique_ptr<TSearchThread> thread_;
  bool duplicates_ = false;
  std::array<TListState, 2> states_;
  std::array<std::string, 4> nameTexts_;  // exact, part, mask, extension
  int nameTextMode_ = int(TNameMode::Part);
  int page_ = PageSettings;
  bool changingPage_ = false;
  int viewStyle_ = 3;
  QStackedWidget* listStack_ = nullptr;
  QStackedWidget* nameStack_ = nullptr;
  QWidget* topPanel_ = nullptr;
  QSplitter* splitter_ = nullptr;
  // The status display of a run, at most every StatusIntervalMs; the latest waits in pending_.
  QElapsedTimer statusClock_;
  QTimer* statusTimer_ = nullptr;
  TSearchStatus pending_;
  bool statusPending_ = false;
  // The rows the run has given and the view does not show yet; likewise paced.
  QElapsedTimer rowsClock_;
  QTimer* rowsTimer_ = nullptr;
  int pendingRows_ = 0;
  bool scopeRebuildPending_ = false;
  int scopeRemoving_ = 0;
};

// Texts of the window and its messages.
inline constexpr char SearchCaption[] = "Search";
inline constexpr char DuplicatesSearchCaption[] = "Duplicates Search";
inline constexpr char InvalidMaskTitle[] = "Invalid File Mask";
inline constexpr char InvalidMaskText[] =
    "The DOS File Mask is not valid.\r\nPlease enter a correct mask or change search settings.";
inline constexpr char InvalidDescriptionTitle[] = "Invalid description";
inline constexpr char EmptyDescriptionText[] =
    "The description field is still empty.\r\nPlease enter a data you are searching for.";
// "The Extension field is still empty.\r\nPlease enter a data you are searching for."
std::string EmptyFieldText(const std::string& label);
inline constexpr char RemoveSelectedTitle[] = "Delete items";
inline constexpr char RemoveSelectedFoundText[] = "Remove selected item(s) from the found list?";
inline constexpr char RemoveAllTitle[] = "Delete all items";
inline constexpr char RemoveAllFoundText[] = "Remove all items from the found list?";
inline constexpr char ClearingFileListText[] = "Clearing file list...";
inline constexpr char SortingText[] = "Sorting...";
inline constexpr char SearchReadErrorTitle[] = "Catalog error";

// The status texts of a run.
std::string RunStatusText(const TSearchStatus& status);
// "Items in list: 12"
std::string ItemsInListText(int count);
// The progress bar's position, 0..1000.
int ProgressPosition(int checked, int total);

}  // namespace tf
