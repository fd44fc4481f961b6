#pragma once
// The report generator: a plain-text report of catalog contents, written to a file.
//
// A report is taken either from one item of the catalog tree (catalog mode: the item and
// everything below it) or from a list of records (list mode: the search results or the user
// list; the whole tree is walked in its display order and only listed items are written,
// under the headings of the catalogs, disks and folders they lie in). The detail level says
// which kinds of items appear; the deepest of them is written as rows, the others as
// headings. Rows are either a table of columns or a simple list of "Caption: value" lines.
//
// The file is UTF-8 with "\n" line ends. File lists are read as the walk reaches them and
// released again behind it when the report read them itself, so a report of a catalog far
// larger than memory is written in the memory of its folder tree and one folder's rows.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "browse/Format.h"
#include "browse/Sort.h"
#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "store/Tree.h"

namespace tf {

// ---- detail levels and columns

// A column set is the kind of item a level writes as rows; its number is that kind's.
inline constexpr int ColumnSetFiles = ikFile;
inline constexpr int ColumnSetFolders = ikFolder;
inline constexpr int ColumnSetDisks = ikDisk;
inline constexpr int ColumnSetCatalogs = ikCatalog;
inline constexpr int ColumnSetCount = 4;

struct TDetailLevel {
  const char* Name;
  bool Catalogs, Disks, Folders, Files;
  int ColumnSet;
  bool Includes(uint8_t kind) const {
    switch (kind) {
      case ikCatalog: return Catalogs;
      case ikDisk: return Disks;
      case ikFolder: return Folders;
      case ikFile: return Files;
      default: return false;
    }
  }
};

// The levels in the order of the dialog's list.
inline constexpr int DetailLevelCount = 9;
inline constexpr TDetailLevel DetailLevels[DetailLevelCount] = {
    {"Catalogs only", true, false, false, false, ColumnSetCatalogs},
    {"Catalogs and Disks", true, true, false, false, ColumnSetDisks},
    {"Catalogs, Disks and Folders", true, true, true, false, ColumnSetFolders},
    {"Disks only", false, true, false, false, ColumnSetDisks},
    {"Disks and Folders", false, true, true, false, ColumnSetFolders},
    {"Disks, Folders and Files", false, true, true, true, ColumnSetFiles},
    {"Folders only", false, false, true, false, ColumnSetFolders},
    {"Folders and Files", false, false, true, true, ColumnSetFiles},
    {"Full Details", true, true, true, true, ColumnSetFiles},
};
inline constexpr int DefaultDetailLevel = 2;  // "Catalogs, Disks and Folders"
// The level of that name; -1 when there is none.
int FindDetailLevel(std::string_view name);

enum class TAlignment : int { Left = 0, Right = 1, Centre = 2 };

struct TReportColumn {
  std::string Caption;  // empty: the slot is unused
  bool Checked = true;
  int Position = 0;  // order in the report, 0-based
  int Field = 0;     // the item column text (TColumnCode) it shows
  TAlignment Alignment = TAlignment::Left;
  int MaxWidth = 0;  // characters
};
inline constexpr int ColumnSlots = 9;

// The columns of the four sets. The program keeps one table while it runs, so that the
// user's choices (check marks and order) hold from one report to the next; it is not stored.
class TReportColumns {
 public:
  TReportColumns();  // every column checked, in the order of the set's list

  TReportColumn& Slot(int set, int slot) { return sets_[Index(set)][std::size_t(slot)]; }
  const TReportColumn& Slot(int set, int slot) const { return sets_[Index(set)][std::size_t(slot)]; }
  // The used slots of a set in position order.
  std::vector<int> Ordered(int set) const;
  // Exchanges the positions of two slots of a set.
  void SwapPositions(int set, int slotA, int slotB);
  // Checks exactly the named columns and puts them first, in the order given; the others
  // follow unchecked in their order. False, with the first caption that the set does not
  // have in unknown, and the table unchanged, when a name is not one of the set's.
  bool Choose(int set, const std::vector<std::string>& captions, std::string& unknown);

 private:
  static std::size_t Index(int set) { return std::size_t(set - 1); }
  std::array<std::array<TReportColumn, ColumnSlots>, ColumnSetCount> sets_;
};

// ---- one report

enum class TReportSource { CatalogItem = 0, SearchResults = 1, UserList = 2 };
enum class TReportLayout { SimpleList, Columns };

// The order the tree shows children in, which a report follows.
struct TTreeOrder {
  int FileKey = SortByName;
  int DiskKey = SortDisksByName;
  bool Reverse = false;
  bool ArchivesAsFiles = false;
};

struct TReportSettings {
  int Level = DefaultDetailLevel;
  TReportLayout Layout = TReportLayout::Columns;
  bool UseTabs = false;             // columns layout only
  bool SeparateSubfolders = false;  // the check mark; it counts only where it is enabled
  TTreeOrder Order;
  // The program's name and version at the head of the file.
  std::string ProgramLine = std::string("Tallowfen ") + TALLOWFEN_VERSION;
};

// "Separate subfolders" can be chosen for folder-level reports of a catalog item only.
bool SeparateSubfoldersEnabled(int level, TReportSource source);
// "Use Tabs in columns" goes with the columns layout.
inline bool UseTabsEnabled(TReportLayout layout) { return layout == TReportLayout::Columns; }

// The node a catalog-mode report starts at: the selection, moved up while its kind is below
// the level's column set (so "Catalogs only" reports the whole catalog of the selection).
TNode* ReportStartNode(TNode* selected, int level);

// Where the text goes. Raises EReportWrite when it cannot be written.
class TReportOutput {
 public:
  virtual ~TReportOutput() = default;
  virtual void Write(std::string_view bytes) = 0;
};

class EReportWrite : public std::runtime_error {
 public:
  explicit EReportWrite(int error);
  int Error;  // errno
};

// Writes one report: the head, a body from an item or a list, the tail. Raises EReportWrite
// and the catalog's read errors (EInvalidCatalog, EStreamError).
class TReportWriter {
 public:
  TReportWriter(const TReportSettings& settings, const TReportColumns& columns,
                TReportOutput& out, TProgress& progress);

