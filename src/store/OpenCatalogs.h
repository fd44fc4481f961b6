#pragma once
// The set of open catalogs and the commands that change it or write it out: New, Open (by
// dialog, from the recent files, from the command line, by auto-loading), Save, Save As,
// Close, Close All, the question about unsaved catalogs at exit, and auto-save.
//
// The open catalogs are the top-level nodes of the catalog tree, in the order in which they
// were opened or created. Everything here runs on the main thread; the main window joins in
// through TOpenCatalogsHost.

#include <functional>
#include <string>
#include <vector>

#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "store/Tree.h"

namespace tf {

// What the main window does around these commands. Every call has a harmless default, so
// that tests and the command-line tool need not provide them.
class TOpenCatalogsHost {
 public:
  virtual ~TOpenCatalogsHost() = default;
  // Suspends and releases the display updates of the main window (a nesting counter)
  // around closing catalogs.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
  // True when no other operation shows its status text.
  virtual bool IsIdle() { return true; }
  // The tree selection's content must be shown again (after closing).
  virtual void ShowSelection() {}
  // The item list must be sorted again (after opening).
  virtual void SortItemList() {}
  // The command states must be refreshed (after Close All, whose closes ran while the
  // display updates were suspended).
  virtual void UpdateCommands() {}
  // The search window rebuilds its scope tree and category list, if it exists.
  virtual void RebuildSearchScope() {}
  virtual void ExpandNode(TNode* /*node*/) {}
  virtual void FocusTree() {}
  // The recent-files list or the auto-load list changed and must be stored.
  virtual void RecentFilesChanged() {}
  virtual void AutoloadListChanged() {}
  // The splash window's line of text at start-up.
  virtual void SplashText(const std::string& /*text*/) {}
};

enum class TLoadKind {
  Interactive,  // the Open dialog or the recent-files list
  CommandLine,
  Autoload,
};

class TOpenCatalogs {
 public:
  static constexpr std::size_t MaxRecentFiles = 4;

  TOpenCatalogs(TCatalogTree& tree, TUserPrompts& prompts, TProgress& progress,
                TOpenCatalogsHost* host = nullptr);

  TCatalogTree& Tree() { return tree_; }

  // A new empty catalog named Catalog1, Catalog2, ... (the first name no catalog has).
  TNode* NewCatalog();

  // Opens the paths; with none (and interactive) asks for them with the Open dialog. For a
  // load that is not interactive, paths that are no catalog or do not exist are removed from
  // the list (the auto-load list: the host is told to store it).
  void OpenCatalogs(std::vector<std::string>& paths, TLoadKind kind);
  void OpenCatalogsCommand();                         // the Open command
  void OpenRecentFile(const std::string& path);       // an entry of the "Reopen" submenu

  // Saves a modified catalog to its file; with saveAs (or no file yet) asks for the path. A
  // save refused to keep the file at the path (read-only, saved by another program since it
  // was read) offers to save to another file.
  enum class TSaveResult { Saved, NotNeeded, Cancelled, Failed };
  TSaveResult SaveCatalog(TNode* catalog, bool saveAs);

  // Closes a catalog, asking about unsaved changes when ask is set. Returns Yes, No or
  // Cancel (Cancel: the catalog stays open).
  TAnswer CloseCatalog(TNode* catalog, bool ask);
  TAnswer CloseAllCatalogs(bool ask);
  // The "Close All" command: confirmation, then CloseAllCatalogs with questions.
  void CloseAllCommand();
  // At program exit: asks about every modified catalog; Cancel when the user cancelled.
  TAnswer AskSaveAll();
  // False, after a message, while a search runs.
  bool CanCloseCatalogs();

  // At the first idle moment: the command line's catalogs, else the auto-load list.
  void OpenAtStartup(std::vector<std::string> arguments, bool autoload,
                     std::vector<std::string>& autoloadList);

  // Auto-save: the timer only marks a save as pending; the next idle moment saves.
  void AutoSaveTimerTimeout() { autoSavePending_ = true; }
  bool AutoSavePending() const { return autoSavePending_; }
  // Auto-save settings were applied: the timer starts over, and a save it asked for under the
  // old settings is dropped.
  void CancelPendingAutoSave() { autoSavePending_ = false; }
  void AutoSaveCatalogs();

  // The recent-files list, most recent first.
  std::vector<std::string> RecentFiles;

  // True when a and b name the same file (device and inode; the normalised path text when
  // either does not exist). Paths are case-sensitive here: a.ctf and A.ctf are two catalogs.
  static bool SameFile(const std::string& a, const std::string& b);

 private:
  TNode* FindOpen(const std::string& path) const;
  void AddRecentFile(const std::string& path);
  void RemoveRecentFile(const std::string& path);
  bool AskSavePath(TNode* catalog, std::string& path);
  bool CheckWritable(const std::string& path, TNode* catalog, std::string& problem) const;

  TCatalogTree& tree_;
  TUserPrompts& prompts_;
  TProgress& progress_;
  TOpenCatalogsHost defaultHost_;
  TOpenCatalogsHost& host_;
  bool autoSavePending_ = false;
};

// Texts shown by these commands.
inline constexpr char CatalogFilter[] = "Catalog Files (*.ctf)|*.ctf";
// Asked after a save that was refused to keep the file at its path.
inline constexpr char MsgSaveElsewhere[] = "Do you want to save the catalog to another file?";
// The Open dialog for catalog files ("Open Catalog").
TFileDialog OpenCatalogDialog(bool multiSelect);

}  // namespace tf
