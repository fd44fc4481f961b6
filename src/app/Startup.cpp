#include "app/Startup.h"

#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>

#include "app/Chrome.h"
#include "settings/Options.h"
#include "app/OptionsForm.h"
#include "browse/Main.h"
#include "browse/WaitForm.h"
#include "classify/ClassifyWindows.h"
#include "platform/DesktopIntegration.h"
#include "platform/Drives.h"
#include "platform/SettingsStore.h"
#include "scan/InsertMedia.h"
#include "scan/Utils.h"
#include "search/SearchWindows.h"

namespace tf {

namespace {

QFont SlotFont(const TOptions& options, int slot, const QFont& system) {
  const TFontSlot& s = options.Fonts[std::size_t(slot)];
  return s.UseCustom ? ToQFont(s.Custom) : system;
}

// What a large catalog set leaves on the heap; freeing it takes a moment worth a notice.
constexpr std::size_t ShutdownNoticeBytes = 563200;

}  // namespace

TApp::TApp(const TAppServices& services, std::vector<std::string> arguments)
    : services_(services), arguments_(std::move(arguments)) {
  TSettingsKey& settings = *services_.Settings;
  if (services_.Splash) {
    splash_ = new TSplashForm;
    splash_->setAttribute(Qt::WA_DeleteOnClose);
    splash_->show();
    splash_->repaint();
  }
  // Settings of another revision are discarded before anything reads them.
  ResetOutdatedSettings(settings);

  main_ = std::make_unique<TMainForm>(tree_, *services_.Prompts);
  main_->setWindowIcon(ProgramIcon());
  if (!services_.DataHome.empty() && !services_.ProgramPath.empty())
    RegisterCatalogFileType(services_.DataHome, services_.ProgramPath, services_.SystemDataDirs);
  RestoreWindowState();

  progress_ = std::make_unique<TWaitProgress>(*main_, main_.get());
  options_ = std::make_unique<TOptionsForm>(settings, *services_.Prompts, DesktopFontDefaults(),
                                            main_.get());
  mediaForm_ = std::make_unique<TMediaForm>(main_.get());
  media_ = std::make_unique<TMediaDetector>(*services_.Drives, *services_.Prompts, *mediaForm_);
  catalogs_ = std::make_unique<TOpenCatalogs>(tree_, *services_.Prompts, *progress_, this);
  catalogs_->RecentFiles = ReadMruList(settings);
  // The item and cataloguing commands: media, drives, shell, and the settings for folder
  // drives and the Add New Disk window's "Save as default".
  TMainForm::TItemServices items;
  items.Drives = services_.Drives;
  items.Media = media_.get();
  items.Shell = services_.Shell;
  items.FolderDrives = &settings;
  items.Options = [this] { return Options(); };
  items.SetOptions = [this](const TOptions& o) { options_->SetOptions(o); };
  main_->SetServices(std::move(items));
  // Properties, categories and the user list, behind the main window's commands.
  classify_ = std::make_unique<TClassifyWindows>(TClassifyWindows::TServices{
      *main_, tree_, *services_.Prompts, *progress_, [this] { return Options(); }, &settings});
  classify_->GenerateReport = [this] { main_->ButtonPrintClick(TReportSource::UserList); };
  // The search window, made when first opened.
  search_ = std::make_unique<TSearchWindows>(TSearchWindows::TServices{
      *main_, tree_, *services_.Prompts, [this] { return Options(); }, classify_.get()});

  AutoSaveTimer = new QTimer(this);
  AutoSaveTimer->setObjectName(QStringLiteral("AutoSaveTimer"));
  connect(AutoSaveTimer, &QTimer::timeout, this, &TApp::AutoSaveTimerTimeout);
  connect(options_.get(), &TOptionsForm::SettingsApplied, this, &TApp::ApplySettings);
  ConnectCommands();
  RebuildReopenMenu();
  main_->installEventFilter(this);
  heapAtStart_ = mallinfo2().uordblks;
}

TApp::~TApp() {
  if (main_) main_->removeEventFilter(this);
  Shutdown();
  // The windows that serve the main window go before it.
  search_.reset();
  classify_.reset();
}

TProgress& TApp::Progress() { return *progress_; }
const TOptions& TApp::Options() const { return options_->Options(); }

void TApp::ConnectCommands() {
  connect(main_->MenuNew, &QAction::triggered, this, &TApp::MenuNewClick);
  connect(main_->MenuOpen, &QAction::triggered, this, &TApp::MenuOpenClick);
  connect(main_->MenuSave, &QAction::triggered, this, [this] { MenuSaveClick(false); });
  connect(main_->MenuSaveAs, &QAction::triggered, this, [this] { MenuSaveClick(true); });
  connect(main_->MenuClose, &QAction::triggered, this, &TApp::MenuCloseClick);
  connect(main_->MenuCloseAll, &QAction::triggered, this, &TApp::MenuCloseAllClick);
  for (int page = 0; page < 5; ++page)
    connect(main_->MenuSettingsPage[page], &QAction::triggered, this,
            [this, page] { MenuSettingsClick(page); });
}

void TApp::Start() {
  ApplySettings();
  main_->show();
  QTimer::singleShot(0, this, &TApp::FirstIdle);
}

// ---- the window state ----------------------------------------------------------------------

void TApp::RestoreWindowState() {
  std::optional<std::vector<uint8_t>> record = services_.Settings->ReadBinary("WindowPos");
  if (!record) return;
  std::optional<TWindowPos> pos = DecodeWindowPos(*record);
  if (!pos) return;  // another length: the designed bounds
  main_->setWindowState(Qt::WindowNoState);
  if (pos->Width > 0 && pos->Height > 0)
    main_->setGeometry(pos->Left, pos->Top, pos->Width, pos->Height);
  main_->SetTreePaneWidth(pos->TreeWidth);
  main_->SetViewStyle(pos->ViewStyle);
  main_->SetSortState(pos->DiskSortKey, pos->FileSortKey, pos->ReverseOrder);
}

void TApp::SaveWindowState() {
  TWindowPos pos;
  // A maximized or minimized window is kept with its normal bounds.
  QRect bounds = main_->isMaximized() || main_->isMinimized() || main_->isFullScreen()
                     ? main_->normalGeometry()
                     : main_->geometry();
  pos.Left = bounds.left();
  pos.Top = bounds.top();
  pos.Width = bounds.width();
  pos.Height = bounds.height();
  pos.TreeWidth = main_->TreePaneWidth();
  pos.ViewStyle = uint8_t(main_->ViewStyle());
  pos.DiskSortKey = uint8_t(main_->Items().DiskSortKey);
  pos.FileSortKey = uint8_t(main_->Items().FileSortKey);
  pos.ReverseOrder = main_->Items().ReverseOrder;
  services_.Settings->WriteBinary("WindowPos", EncodeWindowPos(pos));
}

// ---- settings ------------------------------------------------------------------------------

void TApp::ApplySettings() {
  const TOptions& o = Options();
  main_->ApplyBrowseSettings(o);
  main_->SetFonts(SlotFont(o, FontCatalogTree, QApplication::font()),
                  SlotFont(o, FontFileList, QApplication::font()),
                  SlotFont(o, FontTips, QToolTip::font()));
  classify_->ApplySettings(o, SlotFont(o, FontProperties, QApplication::font()));
  search_->ApplySettings(o);
  ApplyAutoSaveSettings();
}

void TApp::ApplyAutoSaveSettings() {
  const TOptions& o = Options();
  if (o.AutoSaveEdit != autoSaveMinutes_) {
    autoSaveMinutes_ = o.AutoSaveEdit;
    AutoSaveTimer->setInterval(autoSaveMinutes_ * 60000);
  }
  catalogs_->CancelPendingAutoSave();
  if (o.AutoSaveCheck) {
    if (!AutoSaveTimer->isActive()) AutoSaveTimer->start();
  } else {
    AutoSaveTimer->stop();
  }
}

void TApp::AutoSaveTimerTimeout() {
  catalogs_->AutoSaveTimerTimeout();
  QTimer::singleShot(0, this, &TApp::RunPendingAutoSave);
}

// Auto-save waits for an idle moment: no window of ours is modal and no long operation runs.
void TApp::RunPendingAutoSave() {
  if (!catalogs_->AutoSavePending() || shutDown_) return;
  if (QApplication::activeModalWidget() || main_->Busy() || TWaitForm::Current()) {
    QTimer::singleShot(1000, this, &TApp::RunPendingAutoSave);
    return;
  }
  ApplyAutoSaveSettings();
  catalogs_->AutoSaveCatalogs();
}

void TApp::MenuSettingsClick(int page) {
  options_->MenuSettingsClick(TOptionsForm::TPage(page));
}

// ---- catalog commands ----------------------------------------------------------------------

void TApp::MenuNewClick() { catalogs_->NewCatalog(); }

void TApp::MenuOpenClick() { catalogs_->OpenCatalogsCommand(); }

void TApp::MRUFileListMRUItemClick(const std::string& path) { catalogs_->OpenRecentFile(path); }

void TApp::MenuSaveClick(bool saveAs) {
  if (TNode* cat = CatalogNodeOf(tree_.Selected())) catalogs_->SaveCatalog(cat, saveAs);
  main_->RefreshStatus();
}

void TApp::MenuCloseClick() {
  TNode* cat = CatalogNodeOf(tree_.Selected());
  if (!cat || !catalogs_->CanCloseCatalogs()) return;
  catalogs_->CloseCatalog(cat, true);
}

void TApp::MenuCloseAllClick() { catalogs_->CloseAllCommand(); }

void TApp::RebuildReopenMenu() {
  QMenu* menu = main_->MenuReopen;
  menu->clear();
  QFontMetrics metrics(menu->font());
  int number = 1;
  for (const std::string& path : catalogs_->RecentFiles) {
    QString caption = metrics.elidedText(QString::fromStdString(path), Qt::ElideMiddle, 250);
    QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(caption));
    a->setToolTip(QString::fromStdString(path));
    connect(a, &QAction::triggered, this, [this, path] { MRUFileListMRUItemClick(path); });
  }
  menu->setEnabled(!catalogs_->RecentFiles.empty());
}