  // The head, dated with the system's short date and long time formats.
  void Head(const TDateTimeParts& now);
  // The body of a catalog-mode report of the node at or above selected (ReportStartNode).
  void BodyFromItem(TNode* selected);
  // The body of a list-mode report: the listed records of every catalog of the tree, in the
  // tree's order. Null entries (emptied places) are passed over.
  void BodyFromList(TCatalogTree& tree, std::span<TItemRec* const> records);
  void Tail();
  // Told the disk or folder whose file list the walk is at, each time before it lets pending
  // events run, and null when the body is done: a search that asks meanwhile to release a
  // list learns that the report is reading it.
  std::function<void(TNode*)> Walking;

 private:
  struct TRow {
    std::string Text;                       // the texts of every position, one after another
    std::array<uint32_t, ColumnSlots + 1> Start{};  // where each position's text starts
    std::string_view Cell(std::size_t p) const {
      return std::string_view(Text).substr(Start[p], Start[p + 1] - Start[p]);
    }
  };

  void ReportNode(TNode* node, bool descend);
  void ContainerFiles(TNode* container, bool listedOnly);
  void MissingHeadings(TNode* node, uint8_t kind, bool fileContainer);
  void WriteItem(TNode* node, TItemRec* rec, bool forceHeading, bool forceRow);
  void Row(TItemRec* rec);
  void CatalogHeading(TNode* node);
  void DiskHeading(TNode* node);
  void FolderHeading(TNode* node);
  void Flush();
  void WriteTableLine(const std::vector<std::string_view>& texts,
                      const std::vector<std::size_t>& widths);
  void Line(std::string_view text);
  void Pump();
  void At(TNode* container);
  bool Listed(const TItemRec* rec) const;

  const TReportSettings& settings_;
  const TDetailLevel& level_;
  TReportOutput& out_;
  TProgress& progress_;
  std::vector<const TReportColumn*> columns_;  // the checked ones in position order
  bool listMode_ = false;
  bool separateEnabled_ = false;
  bool separateChecked_ = false;
  std::unordered_set<const TItemRec*> listed_;
  TNode* lastCatalog_ = nullptr;
  TNode* lastDisk_ = nullptr;
  TNode* lastFolder_ = nullptr;
  std::vector<TRow> rows_;
  std::string line_;
};

// ---- the report file

// The date at the head of a report: the local time now, or, when SOURCE_DATE_EPOCH holds a
// number of seconds (so that a report can be made again byte for byte), that moment in UTC.
TDateTimeParts ReportTime(const char* sourceDateEpoch, std::time_t now);
TDateTimeParts ReportTime();  // from the environment and the clock

// What the file name field holds once it is left: the full path of what was typed, with
// ".txt" added to a name without extension. An empty text stays empty.
std::string CompleteReportFileName(std::string_view typed, const std::string& currentFolder);

struct TReportJob {
  TReportSettings Settings;
  const TReportColumns* Columns = nullptr;
  TReportSource Source = TReportSource::CatalogItem;
  TNode* Selected = nullptr;           // catalog mode: the selected node
  TCatalogTree* Tree = nullptr;        // list mode: the tree walked
  std::vector<TItemRec*> Records;      // list mode: the listed records
  std::function<void(TNode*)> Walking;  // see TReportWriter::Walking
  std::optional<TDateTimeParts> Time;  // the head's date; ReportTime() when none
};

// Writes the report file at path (replacing one that is there), showing the status text and
// the wait window meanwhile. A file that cannot be created is reported and nothing is
// written. A failure while writing closes the file, removes what was written, hides the wait
// window, clears the status text and says what failed. True when the report was written.
bool WriteReportFile(const TReportJob& job, const std::string& path, TUserPrompts& prompts,
                     TProgress& progress);

// Texts of the report file and its messages.
inline constexpr char GeneratingReportText[] = "Generating report file, please wait...";
inline constexpr char FileErrorTitle[] = "File Error";
inline constexpr char CantCreateReportText[] =
    "Can't create output file.\r\nPlease verify file name and path and try again.";
// "I/O error 28\rThe report file x.txt could not be written: No space left on device"
std::string ReportWriteErrorText(const std::string& path, int error);
inline constexpr char ReportReadErrorTitle[] = "Catalog error";
std::string ReportReadErrorText(const std::string& catalogFile, const std::string& message);

// The characters of a UTF-8 text (its code points).
std::size_t CharCount(std::string_view text);

}  // namespace tf
