#pragma once
// The classification windows put together: Properties (with Advanced Disk Info), Categories
// Setup, Set Categories and Flags, and the User List, connected to the main window's
// commands. Other windows (the search window) reach them through the entry points below,
// which take records as the main window's commands do.

#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QFont>
#include <QObject>

#include "classify/Properties.h"
#include "settings/Options.h"
#include "store/Tree.h"

namespace tf {

class TCategoriesForm;
class TMainForm;
class TProgress;
class TPropertiesForm;
class TSetCatForm;
class TSettingsKey;
class TUserList;
class TUserListForm;
class TUserPrompts;

class TClassifyWindows final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TClassifyWindows)

 public:
  struct TServices {
    TMainForm& Main;
    TCatalogTree& Tree;
    TUserPrompts& Prompts;
    TProgress& Progress;  // the wait window and main status bar of long operations
    std::function<TOptions()> Options;
    TSettingsKey* Settings = nullptr;  // where the user list keeps its tool bar's position
  };

  // Gives the main window its classification commands.
  explicit TClassifyWindows(TServices services);
  ~TClassifyWindows() override;

  // ---- entry points

  // The Properties window for an item: its node (a file's container) and its record.
  void ShowProperties(TNode* node, TItemRec* record);
  // The Properties window of a volume the Add New Disk window read.
  void ShowVolumeInfo(const TDiskRec& volume, char drive, TNode* catalog);
  // Set Categories and Flags for these records (the ".." entry is skipped); true when they
  // changed.
  bool SetCategories(const std::vector<TItemRec*>& items);
  // Categories Setup, opened on the selected node; true after OK.
  bool CategoriesSetup(TNode* selected);
  // Adds the records not yet in the user list (its window made first when needed), then the
  // list is sorted and shown anew and the main window's commands follow.
  void AddToUserList(std::span<TItemRec* const> items);
  // "View &User List": shows the window, or brings it to the front.
  void ViewUserList();
  // The user list and its window; null until first used.
  TUserList* UserList() const { return list_.get(); }
  TUserListForm* UserListWindow() const { return userList_; }

  // What other windows do when these change.
  std::function<void()> CategoriesChanged;  // Categories Setup closed: search category lists
  std::function<void()> UserListChanged;    // items came or went: the search window's buttons
  std::function<void()> GenerateReport;     // the user list's report button (not shown without)

  // ---- the program

  // The settings in force and the font of descriptions in Properties (the user list takes the
  // main window's list font whenever it is activated).
  void ApplySettings(const TOptions& options, const QFont& propertiesFont);
  // Before the catalogs are closed at exit: the user list is hidden and emptied.
  void ProgramClosing();

  TPropertiesForm* PropertiesWindow() const { return properties_; }
  TCategoriesForm* CategoriesWindow() const { return categories_; }
  TSetCatForm* SetCategoriesWindow() const { return setCat_; }

 private:
  TUserListForm& EnsureUserList();
  void UserListItemsChanged();

  TServices s_;
  TPropertiesForm* properties_ = nullptr;
  TCategoriesForm* categories_ = nullptr;
  TSetCatForm* setCat_ = nullptr;
  std::unique_ptr<TUserList> list_;
  TUserListForm* userList_ = nullptr;
};

// The type name the desktop gives files with that extension; empty when it knows none.
std::string DesktopFileTypeName(std::string_view extension);

}  // namespace tf
