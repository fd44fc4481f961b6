#pragma once
// The texts and icons of records in every list of the program: the browser list, the search
// results, the user list and reports all ask here, so that each place shows the same words
// for the same record.
//
// A text is asked for by ColumnCode (which text of a record); each list maps its columns to
// codes. Icons are indices into the program's image lists, supplied by a TIconSource.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "store/Tree.h"

namespace tf {

// Which text of a record (see ItemColumnText).
enum TColumnCode : int {
  ColName = 0,
  ColExtension = 1,       // disk: media type name
  ColSize = 2,            // disk: capacity; catalog: capacity of its disks
  ColDate = 3,            // disk: free space
  ColTime = 4,            // disk: last update
  ColAttributes = 5,      // disk: description
  ColDescription = 6,
  ColDiskName = 7,
  ColDiskMediaType = 8,
  ColFolderPath = 9,
  ColTotalOrCatalog = 10,  // folder: total size; disk: its catalog; catalog: disk count
  ColCapacity = 11,        // disk
  ColFreeSpace = 12,       // disk
};
inline constexpr int NoColumn = -1;  // a column that shows nothing for that row

// The lists that ask for texts.
enum class TListSender { MainList, SearchResults, UserList, Report };

// The code a list's column shows for a record; NoColumn for an empty cell.
int ColumnCodeFor(TListSender sender, int column, const TItemRec* rec);

// One text of a record. Descriptions are shortened unless wholeDescription is set (reports).
// Records of other kinds, unknown codes and any failure give an empty text.
std::string ItemColumnText(const TItemRec* rec, int code, bool wholeDescription = false);

// Where icons come from: the program's image lists (Icons.h), a stub in tests.
class TIconSource {
 public:
  virtual ~TIconSource() = default;
  virtual int FileIcon(std::string_view name) = 0;  // by the file's type
  virtual int FolderIcon(bool archive) = 0;
  virtual int BackIcon() = 0;
  virtual int DriveIcon(uint8_t mediaType) = 0;
  virtual int CatalogIcon() = 0;
};

// The icon of a record's row. A file's icon index is looked up once and kept in IconIndex.
int ItemIcon(TItemRec* rec, TIconSource& icons);

// The list's item request: which answers are wanted.
enum TInfoRequest : unsigned {
  InfoText = 1,
  InfoIcon = 2,
  InfoParam = 4,    // answered with 0
  InfoIndent = 16,  // answered with 0
};

struct TItemInfo {
  std::string Text;
  int Icon = 0;
  int Indent = 0;
  intptr_t Param = 0;
};

// The text service of every list. With index >= 0, the record is row index of rows and the
// column is mapped to a code by the sender's map; a row at or beyond the end gives an empty
// text and icon -1. With index < 0 the record is param and the column is the code itself;
// the report generator then gets whole descriptions.
TItemInfo ListViewVMGetItemInfo(TListSender sender, std::span<TItemRec* const> rows, int index,
                                unsigned request, int column, TItemRec* param,
                                TIconSource* icons);

// The one-line text of the status bars. name is the display text of the row or node.
// A folder's subfolders are read first if they still lie in the catalog file (a read that
// fails counts the subfolders that are there).
std::string ItemInfoText(std::string_view name, TItemRec* rec);

// "Selected: 3 items, 1.5 MB", empty without selection. slow runs once when the summing has
// taken more than 10 ms (the window shows the hourglass).
std::string SelectionSummary(std::span<TItemRec* const> selected,
                             const std::function<void()>& slow = {});

}  // namespace tf
