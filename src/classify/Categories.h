#pragma once
// Categories and user flags: each catalog names up to 31 categories and three flags, and each
// file and folder carries one category and any of the flags in its CategoryFlags byte.
//
// TCategoriesSetup is the Categories Setup window without its controls: the catalogs it
// edits, the list of the current catalog's categories, the flag editors and their "Remove All"
// boxes, and the questions it asks. Edits go into a catalog's records when the user switches
// to another catalog or presses OK; every catalog keeps a backup from the window's opening, so
// that Cancel puts all of them back as they were, their modified state included. After OK the
// references to deleted categories and removed flags are cleaned out of every file and folder.

#include <array>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TProgress;
class TUserPrompts;

inline constexpr int MaxCategories = 31;  // IDs 1 to 31: the low five bits of CategoryFlags
inline constexpr int UserFlagCount = 3;

// The bit of user flag j (1 to 3) in CategoryFlags.
constexpr uint8_t UserFlagBit(int j) { return uint8_t(0x10 << j); }

// An entry of the setup window's category list.
struct TCategoryEntry {
  std::string Name;
  int Id = 0;
  bool New = false;  // added since the window opened: deleting it asks nothing
  bool operator==(const TCategoryEntry&) const = default;
};

// The smallest ID from 1 to 31 that no entry carries; 0 when all are taken.
int LowestFreeCategoryId(std::span<const TCategoryEntry> list);
// The ID of the catalog's category with exactly that name (case-sensitive).
std::optional<int> CategoryLookup(const TCatalogRec& catalog, std::string_view name);
// Whether flag j (1 to 3) has a name in the catalog.
bool FlagDefined(const TCatalogRec& catalog, int j);

// What the clean-up takes out of a catalog's files and folders.
struct TReferenceCleanUp {
  std::set<int> DeletedCategoryIds;
  std::array<bool, UserFlagCount> RemoveFlagRefs{};
  bool Empty() const;
};
// Walks every disk of the catalog depth first, reading folder levels and file lists from the
// catalog file as needed: a category ID that was deleted becomes 0, removed flags are
// cleared. Disks with a changed byte are marked changed; a file list read only for this and
// left unchanged is released again. Returns the number of items changed.
int CleanUpReferences(TNode* catalog, const TReferenceCleanUp& request);

// The window's texts.
inline constexpr char CategoriesSetupCaption[] = "Categories Setup";
inline constexpr char RenameCategoryCaption[] = "Rename Category";
inline constexpr char NewCategoryNameLabel[] = "New Category Name:";
inline constexpr char WarningTitle[] = "Warning";
inline constexpr char DeleteCategoryText[] =
    "Deleting this category may affect data already in the\r"
    "catalog. All references to this category will be removed.\r\r"
    "Are you sure you want to delete this category?";
inline constexpr char DeleteFlagText[] =
    "You have deleted flag that may have references in the catalog.\r"
    "All references to this flag will be removed from catalog.\r\r"
    "Are you really sure you want to delete flag?";
inline constexpr char RemoveFlagRefsText[] =
    "Checking this box will remove all references to selected flag\r"
    "from the catalog. This may cause loosing some data.\r\r"
    "Are you really sure you want to do this?";
inline constexpr char DiscardChangesTitle[] = "Discard Changes?";
inline constexpr char DiscardChangesText[] = "Do you really want to discard all changes?";
inline constexpr char InformationTitle[] = "Information";
inline constexpr char NoRoomForCategoriesText[] = "There was not enough room for all categories.";
inline constexpr char NoCategoriesToCopyText[] =
    "There are no categories defined in the selected catalog.";
inline constexpr char UpdatingCategoriesCaption[] = "Updating categories and flags...";
inline constexpr char UpdatingCategoriesStatus[] = "Updating categories and flags, please wait...";

class TCategoriesSetup {
 public:
  // What a catalog looked like when the window opened, and what OK is to clean out of it.
  struct TBackup {
    TNode* Catalog = nullptr;
    std::vector<TCategory> Categories;
    std::array<TText, UserFlagCount> FlagNames;
    uint8_t Modified = 0;
    TReferenceCleanUp CleanUp;
  };

  TCategoriesSetup(TCatalogTree& tree, TUserPrompts& prompts);

  // Opening: a backup of every open catalog (tree order); the catalog of node is chosen when
  // node is a catalog node, else the first one.
  void Open(TNode* node);
  int CatalogCount() const { return int(backups_.size()); }
  const TBackup& Catalog(int index) const { return backups_[std::size_t(index)]; }
  int CurrentCatalog() const { return current_; }
  // Choosing a catalog: the pending edits of the previous one are committed first.
  void ChooseCatalog(int index);

  // The current catalog's categories in the window's order (names sorted as they are added;
  // a renamed entry keeps its place).
  const std::vector<TCategoryEntry>& List() const { return list_; }
  int Selected = -1;  // the selected entry, -1 none

  // Enabled states.
  bool CategoryEditEnabled() const { return int(list_.size()) < MaxCategories; }
  bool AddEnabled(std::string_view editText) const {
    return CategoryEditEnabled() && !editText.empty();
  }
  bool RenameDeleteEnabled() const { return Selected >= 0 && Selected < int(list_.size()); }
  bool CopyFromEnabled() const { return backups_.size() > 1; }
  bool RemoveFlagsEnabled(int j) const { return removeEnabled_[std::size_t(j - 1)]; }

  // Adds a category with the lowest free ID, marked new; false when nothing was added. The
  // new entry is selected. Names are not checked for duplicates.
  bool Add(std::string_view name);
  // Gives an entry a new name (its ID and place stay); false when the name is the same or
  // empty.
  bool Rename(int index, std::string_view name);
  // Deletes an entry, asking first unless it is new; false when it stays.
  bool Delete(int index);

  // The flag editors (1 to 3 as FlagEdit[0..2]) and the "Remove All" boxes.
  std::array<std::string, UserFlagCount> FlagEdit;
  std::array<bool, UserFlagCount> RemoveFlags{};
  // Leaving flag editor j: may ask whether the flag's references are to go.
  void FlagEditExit(int j);
  // The user toggled "Remove All" j to checked; RemoveFlags[j - 1] holds the outcome.
  void RemoveFlagsClick(int j, bool checked);

  // "&Copy from": the catalogs offered (all but the current one), and the copy.
  std::vector<int> CopySources() const;
  void CopyFrom(int catalogIndex);

  bool Dirty() const { return dirty_; }
  // Writes the window's state into the current catalog.
  void Commit();
  // OK: commits, then cleans the references out of the catalogs that need it.
  void Ok(TProgress& progress);
  // Cancel: asks when there are pending edits (false: the window stays open), then puts every
  // catalog back as it was.
  bool Cancel();

 private:
  void Load();
  void InsertSorted(TCategoryEntry entry);
  bool DefinedAtOpening(int j) const;
  std::string NameAtOpening(int j) const;

  TCatalogTree& tree_;
  TUserPrompts& prompts_;
  std::vector<TBackup> backups_;
  int current_ = -1;
  bool dirty_ = false;
  std::vector<TCategoryEntry> list_;
  std::array<bool, UserFlagCount> removeEnabled_{};
};

}  // namespace tf