// ---- TOpenCatalogsHost ---------------------------------------------------------------------

void TApp::BeginUpdate() { main_->LockUpdates(); }
void TApp::EndUpdate() { main_->UnlockUpdates(); }
bool TApp::IsIdle() { return !main_->Busy(); }
void TApp::ShowSelection() {
  main_->ShowSelection();
  main_->UpdateActions(true);
}
void TApp::SortItemList() { main_->SortItems(true); }
void TApp::UpdateCommands() { main_->UpdateActions(true); }
void TApp::RebuildSearchScope() { search_->RebuildScope(); }
void TApp::ExpandNode(TNode* node) { main_->ExpandNode(node); }
void TApp::FocusTree() { main_->FocusTree(); }

void TApp::RecentFilesChanged() {
  WriteMruList(*services_.Settings, catalogs_->RecentFiles);
  services_.Settings->Flush();
  RebuildReopenMenu();
}

void TApp::AutoloadListChanged() {
  // Entries that failed to load were dropped from the list being loaded: keep that.
  TOptions o = Options();
  o.AutoloadList = autoload_;
  options_->SetOptions(o);
}

void TApp::SplashText(const std::string& text) {
  if (splash_) splash_->SetText(QString::fromStdString(text));
}

// ---- start and end -------------------------------------------------------------------------

