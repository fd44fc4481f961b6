#pragma once
// What a search looks for, in two forms: TSearchControls, the state of the search window's
// controls as one value (the window, the command-line tool and the tests fill it), and
// TSearchCriteria, what BuildCriteria makes of it at the start of a run: patterns upper-cased,
// sizes in bytes, dates and times as bounds with their tolerances. MatchItem tests one file
// or folder against the criteria.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/Records.h"

namespace tf {

// Attribute bits of files and folders.
inline constexpr uint8_t AttrReadOnly = 0x01;
inline constexpr uint8_t AttrHidden = 0x02;
inline constexpr uint8_t AttrSystem = 0x04;
inline constexpr uint8_t AttrArchive = 0x20;

enum class TMatchMode : uint8_t { All = 0, AtLeastOne = 1 };
enum class TSearchFor : uint8_t { FilesAndFolders = 0, FilesOnly = 1, FoldersOnly = 2 };
enum class TNameMode : uint8_t { Exact = 0, Part = 1, Mask = 2, Extension = 3, FileType = 4 };
enum class TAttrState : uint8_t { Clear = 0, Set = 1, Any = 2 };
enum class TDescMode : uint8_t { Any = 1, Text = 2, None = 3 };
enum class TSizeCompare : uint8_t {
  None = 0, EqualTo = 1, SmallerThan = 2, LargerThan = 3, Between = 4, NotBetween = 5 };
enum class TDateField : uint8_t { None = 0, Created = 1, Modified = 2, Accessed = 3 };
enum class TTimeField : uint8_t { None = 0, Created = 1, Modified = 2 };
enum class TDateCompare : uint8_t { On = 0, Before = 1, After = 2, Between = 3, NotBetween = 4 };
enum class TTimeCompare : uint8_t { At = 0, Before = 1, After = 2, Between = 3, NotBetween = 4 };

// The four attribute boxes in the window's order.
enum TAttrIndex : int { AttrIndexArchive = 0, AttrIndexHidden, AttrIndexSystem, AttrIndexReadOnly };
inline constexpr std::array<uint8_t, 4> AttrBits = {AttrArchive, AttrHidden, AttrSystem,
                                                    AttrReadOnly};

// The separator after every extension of an extension pattern.
inline constexpr char ExtSeparator = '\x01';

// A size field and its unit box: "Bytes", "KB", "MB", "GB", "TB" are units 0..4.
struct TSizeField {
  std::string Text = "0";
  int Unit = 0;
  bool operator==(const TSizeField&) const = default;
};
inline constexpr std::array<const char*, 5> SizeUnitNames = {"Bytes", "KB", "MB", "GB", "TB"};

// Reads a size field as the window does: a fraction with a unit above Bytes moves one unit
// down (1.5 MB becomes 1536 KB), the whole number is written back into the field, and the
// bytes come out capped at 4294967295. Text that is no number reads as 0.
uint32_t SizeToBytes(TSizeField& field);

// Days since 30 December 1899 (the date pickers' value) and seconds since midnight (the
// time pickers').
int32_t DayNumber(int year, int month, int day);
void DayToDate(int32_t dayNumber, int& year, int& month, int& day);
// The calendar day and the time of day of a DOS packed date-time; false when it is not a
// valid date and time.
bool DosDay(uint32_t packed, int32_t& dayNumber);
bool DosSecondOfDay(uint32_t packed, int32_t& seconds);

// Every control of the search window that a run reads, named after the controls.
struct TSearchControls {
  // "Search Settings"
  TSearchFor SearchForCombo = TSearchFor::FilesAndFolders;
  TMatchMode SearchTypeCombo = TMatchMode::All;
  bool LimitFoundCheck = false;
  int MaxFoundNum = 1000;  // 1..9999
  bool DuplicateNameCheck = true;
  bool DuplicateSizeCheck = true;
  bool DuplicateDateCheck = false;
  bool DuplicateAttrCheck = false;
  bool DuplicateArchivesCheck = true;  // "Don't search for duplicates in compressed files"
  // "by Name or Type"
  bool ByNameCheck = false;
  TNameMode NameCombo = TNameMode::Part;
  std::string NameEdit;
  // The chosen file type's extensions (".EXT" + ExtSeparator, repeated); empty for "(none)".
  std::string FileTypeExtensions;
  bool FileCaseCheck = false;  // applies to the exact and part modes only
  std::array<TAttrState, 4> Attributes = {TAttrState::Any, TAttrState::Any, TAttrState::Any,
                                          TAttrState::Any};
  // "by Description"
  bool ByDescCheck = false;
  TDescMode DescMode = TDescMode::Text;
  std::string DescEdit;
  bool DescCaseCheck = false;  // applies to the text mode only
  // "by Category": the names checked in the category and flag lists
  bool ByCategoryCheck = false;
  std::vector<std::string> CheckedCategories;
  std::vector<std::string> CheckedFlags;
  // "by File Size"
  bool BySizeCheck = false;
  TSizeCompare SizeCombo = TSizeCompare::None;
  TSizeField SizeValue1, SizeValue2;
  bool SizeAllowTollerance = false;
  TSizeField SizeValue3;
  // "by File Date"
  bool ByDateCheck = false;
  TDateField DateCombo1 = TDateField::None;
  TDateCompare DateCombo2 = TDateCompare::On;
  int32_t DatePicker1 = 0, DatePicker2 = 0;  // day numbers
  bool DateAllowTollerance = false;
  int DateTollerance = 0;  // days, 0..99
  TTimeField TimeCombo1 = TTimeField::None;
  TTimeCompare TimeCombo2 = TTimeCompare::At;
  int32_t TimePicker1 = 0, TimePicker2 = 0;  // seconds since midnight
  bool TimeAllowTollerance = false;
  int TimeTollerance = 0;  // minutes, 0..999
};

struct TSearchCriteria {
  TMatchMode Mode = TMatchMode::All;
  int ResultLimit = 0;  // 0: no limit
  TSearchFor SearchFor = TSearchFor::FilesAndFolders;
  bool ByName = false;
  TNameMode NameMode = TNameMode::Part;
  std::string NamePattern;  // upper-cased unless NameCase
  bool NameCase = false;
  std::array<TAttrState, 4> Attributes = {TAttrState::Any, TAttrState::Any, TAttrState::Any,
                                          TAttrState::Any};
  bool AttributesUsed = false;
  bool ByDesc = false;
  TDescMode DescMode = TDescMode::Text;
  std::string DescText;  // normalised as descriptions are before the comparison
  bool DescCase = false;
  bool ByCategory = false;
  std::vector<std::string> Categories;
  std::vector<std::string> Flags;
  bool BySize = false;
  TSizeCompare SizeCompare = TSizeCompare::None;
  uint32_t SizeLow = 0, SizeHigh = 0;
  TDateField DateField = TDateField::None;
  TDateCompare DateCompare = TDateCompare::On;
  int32_t DateLow = 0, DateHigh = 0;
  TTimeField TimeField = TTimeField::None;
  TTimeCompare TimeCompare = TTimeCompare::At;
  int32_t TimeLow = 0, TimeHigh = 0;
  // The only criteria look for descriptions (any, or a text): file lists of containers
  // without file descriptions need not be read.
  bool DescriptionOnly = false;
  bool SomethingToSearch = false;
};

// Builds the criteria of a run from the controls. Reading the size fields writes them back
// as the window shows them afterwards (see SizeToBytes).
TSearchCriteria BuildCriteria(TSearchControls& controls);

// The name pattern of the extension mode: ".EXT" + ExtSeparator for each comma-separated
// extension, in order.
std::string ExtensionPattern(std::string_view extensionList);
// The window's cleaning of a mask: ",", "/" and "\" deleted, and every "*" or "?" that directly
// follows a "*". Empty when nothing is left (the mask is not valid).
std::string NormalizeMask(std::string_view mask);
// The window's rewrite of the extension field: each comma-separated part reduced to what
// follows its last "." and stripped of spaces ("*.txt, .Doc" becomes "txt,Doc").
std::string NormalizeExtensionList(std::string_view text);
// A description as the text test sees it: upper-cased unless caseSensitive, with line feeds,
// carriage returns, spaces, commas and full stops removed.
std::string NormalizeDescription(std::string_view text, bool caseSensitive);

// One file or folder as the tests see it, wherever its fields lie (a record, or an entry of a
// file list that was not turned into records).
struct TItemView {
  bool Folder = false;
  bool InArchive = false;
  std::string_view Name;  // a file's stored name; a folder's node text
  uint8_t Attributes = 0;
  uint32_t CreatedTime = 0;
  uint32_t ModifiedTime = 0;
  uint32_t AccessedTime = 0;
  uint64_t Size = 0;  // bytes: a file's Size, a folder's TotalSize
  std::string_view Description;  // empty: none
  uint8_t CategoryFlags = 0;
};
TItemView ViewOf(const TItemRec* rec);  // a file or a folder

// Which categories and flags of one catalog the checked names select.
struct TCategoryFilter {
  uint32_t CategoryIds = 0;  // bit n: category ID n is checked
  uint8_t FlagBits = 0;      // UserFlag1..3 whose names are checked
};
TCategoryFilter MakeCategoryFilter(const TSearchCriteria& criteria, const TCatalogRec& catalog);

// The tests of MatchItem, in the order they are counted.
enum class TMatchTest : int {
  AttrArchive, AttrHidden, AttrSystem, AttrReadOnly, Name, Description, Category, Size, Date,
  Time };
inline constexpr int MatchTestCount = 10;
// One test: 1 passed, 0 failed, -1 it does not apply (to these criteria or to this item).
int ApplyTest(TMatchTest test, const TSearchCriteria& criteria,
              const TCategoryFilter& categories, const TItemView& item);

// The passed and failed tests of an item; see MatchItem.
struct TMatchTally {
  int Passed = 0;
  int Failed = 0;
};
TMatchTally MatchTally(const TSearchCriteria& criteria, const TCategoryFilter& categories,
                       const TItemView& item);
// Whether an item matches: in the mode "all" no test failed, in the mode "at least one"
// some test passed. An item for which no test applies matches only in the mode "all".
bool MatchItem(const TSearchCriteria& criteria, const TCategoryFilter& categories,
               const TItemView& item);

// The name test alone (exact, part, mask, extension or file type).
bool NameTest(const TSearchCriteria& criteria, std::string_view name);

}  // namespace tf
