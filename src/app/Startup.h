#pragma once
// The program between its start and its end: creates the main window and the windows that
// live as long as the program, connects the catalog file commands and the Settings window,
// restores and keeps the window state, opens the command line's catalogs (or the auto-load
// list) at the first idle moment, runs auto-save, and shuts down in order: unsaved catalogs
// asked about, window state and settings written, every catalog closed.

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "platform/Progress.h"
#include "store/OpenCatalogs.h"

class QTimer;

namespace tf {

class TClassifyWindows;
class TSearchWindows;
class TDrives;
class TMainForm;
class TMediaDetector;
class TMediaForm;
class TOptionsForm;
class TSettingsKey;
class TShell;
class TSplashForm;
class TUserPrompts;
class TWaitProgress;
struct TOptions;
struct TFontDefaults;

// What the program runs on. The program passes the real services; tests pass test backends
// and a settings key in memory.
struct TAppServices {
  TSettingsKey* Settings = nullptr;
  TUserPrompts* Prompts = nullptr;
  TDrives* Drives = nullptr;
  TShell* Shell = nullptr;
  // Where the catalog file type is registered (empty: not registered), the program file, and
  // the system's data folders, whose installed registration makes the user's unnecessary.
  std::string DataHome;
  std::string ProgramPath;
  std::vector<std::string> SystemDataDirs;
  // Window chrome at start-up; tests go without.
  bool Splash = true;
  bool TipOfTheDay = true;
};

class TApp final : public QObject, public TOpenCatalogsHost {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TApp)

 public:
  // Creates the windows in their order and restores the main window's state; does not show
  // it. arguments: the catalogs named on the command line.
  TApp(const TAppServices& services, std::vector<std::string> arguments);
  ~TApp() override;

  // Shows the main window and schedules the first idle moment.
  void Start();

  TMainForm& MainForm() { return *main_; }
  TClassifyWindows& Classify() { return *classify_; }
  TSearchWindows& Search() { return *search_; }
  TCatalogTree& Tree() { return tree_; }
  TOpenCatalogs& Catalogs() { return *catalogs_; }
  TOptionsForm& OptionsForm() { return *options_; }
  TMediaDetector& Media() { return *media_; }
  TProgress& Progress();
  const TOptions& Options() const;

  // Command handlers.
  void MenuNewClick();
  void MenuOpenClick();
  void MRUFileListMRUItemClick(const std::string& path);
  void MenuSaveClick(bool saveAs);
  void MenuCloseClick();
  void MenuCloseAllClick();
  void MenuSettingsClick(int page);
  // Pushes the settings into the running program.
  void ApplySettings();
  void ApplyAutoSaveSettings();
  void AutoSaveTimerTimeout();
  // The first idle moment: command-line catalogs or auto-loading, the tip of the day.
  void FirstIdle();
  // The close request of the main window: true when the program may end.
  bool CloseRequest();
  // Writes the window state (main window destruction).
  void SaveWindowState();
  QTimer* AutoSaveTimer = nullptr;

  // TOpenCatalogsHost
  void BeginUpdate() override;
  void EndUpdate() override;
  bool IsIdle() override;
  void ShowSelection() override;
  void SortItemList() override;
  void UpdateCommands() override;
  void RebuildSearchScope() override;
  void ExpandNode(TNode* node) override;
  void FocusTree() override;
  void RecentFilesChanged() override;
  void AutoloadListChanged() override;
  void SplashText(const std::string& text) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RestoreWindowState();
  void RebuildReopenMenu();
  void ConnectCommands();
  void RunPendingAutoSave();
  void Shutdown();

  TAppServices services_;
  std::vector<std::string> arguments_;
  TCatalogTree tree_;
  std::unique_ptr<TMainForm> main_;
  std::unique_ptr<TWaitProgress> progress_;
  std::unique_ptr<TOptionsForm> options_;
  std::unique_ptr<TMediaForm> mediaForm_;
  std::unique_ptr<TMediaDetector> media_;
  std::unique_ptr<TOpenCatalogs> catalogs_;
  std::unique_ptr<TClassifyWindows> classify_;
  std::unique_ptr<TSearchWindows> search_;
  QPointer<TSplashForm> splash_;
  bool firstIdleDone_ = false;
  bool shutDown_ = false;
  int autoSaveMinutes_ = 0;
  std::size_t heapAtStart_ = 0;
  std::vector<std::string> autoload_;  // the auto-load list while it is being loaded
};

inline constexpr char PreparingToCloseText[] = "Preparing to close the program...";
// The settings revision the program writes ("RevisionMarker"); older settings are reset.
// (The value lives in settings/Options.h.)

}  // namespace tf