void TApp::FirstIdle() {
  if (firstIdleDone_) return;
  firstIdleDone_ = true;
  autoload_ = Options().AutoloadList;
  catalogs_->OpenAtStartup(arguments_, Options().AutoloadCheck, autoload_);
  main_->UpdateActions(true);
  bool tips = services_.TipOfTheDay && Options().TipsCheck;
  if (splash_) {
    if (tips)
      splash_->close();
    else
      splash_->CloseLater();
  }
  if (tips) {
    TTipsForm form(main_.get());
    form.SetShowAtStartup(true);
    form.exec();
    if (!form.ShowAtStartup()) {
      TOptions o = Options();
      o.TipsCheck = false;
      options_->SetOptions(o);
    }
  }
}

bool TApp::CloseRequest() {
  if (shutDown_) return true;
  main_->ShowStatusText(PreparingToCloseText, 2);
  // A run is cancelled and waited for; one that does not stop keeps the program open.
  if (!search_->StopForClosing()) {
    main_->RefreshStatus();
    return false;
  }
  if (catalogs_->AskSaveAll() == TAnswer::Cancel) {
    main_->ShowStatusText({}, 0);
    main_->RefreshStatus();
    main_->UpdateActions(true);
    return false;
  }
  SaveWindowState();
  main_->hide();
  std::unique_ptr<TShutdownForm> notice;
  if (mallinfo2().uordblks > heapAtStart_ + ShutdownNoticeBytes) {
    notice = std::make_unique<TShutdownForm>();
    notice->setWindowIcon(ProgramIcon());
    if (QScreen* screen = QGuiApplication::primaryScreen())
      notice->move(screen->availableGeometry().center() - notice->rect().center());
    notice->show();
    notice->repaint();
  }
  // The search results and the user list go with the main window, before the catalogs their
  // items belong to.
  search_->ProgramClosing();
  classify_->ProgramClosing();
  QApplication::processEvents();
  main_->LockUpdates();
  catalogs_->CloseAllCatalogs(false);
  main_->UnlockUpdates();
  Shutdown();
  return true;
}

// What the end of the program writes: the settings and the recent files.
void TApp::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  AutoSaveTimer->stop();
  options_->SaveSettings();
  WriteMruList(*services_.Settings, catalogs_->RecentFiles);
  services_.Settings->Flush();
}

bool TApp::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_.get() && event->type() == QEvent::Close) {
    if (!CloseRequest()) {
      event->ignore();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tf
