#pragma once
// The order of items in the browser list, the tree, the search results and the user list.
//
// CompareItems is the one comparison all of them use. Kinds keep a fixed order (disks before
// folders before files; the ".." entry before every folder); only items of one kind follow
// the sort key and the direction. Sorting is stable, so equal items keep their tree or chain
// order.

#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

// Sort keys of folder and file lists.
enum TFileSortKey : int {
  SortByName = 0,
  SortByExtension = 1,
  SortBySize = 2,
  SortByDate = 3,
  SortByTime = 4,
  SortByAttributes = 5,
  SortByDescription = 6,
  SortByDiskName = 7,    // search results and user list
  SortByMediaType = 8,   // search results and user list
  SortByFolderPath = 9,  // search results and user list
};
inline constexpr int FileSortKeyCount = 10;

// Sort keys of disk lists.
enum TDiskSortKey : int {
  SortDisksByName = 0,
  SortDisksByMediaType = 1,
  SortDisksByCapacity = 2,
  SortDisksByFreeSpace = 3,
  SortDisksByUpdate = 4,
  SortDisksByDescription = 5,
};
inline constexpr int DiskSortKeyCount = 6;

// The system's case-insensitive comparison of names, negative when a comes first. Stored
// bytes are compared as they are shown (UTF-8, or Windows-1252 when not valid UTF-8): case
// is ignored, punctuation comes before digits and digits before letters, accented Latin
// letters sort with their base letter (an accent decides only between otherwise equal texts).
int AnsiCompareText(std::string_view a, std::string_view b);

// Byte by byte, folding only a to z to upper case.
int StrIComp(std::string_view a, std::string_view b);

// The ".." entry of the browser list: the one folder record whose node is not in a tree.
bool IsBackEntry(const TItemRec* rec);

// Order of two records; negative when a comes first. archivesAsFiles: archive folders sort
// among the files (the setting "Sort archive files as folders" cleared) rather than among the
// folders.
int CompareItems(const TItemRec* a, const TItemRec* b, int key, bool reverse,
                 bool archivesAsFiles);

// A stable sort of records by CompareItems.
void SortRecords(std::vector<TItemRec*>& items, int key, bool reverse, bool archivesAsFiles);

// Re-orders the direct children of one tree node: by the disk key for a catalog's disks,
// by the file key for folders.
// While a search runs the tree keeps the order for the run's end (TCatalogTree::SortChildren).
void SortTreeChildren(TNode* node, int fileKey, int diskKey, bool reverse, bool archivesAsFiles);
// The children of a node in that order, leaving the tree as it is.
std::vector<TNode*> SortedChildren(TNode* node, int fileKey, int diskKey, bool reverse,
                                   bool archivesAsFiles);

}  // namespace tf
