#pragma once
// The disk update's memory of what the user added by hand: before the medium is read again,
// the old disk's folders and files that carry a description, a category or flags (or, for a
// folder, a reserved byte) are collected; every item of the new disk then takes the values of
// the old item of the same name that it matches (RestoreKeptDescription).
//
// The list refers to the old disk's records, which stay alive until the new disk replaces the
// old one at the very end of the scan; it is emptied when the scan ends either way.

#include <cstddef>
#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TKeptDescriptions {
 public:
  struct TEntry {
    std::string_view Name;  // the file's name or the folder's caption, owned by the old disk
    TItemRec* Rec = nullptr;
  };

  std::size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  void Clear() { entries_.clear(); }

 private:
  friend void CollectKeptDescriptions(TNode* oldDisk, TKeptDescriptions& kept);
  friend bool RestoreKeptDescription(const TKeptDescriptions& kept, TItemRec* rec,
                                     std::string_view name);
  std::vector<TEntry> entries_;  // sorted by name without regard to case
};

// Walks the old disk depth first, its root's files included, reading folder levels and file
// lists that are still in the catalog file (EInvalidCatalog when that fails), and fills kept.
void CollectKeptDescriptions(TNode* oldDisk, TKeptDescriptions& kept);

// rec is a new file or folder record, name its name. Finds the first kept item of exactly
// that name that matches it (one of the other kind always does; two files need the same size
// and last-write time, two folders the same last-write time) and copies its description,
// category and flags, and for a folder its reserved byte (0 from a file). True when rec got a
// description that way.
bool RestoreKeptDescription(const TKeptDescriptions& kept, TItemRec* rec, std::string_view name);

}  // namespace tf
