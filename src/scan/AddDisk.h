#pragma once
// Reading a medium into a catalog: the disk scan (ScanDisk), which walks a drive's folders
// and files into a new disk, lists archive contents as folders and takes descriptions from
// description files; the same scan in update mode, which replaces a disk already in the
// catalog only once the new one is complete; and what the Add New Disk window needs around
// it (matching disks, the unique disk name, the status line and the questions).
//
// The scan runs on the caller's thread (the main thread in the program). It talks to the
// user only through the TProgress it is given: Begin/SetDetail/Advance for the wait window,
// SetStatus for the status bar, and Cancelled() before every entry, which is where a window
// lets pending events run and where a confirmed Cancel stops the scan. The new disk is built
// apart from the catalog and hung under it in one step at the end, so that a failure or a
// cancel at any point leaves the catalog exactly as it was.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TDrives;
class TMediaDetector;
class TProgress;
class TUserPrompts;

// The add-disk switches and the ignore settings, taken once when the scan starts. The
// defaults are the designed defaults of the settings they come from (settings/ScanOptions.h
// fills one from TOptions).
struct TScanSettings {
  bool BrowseArchiveCheck = true;  // archives become folders holding their entries
  bool ImportDizCheck = true;      // FILE_ID.DIZ
  bool Import4DOSCheck = true;     // DESCRIPT.ION
  bool ImportBBSCheck = true;      // FILES.BBS
  bool ImportCommentCheck = true;  // archive comments
  bool KeepCurrentCheck = true;    // an update keeps what the user added; imports never
                                   // replace a description an item already has
  bool IgnoreFilesCheck = true;    // hidden files are left out
  bool IgnoreFoldersCheck = true;  // hidden folders are left out
  bool IgnoreRecycleCheck = true;  // the recycle folder is left out
  bool UpdateNameCheck = true;     // an update keeps the old disk's name (ProposedDiskName)
  bool DescTruncCheck = false;     // imported descriptions keep at most DescTruncEdit lines
  int DescTruncEdit = 3;
};

struct TScanJob {
  char Drive = 0;           // the drive letter to read
  TNode* Catalog = nullptr; // the catalog node that gets the disk
  std::string DiskName;     // empty: "Disk X:"; made unique among the catalog's disks
  // Update mode: the disk to replace. Its description and user byte go to the new disk, its
  // name does not count as taken, and (with KeepCurrentCheck) the descriptions and categories
  // of its unchanged folders and files are carried over. It is removed only after a
  // successful scan.
  TNode* UpdateDisk = nullptr;
  TScanSettings Settings;
  // Puts a scanned folder's children in the order the tree shows them (the browser's sort
  // key and direction). Empty: SortFolderChildren, for callers without a tree on screen.
  std::function<void(TNode*)> SortChildren;
};

enum class TScanStatus {
  Done,
  Refused,    // a search is running (the window said so when it opened)
  NotReady,   // the drive was not ready and the user gave up; nothing happened
  Cancelled,  // the user cancelled; the catalog is as it was
  Failed,     // see Message; the catalog is as it was
};

struct TScanResult {
  TScanStatus Status = TScanStatus::Failed;
  TNode* Disk = nullptr;  // the new disk node (Done only)
  std::string Message;    // why it failed, for the command line; the windows show nothing
  // What was recorded, without the wrap of the 16-bit folder count of the disk record.
  int64_t Files = 0;
  int64_t Folders = 0;  // the root not counted
  int64_t ArchiveEntries = 0;
};

// The whole scan of one drive into job.Catalog (see the head of this file). The detector
// asks "Drive Not Ready" through its prompts when the drive cannot be read at the start.
// On success the new disk is the last disk of the catalog, selected in the tree, changed,
// and the catalog is modified; in update mode the old disk is gone.
TScanResult ScanDisk(const TScanJob& job, TDrives& drives, TMediaDetector& detector,
                     TProgress& progress);

// ---- around the scan: what the Add New Disk window and the command line use

// The name itself if no other disk of the catalog has it, else the name followed by " (2)",
// " (3)", ... the first one free. Names compare exactly; ignore (the disk being updated)
// does not count.
std::string UniqueDiskName(const TNode* catalog, const std::string& name,
                           const TNode* ignore = nullptr);

// The medium in the drive is the catalogued disk: serial number, label (exact), media type
// and capacity are equal.
bool MediumMatchesDisk(const TDiskRec& medium, const TDiskRec& disk);
// The disks of the catalog that the medium matches, in catalog order; the first is the
// "existing disk" of the window. except (the scanned image's own node, if any) is left out.
std::vector<TNode*> FindMatchingDisks(const TNode* catalog, const TDiskRec& medium,
                                      const TNode* except = nullptr);
// The name the window proposes: the existing disk's when there is one and UpdateNameCheck is
// set, else the medium's label.
std::string ProposedDiskName(const TDiskRec& medium, const TNode* existing,
                             const TScanSettings& settings);

// A host name as the catalog records it: "\" as U+F05C (Drives.h); on a case-insensitive
// volume a name in capitals only goes to lower case, then its first character to upper case
// (README.TXT -> Readme.txt, autoexec.bat -> Autoexec.bat, MyFile.TXT stays).
std::string NormaliseName(std::string_view hostName, bool caseInsensitive);
// The case rule alone, for names that are catalog text already (archive entries).
std::string NormaliseCase(std::string_view name, bool caseInsensitive);

// A folder's children by name without regard to case: the order of a scan that no window
// shows (the command line).
void SortFolderChildren(TNode* folder);

// Texts of the Add New Disk window and the wait window.
inline constexpr char AddDiskCaption[] = "Add New Disk";
inline constexpr char UpdateDiskCaption[] = "Update Disk";
inline constexpr char ScanStatusText[] = "Scanning disk for data...";
inline constexpr char WaitLookingForDisk[] = "Scanning catalog for existing disk...";
inline constexpr char WaitPreparingUpdate[] = "Preparing to update catalog...";
inline constexpr char WaitScanning[] = "Scanning disk, please wait...";
inline constexpr char WaitDirectoryCaption[] = "Looking in directory:";
// How far a scan is that has nothing to measure it against: "1234 folders and files read".
std::string ItemsReadText(int64_t count);
inline constexpr char AbortScanTitle[] = "Abort Disk Scan";
inline constexpr char AbortScanText[] = "Do you really want to abort disk scan?";
inline constexpr char CantUpdateTitle[] = "Can't Update Data";
inline constexpr char CantUpdateText[] =
    "Sorry, updating catalog is not possible while search is in progress.\r"
    "Please cancel the search or wait for search to finish.";
inline constexpr char LookingForMediaText[] = "Looking for selected media, please wait...";
inline constexpr char NoDriveSelectedText[] = "No drive selected";

// The window's status line for the selected drive: in add mode whether the medium is already
// in the catalog, in update mode whether it matches the disk being updated.
std::string AddDiskStatusLine(char letter, const TDiskRec& medium, bool update, bool matches);
// "Update Old Data?" (Yes, No, Cancel) when the medium is in the catalog once.
inline constexpr char UpdateOldDataTitle[] = "Update Old Data?";
std::string UpdateOldDataText(const std::string& diskName);
// "Warning" (Yes, No) when the medium does not match the disk being updated.
inline constexpr char MismatchTitle[] = "Warning";
std::string MismatchText(const std::string& diskName);

}  // namespace tf
