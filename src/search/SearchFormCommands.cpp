#include "search/SearchForm.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "browse/Icons.h"
#include "browse/ItemList.h"
#include "browse/ItemText.h"
#include "browse/Main.h"
#include "classify/UserList.h"
#include "platform/Prompts.h"
#include "report/ReportForm.h"
#include "search/SearchFormParts.h"
#include "settings/Options.h"
#include "text/Text.h"

namespace tf {

using namespace searchform;

// ---- page controls, validation ----------------------------------------------------------------

void TSearchForm::UpdatePageControls() {
  MaxFoundNum->setEnabled(LimitFoundCheck->isChecked() && !duplicates_);
  auto mode = TNameMode(NameCombo->currentIndex());
  static const char* labels[] = {"File Name:", "Search for:", "File Mask:", "Extension:", "File Type:"};
  NameLabel->setText(QLatin1String(labels[std::clamp(int(mode), 0, 4)]));
  nameStack_->setCurrentWidget(mode == TNameMode::FileType ? static_cast<QWidget*>(FileTypeCombo)
                                                           : static_cast<QWidget*>(NameEdit));
  FileCaseCheck->setEnabled(mode == TNameMode::Exact || mode == TNameMode::Part);
  DescCaseCheck->setEnabled(DescCheck2->isChecked());
  DescEdit->setEnabled(DescCheck2->isChecked());
  bool size2 = SecondShown(SizeCombo->currentIndex(), int(TSizeCompare::Between),
                           int(TSizeCompare::NotBetween));
  for (QWidget* w : {static_cast<QWidget*>(SizeAndLabel), static_cast<QWidget*>(SizeValue2),
                     static_cast<QWidget*>(SizeUnits2)})
    w->setVisible(size2);
  bool date2 = SecondShown(DateCombo2->currentIndex(), int(TDateCompare::Between),
                           int(TDateCompare::NotBetween));
  DateAndLabel->setVisible(date2);
  DatePicker2->setVisible(date2);
  bool time2 = SecondShown(TimeCombo2->currentIndex(), int(TTimeCompare::Between),
                           int(TTimeCompare::NotBetween));
  TimeAndLabel->setVisible(time2);
  TimePicker2->setVisible(time2);
}

void TSearchForm::NameComboChange() {
  // Each text mode keeps its own text; the file type mode shows its list instead.
  int mode = NameCombo->currentIndex();
  if (mode != int(TNameMode::FileType) && mode != nameTextMode_) {
    nameTexts_[std::size_t(nameTextMode_)] = NameEdit->text().toStdString();
    NameEdit->setText(Q(nameTexts_[std::size_t(mode)]));
    nameTextMode_ = mode;
  }
  UpdatePageControls();
}

void TSearchForm::Invalid(QWidget* field, const std::string& title, const std::string& text) {
  host_.Prompts.Message(title, text, TButtons::Ok, TIcon::Error);
  if (field && field->isVisible()) field->setFocus();
}

bool TSearchForm::ValidatePage(int page) {
  // The pages' tags: the name page and the pages without one 0, then description 1, size 2,
  // date 3.
  int tag = page == PageDescription ? 1 : page == PageSize ? 2 : page == PageDate ? 3 : 0;
  if (tag == 0 && ByNameCheck->isChecked() && !duplicates_) {
    auto mode = TNameMode(NameCombo->currentIndex());
    std::string label = mode == TNameMode::Exact || mode == TNameMode::Part ? "Item Name"
                        : mode == TNameMode::Mask                           ? "File Mask"
                        : mode == TNameMode::Extension                      ? "Extension"
                                                                            : "File Type";
    bool filled = mode == TNameMode::FileType ? FileTypeCombo->currentIndex() > 0
                                              : !NameEdit->text().isEmpty();
    QWidget* field = mode == TNameMode::FileType ? static_cast<QWidget*>(FileTypeCombo)
                                                 : static_cast<QWidget*>(NameEdit);
    if (!filled) {
      Invalid(field, "Invalid " + label, EmptyFieldText(label));
      return false;
    }
    if (mode == TNameMode::Mask) {
      std::string mask = NormalizeMask(NameEdit->text().toStdString());
      if (mask.empty()) {
        Invalid(NameEdit, InvalidMaskTitle, InvalidMaskText);
        return false;
      }
      NameEdit->setText(Q(mask));
    } else if (mode == TNameMode::Extension) {
      NameEdit->setText(Q(NormalizeExtensionList(NameEdit->text().toStdString())));
    }
  }
  if (tag == 1 && ByDescCheck->isChecked() && DescCheck2->isChecked() && DescEdit->text().isEmpty()) {
    Invalid(DescEdit, InvalidDescriptionTitle, EmptyDescriptionText);
    return false;
  }
  if (tag == 2 && SecondShown(SizeCombo->currentIndex(), int(TSizeCompare::Between),
                              int(TSizeCompare::NotBetween))) {
    TSearchControls k = Controls();
    uint32_t low = SizeToBytes(k.SizeValue1);
    uint32_t high = SizeToBytes(k.SizeValue2);
    if (low > high) std::swap(k.SizeValue1, k.SizeValue2);
    SizeValue1->setText(Q(k.SizeValue1.Text));
    SizeUnits1->setCurrentIndex(k.SizeValue1.Unit);
    SizeValue2->setText(Q(k.SizeValue2.Text));
    SizeUnits2->setCurrentIndex(k.SizeValue2.Unit);
  }
  if (tag == 3) {
    if (SecondShown(DateCombo2->currentIndex(), int(TDateCompare::Between),
                    int(TDateCompare::NotBetween)) &&
        DatePicker2->date() < DatePicker1->date()) {
      QDate first = DatePicker1->date();
      DatePicker1->setDate(DatePicker2->date());
      DatePicker2->setDate(first);
    }
    if (SecondShown(TimeCombo2->currentIndex(), int(TTimeCompare::Between),
                    int(TTimeCompare::NotBetween)) &&
        TimePicker2->time() < TimePicker1->time()) {
      QTime first = TimePicker1->time();
      TimePicker1->setTime(TimePicker2->time());
      TimePicker2->setTime(first);
    }
  }
  return true;
}

void TSearchForm::PageChanging(int to) {
  if (changingPage_ || to == page_) return;
  // The page being left is shown again while it is checked, so that its message points at a
  // field the user sees; an invalid page stays.
  int from = page_;
  changingPage_ = true;
  PageControl->setCurrentIndex(from);
  changingPage_ = false;
  if (!ValidatePage(from)) return;
  changingPage_ = true;
  PageControl->setCurrentIndex(to);
  changingPage_ = false;
  page_ = PageControl->currentIndex();
}

// ---- mode, find, cancel, new search -----------------------------------------------------------

void TSearchForm::Open(bool duplicates) {
  if (duplicates != duplicates_ && !Running())
    (duplicates ? DuplicateSearchCheck : NormalSearchCheck)->setChecked(true);
  show();
  raise();
  activateWindow();
}

void TSearchForm::ModeClick(bool duplicates) {
  if (Running()) {
    // The other mode's button is disabled while a run goes on; a click that came anyway is
    // undone.
    QSignalBlocker block(DuplicateSearchCheck);
    (duplicates_ ? DuplicateSearchCheck : NormalSearchCheck)->setChecked(true);
    return;
  }
  FoundList->selectionModel()->clearSelection();
  duplicates_ = duplicates;
  for (int p = PageName; p < PageCount; ++p) PageControl->setTabVisible(p, !duplicates);
  if (duplicates && PageControl->currentIndex() >= PageName) {
    changingPage_ = true;
    PageControl->setCurrentIndex(PageSettings);
    changingPage_ = false;
    page_ = PageSettings;
  }
  NormalGroup->setVisible(!duplicates);
  NormalGroup->setEnabled(!duplicates);
  DuplicatesGroup->setVisible(duplicates);
  setWindowTitle(QLatin1String(duplicates ? DuplicatesSearchCaption : SearchCaption));
  Model->SetList(&Current());
  BtnMaximize->setChecked(State().Maximized);
  TListState& st = State();
  FoundList->header()->setSortIndicatorShown(st.SortColumn < FoundColumnCount);
  if (st.SortColumn < FoundColumnCount)
    FoundList->header()->setSortIndicator(st.SortColumn,
                                          st.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  UpdatePageControls();
  LayoutWindow();
  UpdateStatus();
  UpdateButtons();
}

void TSearchForm::BtnFindClick() {
  if (Running()) return;
  if (!ValidatePage(PageControl->currentIndex())) return;
  TSearchControls k = Controls();
  TSearchOptions options = SearchOptions;
  options.ArchivesAsFiles = ArchivesAsFiles();
  options.StatusIntervalMs = StatusIntervalMs;
  bool started = thread_->Find(k, duplicates_, options);
  // The sizes as the run read them (1.5 MB shows as 1536 KB).
  for (auto [edit, units, field] : {std::tuple{SizeValue1, SizeUnits1, &k.SizeValue1},
                                    std::tuple{SizeValue2, SizeUnits2, &k.SizeValue2},
                                    std::tuple{SizeValue3, SizeUnits3, &k.SizeValue3}}) {
    edit->setText(Q(field->Text));
    units->setCurrentIndex(std::clamp(field->Unit, 0, units->count() - 1));
  }
  if (!started) return;
  Animation->Start();
  TListState& st = State();
  if (!st.Shown) {
    st.Shown = true;
    LayoutWindow();
  }
  st.SortColumn = 255;
  st.Descending = false;
  FoundList->header()->setSortIndicatorShown(false);
  statusClock_.invalidate();
  statusPending_ = false;
  rowsClock_.invalidate();
  pendingRows_ = Model->Rows();
  UpdateButtons();
  ShowProgress(true);
  UpdateModeButtons();
  UpdateScopeButtons();
  if (!host_.Main.Busy()) host_.Main.ShowStatusText({}, 0);
  host_.Main.UpdateActions(true);
}

void TSearchForm::BtnCancelClick() {
  if (!Running()) return;
  thread_->Cancel();
  BtnCancel->setEnabled(false);
}

void TSearchForm::BtnNewClick() {
  if (Running()) return;
  SearchForCombo->setCurrentIndex(int(TSearchFor::FilesAndFolders));
  SearchTypeCombo->setCurrentIndex(int(TMatchMode::All));
  ByNameCheck->setChecked(false);
  nameTexts_ = {};
  NameEdit->clear();
  {
    QSignalBlocker block(NameCombo);
    NameCombo->setCurrentIndex(int(TNameMode::Part));
  }
  nameTextMode_ = int(TNameMode::Part);
  FileTypeCombo->setCurrentIndex(0);
  FileCaseCheck->setChecked(false);
  for (QCheckBox* c : {AttrArchiveCheck, AttrHiddenCheck, AttrSystemCheck, AttrReadOnlyCheck})
    c->setCheckState(Qt::PartiallyChecked);
  ByCategoryCheck->setChecked(false);
  ByDescCheck->setChecked(false);
  DescCheck2->setChecked(true);
  DescEdit->clear();
  DescCaseCheck->setChecked(false);
  BySizeCheck->setChecked(false);
  SizeCombo->setCurrentIndex(int(TSizeCompare::None));
  for (QLineEdit* e : {SizeValue1, SizeValue2, SizeValue3}) e->setText(QStringLiteral("0"));
  for (QComboBox* u : {SizeUnits1, SizeUnits2, SizeUnits3}) u->setCurrentIndex(0);
  SizeAllowTollerance->setChecked(false);
  ByDateCheck->setChecked(false);
  DateCombo1->setCurrentIndex(int(TDateField::None));
  DateCombo2->setCurrentIndex(int(TDateCompare::On));
  DatePicker1->setDate(QDate::currentDate());
  DatePicker2->setDate(QDate::currentDate());
  DateTollerance->setValue(0);
  DateAllowTollerance->setChecked(false);
  TimeCombo1->setCurrentIndex(int(TTimeField::None));
  TimeCombo2->setCurrentIndex(int(TTimeCompare::At));
  TimeTollerance->setValue(0);
  TimeAllowTollerance->setChecked(false);
  UpdatePageControls();
  FoundList->selectionModel()->clearSelection();
  Current().Clear();
  Model->Reset();
  State().Shown = false;
  LayoutWindow();
  UpdateButtons();
  UpdateStatus();
}

// ---- the run's side ---------------------------------------------------------------------------

void TSearchForm::ShowStatus(const TSearchStatus& status) {
  // A run of ten million items asks ~78,000 times; the display follows at a pace the eye can
  // use, and the latest state always shows in the end.
  if (statusClock_.isValid() && statusClock_.elapsed() < StatusIntervalMs) {
    pending_ = status;
    statusPending_ = true;
    if (!statusTimer_->isActive())
      statusTimer_->start(std::max<int>(1, StatusIntervalMs - int(statusClock_.elapsed())));
    return;
  }
  statusPending_ = false;
  ShowRunStatus(status);
}

void TSearchForm::ShowRunStatus(const TSearchStatus& status) {
  statusClock_.start();
  if (status.Checked < 1) {
    UpdateStatus();
    return;
  }
  StatusState->setText(Q(RunStatusText(status)));
  Progress->setValue(ProgressPosition(status.Checked, status.Total));
}

int TSearchForm::ViewCount() { return Model->Rows(); }

void TSearchForm::SetViewCount(int count) {
  // Each new count lays the list view out anew, which costs in proportion to its rows: the
  // first rows show at once, more follow at the status display's pace, and the end of the
  // run shows them all.
  pendingRows_ = count;
  if (Model->Rows() > 0 && rowsClock_.isValid() && rowsClock_.elapsed() < StatusIntervalMs) {
    if (!rowsTimer_->isActive())
      rowsTimer_->start(std::max<int>(1, StatusIntervalMs - int(rowsClock_.elapsed())));
    return;
  }
  ShowRows();
}

void TSearchForm::ShowRows() {
  rowsClock_.start();
  if (pendingRows_ <= Model->Rows()) return;
  Model->SetRows(pendingRows_);
  UpdateButtons();
}

bool TSearchForm::ContainerShown(TNode* container) {
  // A list stays while the main window shows it, while a window's list holds one of its
  // records (the search results, the duplicates, the user list), and while a report reads it.
  return host_.Main.Items().Shown() == container || FilesListed(container) ||
         host_.Main.ReportWalking() == container;
}

void TSearchForm::SearchEnded() {
  statusTimer_->stop();
  statusPending_ = false;
  rowsTimer_->stop();
  rowsClock_.invalidate();
  Model->SetRows(Current().Count());
  Animation->Stop();
  ShowProgress(false);
  UpdateButtons();
  if (TReportForm* report = host_.Main.ReportWindow()) report->SetupDialog();
  UpdateStatus();
  UpdateScopeButtons();
  UpdateModeButtons();
  CreateCatalogTree();
  CreateCategoryList();
  if (!host_.Main.Busy()) host_.Main.ShowStatusText({}, 0);
  host_.Main.UpdateActions(true);
  const std::vector<std::string>& errors = thread_->Engine().ReadErrors();
  if (!errors.empty()) {
    std::string text = "Parts of the catalogs could not be read and were passed over:";
    for (std::size_t i = 0; i < errors.size() && i < 10; ++i) text += "\r" + errors[i];
    if (errors.size() > 10) text += "\r...";
    host_.Prompts.Message(SearchReadErrorTitle, text, TButtons::Ok, TIcon::Warning);
  }
}

void TSearchForm::ShowProgress(bool on) {
  Progress->setValue(0);
  Progress->setVisible(on);
  if (on) {
    LayoutStatusPanels();
    Progress->raise();
  }
}

// ---- buttons and status -----------------------------------------------------------------------

TItemRec* TSearchForm::FocusedItem() const {
  return Model->RecordAt(FoundList->selectionModel()->currentIndex().row());
}

std::vector<TItemRec*> TSearchForm::SelectedItems() const {
  QModelIndexList rows = FoundList->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<TItemRec*> out;
  out.reserve(std::size_t(rows.size()));
  for (const QModelIndex& i : rows)
    if (TItemRec* r = Model->RecordAt(i.row())) out.push_back(r);
  return out;
}

std::vector<TItemRec*> TSearchForm::CurrentRecords() const {
  std::vector<TItemRec*> out;
  if (thread_->Running()) return out;
  const TResultList& list = duplicates_ ? dups_ : results_;
  for (TItemRec* rec : list.Items())
    if (rec) out.push_back(rec);
  return out;
}

void TSearchForm::UpdateButtons() {
  std::vector<TItemRec*> selected = SelectedItems();
  TFoundListActions a = FoundListActionState(Running(), Model->Rows(), FocusedItem(), selected);
  BtnFind->setEnabled(a.Find);
  BtnNew->setEnabled(a.Find);
  BtnCancel->setEnabled(a.Cancel && !thread_->Engine().StopRequested());
  for (QAction* b : {BtnDelete, BtnClear, BtnReport}) b->setEnabled(a.ListCommands);
  bool services = host_.Main.HasServices();
  BtnExplorer->setEnabled(a.OpenInExplorer);
  BtnLaunch->setEnabled(a.Launch);
  for (QAction* b : {BtnEditDesc, BtnExplorer, BtnLaunch}) b->setVisible(services);
  BtnSetCat->setEnabled(a.SetCategory);
  BtnSetCat->setVisible(bool(host_.SetCategories));
  BtnAddList->setEnabled(a.AddToUserList);
  BtnAddList->setVisible(bool(host_.AddToUserList));
  for (QAction* b : {BtnLocate, BtnEditDesc, BtnProperties}) b->setEnabled(a.ItemCommands);
  BtnProperties->setVisible(bool(host_.Properties));
}

void TSearchForm::UpdateStatus() {
  if (!Running()) StatusState->setText(Q(ItemsInListText(Model->Rows())));
  QModelIndex current = FoundList->selectionModel()->currentIndex();
  ShowItemStatus(StatusItem, StatusSelection, Model->index(current.row(), 0).data().toString(),
                 Model->RecordAt(current.row()), SelectedItems());
}

void TSearchForm::UpdateModeButtons() {
  bool running = Running();
  NormalSearchCheck->setEnabled(!running || !duplicates_);
  DuplicateSearchCheck->setEnabled(!running || duplicates_);
}

void TSearchForm::LayoutStatusPanels() {
  // Of the width after the first panel and 3 pixels, the item panel gets 65 percent.
  int rest = std::max(0, statusBar()->width() - StatusPanel0Width - 3);
  int item = rest * 65 / 100;
  StatusItem->setFixedWidth(item);
  StatusSelection->setFixedWidth(std::max(0, rest - item - 24));
  int x = StatusPanel0Width + 6;
  Progress->setGeometry(x, 2, std::max(0, statusBar()->width() - x - 20),
                        std::max(8, statusBar()->height() - 4));
}

void TSearchForm::LayoutWindow() {
  TListState& st = State();
  bool wasShown = !ResultPanel->isHidden();
  // The height the list had on screen, for when it shows again.
  if (wasShown && ResultPanel->isVisible()) st.Height = std::clamp(listStack_->height(), 60, 600);
  ResultPanel->setVisible(st.Shown);
  topPanel_->setVisible(!(st.Shown && st.Maximized));
  if (st.Shown && !wasShown) {
    // Room for the list below the pages, as high as it was when last shown.
    int top = topPanel_->isVisibleTo(this) ? topPanel_->sizeHint().height() : 0;
    int want = top + FoundToolbar->sizeHint().height() + st.Height + statusBar()->sizeHint().height() + 12;
    if (height() < want) resize(width(), want);
    if (top > 0) splitter_->setSizes({top, std::max(st.Height, height() - top)});
  }
}

void TSearchForm::BtnMaximizeClick() {
  State().Maximized = BtnMaximize->isChecked();
  LayoutWindow();
}

void TSearchForm::SetViewStyle(int style) {
  viewStyle_ = std::clamp(style, 0, 3);
  ShowViewStyle(viewStyle_, listStack_, FoundList, FoundIconView, ViewButtons());
}

QAbstractItemView* TSearchForm::ActiveView() const {
  return viewStyle_ == ViewDetails ? static_cast<QAbstractItemView*>(FoundList)
                                   : static_cast<QAbstractItemView*>(FoundIconView);
}

void TSearchForm::ApplySettings(const TOptions& o) {
  int size = 16 + 4 * std::clamp(o.ButtonSizeBar, 0, kButtonSizeMax);
  FoundToolbar->setIconSize(QSize(size, size));
  for (QToolButton* b : FoundToolbar->findChildren<QToolButton*>()) b->setAutoRaise(!o.OldButtonsCheck);
  Model->Hints = o.DescAsTipsCheck;
}

bool TSearchForm::ArchivesAsFiles() const { return host_.Main.Items().SortArchivesAsFiles; }

// ---- sorting, removing ------------------------------------------------------------------------

void TSearchForm::ReselectRecords(const std::vector<TItemRec*>& selected, TItemRec* focused) {
  TResultList& list = Current();
  auto rowOf = [&](TItemRec* rec) {
    // The stored position is the row modulo 32768.
    for (int r = ListIndexOf(rec, list.Kind()); r >= 0 && r < list.Count(); r += 32768)
      if (list.At(r) == rec) return r;
    return -1;
  };
  std::vector<int> rows;
  rows.reserve(selected.size());
  for (TItemRec* rec : selected)
    if (int r = rowOf(rec); r >= 0) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  QItemSelection selection;
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    selection.select(Model->index(rows[i], 0), Model->index(rows[j], 0));
    i = j + 1;
  }
  QItemSelectionModel* sel = FoundList->selectionModel();
  if (!selection.isEmpty()) sel->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (focused)
    if (int r = rowOf(focused); r >= 0) sel->setCurrentIndex(Model->index(r, 0), QItemSelectionModel::NoUpdate);
}

void TSearchForm::FoundListColumnClick(int column) {
  TListState& st = State();
  QHeaderView* header = FoundList->header();
  auto indicator = [&] {
    header->setSortIndicatorShown(st.SortColumn < FoundColumnCount);
    if (st.SortColumn < FoundColumnCount)
      header->setSortIndicator(st.SortColumn, st.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  };
  if (Running() || column < 0 || column >= FoundColumnCount) {
    indicator();
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  StatusItem->setText(QLatin1String(SortingText));
  StatusItem->repaint();
  std::vector<TItemRec*> selected = SelectedItems();
  TItemRec* focused = FocusedItem();
  if (column == st.SortColumn) {
    // The same column again turns the order round, without comparing.
    st.Descending = !st.Descending;
    Current().Reverse();
  } else {
    st.SortColumn = column;
    st.Descending = false;
    Current().Sort(Columns[column].Key, false, ArchivesAsFiles());
  }
  Model->Reset();
  ReselectRecords(selected, focused);
  indicator();
  QApplication::restoreOverrideCursor();
  UpdateStatus();
}

void TSearchForm::SearchRemoveMenuClick() {
  if (!BtnDelete->isEnabled() || FoundList->selectionModel()->selectedRows().isEmpty()) return;
  if (host_.Prompts.Message(RemoveSelectedTitle, RemoveSelectedFoundText, TButtons::YesNo,
                            TIcon::Question) != TAnswer::Yes)
    return;
  std::vector<int> rows;
  for (const QModelIndex& i : FoundList->selectionModel()->selectedRows()) rows.push_back(i.row());
  FoundList->selectionModel()->clearSelection();
  Current().Remove(rows);
  Model->Reset();
  UpdateButtons();
  UpdateStatus();
}

void TSearchForm::BtnClearClick() {
  if (!BtnClear->isEnabled()) return;
  if (host_.Prompts.Message(RemoveAllTitle, RemoveAllFoundText, TButtons::YesNo,
                            TIcon::Question) != TAnswer::Yes)
    return;
  host_.Main.ShowStatusText(ClearingFileListText, 2);
  FoundList->selectionModel()->clearSelection();
  Current().Clear();
  Model->Reset();
  UpdateButtons();
  UpdateStatus();
  host_.Main.ShowStatusText({}, 0);
}

void TSearchForm::ListPacked() {
  // Records of a closed catalog or a deleted disk left the list.
  Model->Reset();
  UpdateButtons();
  UpdateStatus();
}

void TSearchForm::ReleaseResults() {
  FoundList->selectionModel()->clearSelection();
  results_.Clear();
  dups_.Clear();
  Model->Reset();
  UpdateButtons();
  UpdateStatus();
}

// ---- item commands ----------------------------------------------------------------------------

void TSearchForm::BtnLocateClick() {
  if (TItemRec* rec = FocusedItem()) host_.Main.LocateItem(rec);
}

void TSearchForm::BtnEditDescClick() {
  TItemRec* rec = FocusedItem();
  if (!rec || !BtnEditDesc->isVisible()) return;
  host_.Main.EditItemDescription(rec);
  ActiveView()->viewport()->update();
  UpdateStatus();
}

void TSearchForm::BtnPropertiesClick() {
  TItemRec* rec = FocusedItem();
  if (!rec || !host_.Properties) return;
  host_.Properties(rec->Node, rec);
  ActiveView()->viewport()->update();
  UpdateStatus();
}

void TSearchForm::BtnExplorerClick() {
  if (BtnExplorer->isEnabled() && BtnExplorer->isVisible()) host_.Main.OpenRecordFolder(FocusedItem());
}

void TSearchForm::BtnLaunchClick() {
  if (BtnLaunch->isEnabled() && BtnLaunch->isVisible()) host_.Main.LaunchRecord(FocusedItem());
}

void TSearchForm::BtnSetCatClick() {
  if (!BtnSetCat->isEnabled() || !host_.SetCategories) return;
  if (host_.SetCategories(SelectedItems())) ActiveView()->viewport()->update();
}

void TSearchForm::BtnAddListClick() {
  if (!BtnAddList->isEnabled() || !host_.AddToUserList) return;
  host_.AddToUserList(SelectedItems());
  UpdateButtons();
}

void TSearchForm::BtnReportClick() {
  if (BtnReport->isEnabled()) host_.Main.ButtonPrintClick(TReportSource::SearchResults);
}

void TSearchForm::FoundListDblClick() { BtnPropertiesClick(); }

bool TSearchForm::FoundListPopupPopup() {
  TItemRec* rec = FocusedItem();
  if (!rec) return false;
  UpdateButtons();
  bool services = host_.Main.HasServices();
  PopupEditDesc->setVisible(services);
  PopupEditDesc->setEnabled(BtnEditDesc->isEnabled());
  PopupLocate->setEnabled(BtnLocate->isEnabled());
  PopupProperties->setVisible(bool(host_.Properties));
  PopupAddList->setVisible(bool(host_.AddToUserList));
  PopupAddList->setEnabled(BtnAddList->isEnabled());
  PopupSetCat->setVisible(bool(host_.SetCategories) && BtnSetCat->isEnabled());
  PopupExplorer->setVisible(services && BtnExplorer->isEnabled());
  PopupLaunch->setVisible(services && BtnLaunch->isEnabled());
  PopupRemove->setVisible(BtnDelete->isEnabled());
  int setting = host_.Options ? int(host_.Options().FileDoubleClickCombo) : 3;
  QAction* standard = nullptr;
  switch (UserListDefaultEntry(setting, rec)) {
    case TUserListCommand::Properties: standard = PopupProperties; break;
    case TUserListCommand::Explorer: standard = PopupExplorer; break;
    case TUserListCommand::Launch: standard = PopupLaunch; break;
    case TUserListCommand::None: break;
  }
  FoundListPopup->setDefaultAction(standard && standard->isVisible() ? standard : nullptr);
  return true;
}

// ---- the scope tree and the category lists ----------------------------------------------------

int TSearchForm::ScopeState(const QTreeWidgetItem* item) {
  return item ? item->data(0, StateRole).toInt() : 0;
}

void TSearchForm::SetScope(QTreeWidgetItem* item, int state) {
  auto* node = static_cast<TNode*>(item->data(0, NodeRole).value<void*>());
  item->setData(0, StateRole, state);
  if (node && node->Record) SetFlag(node->Record, SearchScope, state == 2);
  TIconList& icons = host_.Main.Icons();
  int image = node && node->Kind() == ikDisk
                  ? icons.DriveIcon(static_cast<TDiskRec*>(node->Record)->MediaType)
                  : icons.CatalogIcon();
  QPixmap pm(StateImageWidth + ScopeIconGap + 16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.drawPixmap(0, 0, StatePixmap(state, palette().color(QPalette::Base)));
  p.drawPixmap(StateImageWidth + ScopeIconGap, 0, icons.Icon(image).pixmap(16, 16));
  p.end();
  item->setIcon(0, QIcon(pm));
}

void TSearchForm::UpdateCatalogState(QTreeWidgetItem* catalog) {
  int checked = 0, unchecked = 0;
  for (int i = 0; i < catalog->childCount(); ++i)
    (ScopeState(catalog->child(i)) == 2 ? checked : unchecked) += 1;
  int state = checked > 0 && unchecked > 0 ? 3 : unchecked > 0 ? 1 : 2;
  SetScope(catalog, state);
}

void TSearchForm::CreateCatalogTree() {
  scopeRebuildPending_ = false;
  CatalogTree->clear();
  TCatalogTree& tree = host_.Tree;
  for (int c = 0; c < tree.CatalogCount(); ++c) {
    TNode* cat = tree.Catalog(c);
    auto* item = new QTreeWidgetItem(CatalogTree, {Q(ToDisplay(cat->Caption))});
    item->setData(0, NodeRole, QVariant::fromValue<void*>(cat));
    // A catalog starts checked; its disks then decide.
    SetScope(item, 2);
    for (int d = 0; d < cat->ChildCount(); ++d) {
      TNode* disk = cat->Child(d);
      if (disk->Kind() != ikDisk) continue;
      auto* child = new QTreeWidgetItem(item, {Q(ToDisplay(disk->Caption))});
      child->setData(0, NodeRole, QVariant::fromValue<void*>(disk));
      SetScope(child, HasFlag(disk->Record, SearchScope) ? 2 : 1);
    }
    if (item->childCount() > 0) UpdateCatalogState(item);
    item->setExpanded(true);
  }
  UpdateScopeButtons();
}

void TSearchForm::CatalogTreeToggle(QTreeWidgetItem* item) {
  if (!item || Running()) return;
  int state = ScopeState(item) == 2 ? 1 : 2;
  if (QTreeWidgetItem* catalog = item->parent()) {
    SetScope(item, state);
    UpdateCatalogState(catalog);
  } else {
    for (int i = 0; i < item->childCount(); ++i) SetScope(item->child(i), state);
    SetScope(item, state);
  }
  UpdateScopeButtons();
}

void TSearchForm::SetAllScope(bool on) {
  if (Running()) return;
  for (int c = 0; c < CatalogTree->topLevelItemCount(); ++c) {
    QTreeWidgetItem* cat = CatalogTree->topLevelItem(c);
    for (int d = 0; d < cat->childCount(); ++d) SetScope(cat->child(d), on ? 2 : 1);
    SetScope(cat, on ? 2 : 1);
  }
  UpdateScopeButtons();
}

void TSearchForm::UpdateScopeButtons() {
  bool notAllChecked = false, notAllUnchecked = false;
  for (int c = 0; c < CatalogTree->topLevelItemCount(); ++c) {
    int state = ScopeState(CatalogTree->topLevelItem(c));
    notAllChecked |= state != 2;
    notAllUnchecked |= state != 1;
  }
  IncludeBtn->setEnabled(!Running() && notAllChecked);
  ExcludeBtn->setEnabled(!Running() && notAllUnchecked);
}

void TSearchForm::CreateCategoryList() {
  // Names of every open catalog, each once (exact comparison); entries that stay keep their
  // check marks, entries no catalog has any more go.
  std::vector<std::string> categories, flags;
  auto add = [](std::vector<std::string>& v, const std::string& name) {
    if (!name.empty() && std::find(v.begin(), v.end(), name) == v.end()) v.push_back(name);
  };
  for (int c = 0; c < host_.Tree.CatalogCount(); ++c) {
    auto* rec = static_cast<TCatalogRec*>(host_.Tree.Catalog(c)->Record);
    for (const TCategory& cat : rec->Categories) add(categories, cat.Name);
    for (const TText& flag : rec->FlagNames) add(flags, flag.Str());
  }
  for (auto [list, names] : {std::pair{CategoryList, &categories}, std::pair{FlagsList, &flags}}) {
    std::vector<bool> used(names->size(), false);
    for (int i = list->count() - 1; i >= 0; --i) {
      std::string name = list->item(i)->data(Qt::UserRole).toByteArray().toStdString();
      auto it = std::find(names->begin(), names->end(), name);
      if (it == names->end())
        delete list->takeItem(i);
      else
        used[std::size_t(it - names->begin())] = true;
    }
    for (std::size_t i = 0; i < names->size(); ++i) {
      if (used[i]) continue;
      auto* item = new QListWidgetItem(Q(ToDisplay((*names)[i])), list);
      item->setData(Qt::UserRole, QByteArray::fromStdString((*names)[i]));
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  }
}

void TSearchForm::ScheduleScopeRebuild() {
  if (scopeRebuildPending_) return;
  scopeRebuildPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (!scopeRebuildPending_) return;
    CreateCatalogTree();
    CreateCategoryList();
  });
}

void TSearchForm::NodesInserted(TNode* parent, int, int) {
  // A catalog opened or a disk added; folders read by a run are none of the scope's business.
  if (parent == host_.Tree.Root() || (parent && parent->Kind() == ikCatalog)) ScheduleScopeRebuild();
}

void TSearchForm::NodesAboutToBeRemoved(TNode* parent, int, int) {
  if (parent == host_.Tree.Root() || (parent && parent->Kind() == ikCatalog)) {
    // The scope's nodes point at the tree's: none may outlive its node.
    CatalogTree->clear();
    ++scopeRemoving_;
  }
}

void TSearchForm::NodesRemoved(TNode* parent, int, int) {
  if (scopeRemoving_ > 0 && (parent == host_.Tree.Root() || (parent && parent->Kind() == ikCatalog))) {
    --scopeRemoving_;
    ScheduleScopeRebuild();
  }
}

void TSearchForm::NodeChanged(TNode* node) {
  if (!node || (node->Kind() != ikCatalog && node->Kind() != ikDisk)) return;
  // A renamed catalog or disk.
  for (int c = 0; c < CatalogTree->topLevelItemCount(); ++c) {
    QTreeWidgetItem* cat = CatalogTree->topLevelItem(c);
    for (QTreeWidgetItem* item : {cat}) {
      if (item->data(0, NodeRole).value<void*>() == node) item->setText(0, Q(ToDisplay(node->Caption)));
    }
    for (int d = 0; d < cat->childCount(); ++d)
      if (cat->child(d)->data(0, NodeRole).value<void*>() == node)
        cat->child(d)->setText(0, Q(ToDisplay(node->Caption)));
  }
  ActiveView()->viewport()->update();
}

// ---- events -----------------------------------------------------------------------------------

void TSearchForm::showEvent(QShowEvent* event) {
  if (!Running()) {
    CreateCatalogTree();
    CreateCategoryList();
  }
  UpdateButtons();
  UpdateStatus();
  QMainWindow::showEvent(event);
}

void TSearchForm::closeEvent(QCloseEvent* event) {
  // Hidden, not destroyed: criteria and results stay for the next time.
  hide();
  event->ignore();
}

bool TSearchForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && event->type() == QEvent::Resize) LayoutStatusPanels();
  if (watched == StatusItem && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
    BtnPropertiesClick();
  if (watched == CatalogTree->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    QPoint pos = mouse->position().toPoint();
    if (QTreeWidgetItem* item = CatalogTree->itemAt(pos)) {
      // The state image is the first part of the node's picture.
      QRect rect = CatalogTree->visualItemRect(item);
      int x = pos.x() - rect.left();
      if (mouse->button() == Qt::LeftButton && x >= 0 && x < StateImageWidth + 4) {
        CatalogTree->setCurrentItem(item);
        CatalogTreeToggle(item);
        return true;
      }
    }
  }
  if (watched == CatalogTree && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
    CatalogTreeToggle(CatalogTree->currentItem());
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tf
