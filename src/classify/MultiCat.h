#pragma once
// Setting the category and flags of many items at once (the Set Categories and Flags window
// without its controls). The items may come from several catalogs: categories and flags are
// matched across catalogs by name, exactly (case-sensitive). The window offers the union of
// the names; a name that some catalog lacks is marked "* ", and applying it leaves the items
// of that catalog without that category or flag.

#include <span>
#include <string>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TUserPrompts;

enum class TCheckState { Unchecked, Checked, Grayed };  // grayed: keep each item's own state

struct TCheckEntry {
  std::string Name;
  TCheckState State = TCheckState::Unchecked;
  bool Prefixed = false;  // "* ": not available for all items
};

class TSetCategories {
 public:
  // CommonCategory besides an entry index.
  static constexpr int NoneYet = -2;
  static constexpr int Mixed = -1;

  // Opening: merges every item (the ".." entry skipped) with its own catalog, then settles the
  // lists. An item's catalog is the one at the top of its node's branch.
  void Open(std::span<TItemRec* const> items);
  void Clear();
  // MergeItemCategories: one item of catalog.
  void Merge(TCatalogRec* catalog, TItemRec* item);
  // After merging: the common category checked, the "* " marks.
  void Finish();

  // Entry 0 is "(no category selected)".
  const std::vector<TCheckEntry>& Categories() const { return categories_; }
  const std::vector<TCheckEntry>& Flags() const { return flags_; }
  int CommonCategory() const { return common_; }
  int ItemCount() const { return count_; }
  bool HasCategories() const { return categories_.size() > 1; }
  bool HasFlags() const { return !flags_.empty(); }
  // Neither: the window says so and closes.
  bool NothingDefined() const { return !HasCategories() && !HasFlags(); }
  bool NoteVisible() const;
  std::string Heading() const;  // "Changing Categories and Flags for 2 selected items"
  // The text an entry shows, with its "* ".
  static std::string EntryText(const TCheckEntry& e);

  // Checking a category entry unchecks all others.
  void SetCategoryChecked(int index, bool checked);
  void SetFlagState(int index, TCheckState state);
  // The checked category entry, -1 none.
  int CheckedCategory() const;

  // "&Apply": with more than one item asks first (false: No, nothing changes); then every
  // item (the ".." entry skipped) gets the window's choice with its own catalog.
  bool Apply(std::span<TItemRec* const> items, TUserPrompts& prompts);
  // ApplyItemCategories: one file or folder; others are left alone.
  void ApplyTo(TCatalogRec* catalog, TItemRec* item) const;

 private:
  std::vector<TCheckEntry> categories_;
  std::vector<TCheckEntry> flags_;
  std::vector<const TCatalogRec*> catalogs_;
  int common_ = NoneYet;
  int count_ = 0;
};

// The catalog that an item belongs to (through its node); null for a record outside a tree.
TCatalogRec* CatalogOfItem(const TItemRec* item);

inline constexpr char SetCategoriesCaption[] = "Set Categories and Flags";
inline constexpr char NoCategorySelected[] = "(no category selected)";
inline constexpr char NoCategoriesDefined[] = "(No categories are defined)";
inline constexpr char NoFlagsDefined[] = "(No flags are defined)";
inline constexpr char NotForAllItemsNote[] = "* Category or flag is not available for all items";
inline constexpr char NoDataDefinedTitle[] = "No Data Defined";
inline constexpr char NoDataDefinedText[] =
    "There are no categories or flags defined in any\r"
    "of catalogs where selected items are from.";
inline constexpr char ApplyChangesTitle[] = "Apply Changes";
inline constexpr char ApplyChangesText[] =
    "Are you sure you want to change settings about\r"
    "category and flags for all selected items?";

}  // namespace tf
