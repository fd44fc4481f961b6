#pragma once
// The commands of the browser on one item, without their windows: which item a command acts
// on (ActionTarget), when each command is enabled, launching a catalogued file and opening
// its folder on the medium, deleting a disk, renaming a disk or catalog. The main window and
// later the search and user list windows run these; tests run them on a tree of their own.
//
// A command acts on the node selected in the tree or on the rows of the list, depending on
// where it comes from. Nothing here keeps state between two commands: targets are resolved
// anew each time from what the window says about its controls (TCommandContext).

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "browse/ItemList.h"
#include "store/Tree.h"

namespace tf {

class TDrives;
class TMediaDetector;
class TShell;
class TUserPrompts;
enum class TShellResult;

// Where a command comes from: an entry of the tree's context menu, of the list's context
// menu, of the "&Edit" menu, a toolbar button (the status bar click counts as one), or
// anything else (which acts as a list command).
enum class TCommandSource { TreeMenu, ListMenu, EditMenu, Toolbar, Other };

// What the window tells about its controls when a command runs.
struct TCommandContext {
  TNode* Selected = nullptr;        // the tree's selected node
  const TItemList* List = nullptr;  // the browser list
  int FocusedRow = -1;              // the list's focused row; -1 none
  bool TreeActive = false;          // the tree is the active control
};

struct TActionTarget {
  bool Found = false;
  TNode* Node = nullptr;    // the tree node acted on (for a file row: the shown container)
  bool FromTree = false;    // the tree is the source
  TFileRec* File = nullptr; // a file row's record
  // The record the command acts on: the file, else the node's.
  TItemRec* Record() const { return File ? File : (Node ? Node->Record : nullptr); }
};

// Whether the tree is the source of a command from there.
bool TreeIsSource(TCommandSource source, const TCommandContext& context);
TActionTarget ActionTarget(TCommandSource source, const TCommandContext& context);

// The list row's tree node: the child of the shown node whose record the row is; null for a
// file row, the ".." row and a row without such a child.
TNode* RowNode(const TNode* selected, const TItemRec* row);

// Enabled states of the item commands.
struct TItemCommandState {
  bool OpenInExplorer = false;
  bool LaunchFile = false;
  bool AddToUserList = false;
  bool SetCategory = false;
};
// selectedRows: the list's selected rows (used for a list target only); backEntry: the list's
// ".." record.
TItemCommandState ItemCommandState(const TActionTarget& target,
                                   std::span<TItemRec* const> selectedRows,
                                   const TItemRec* backEntry);

// The record that Launch and "Open in Explorer" take in the main window: the focused row
// when the list is the active control, else the selected node's record.
TItemRec* ShellCommandRecord(const TCommandContext& context);

// ---- launching and opening folders

// Where a launch goes, as catalog paths on the disk (without the drive letter).
struct TLaunchTarget {
  TNode* Node = nullptr;   // whose disk holds the file (for LocateDiskMedia)
  std::string Path;        // "\GAMES\DOOM.EXE"; an archive folder: the archive's path
  std::string Folder;      // the folder holding it: "\GAMES", "\" in the root
  std::string Extension;   // upper case, without the dot ("EXE"); for the messages
};
// A file not inside an archive, or an archive folder (which launches the archive file
// itself); nothing else can be launched.
std::optional<TLaunchTarget> LaunchTargetOf(TItemRec* rec);

// The folder that "Open in Explorer" shows: the folder holding the archive for an archive or
// an item inside one, a file's container, the selected node's parent for the ".." row, the
// folder or disk itself otherwise. Null for a catalog or nothing.
TNode* ExplorerFolderOf(TItemRec* rec, TNode* selected, const TItemRec* backEntry);

// The shell services one launch or folder command needs.
struct TShellCommands {
  TDrives& Drives;
  TMediaDetector& Media;
  TShell& Shell;
  TUserPrompts& Prompts;
};

// Launch: finds the medium (asking for it, no manual choice), opens the file with its program
// in the folder holding it, and reports what the shell could not do. False when nothing was
// started.
bool LaunchItem(TItemRec* rec, const TShellCommands& with);
// "Open in Explorer": finds the medium the same way; a folder that no longer exists on it
// (anything but a disk's root) is reported and not opened. False when nothing was opened.
bool OpenItemFolder(TItemRec* rec, TNode* selected, const TItemRec* backEntry,
                    const TShellCommands& with);

// The message for what the shell reports when launching; false for a result that is not
// reported (success, or a failure this platform cannot describe further).
bool ReportLaunchResult(TShellResult result, const std::string& extension, TUserPrompts& prompts);

inline constexpr char OutOfMemoryTitle[] = "Out of Memory";
inline constexpr char OutOfMemoryText[] =
    "There is not enough memory or resources to execute program.";
inline constexpr char FileNotFoundTitle[] = "File not found";
inline constexpr char FileNotFoundText[] =
    "Sorry, selected file does not exist any more on the media.\r"
    "Please update data for this media.";
inline constexpr char AccessDeniedTitle[] = "Access Denied";
inline constexpr char AccessDeniedText[] = "Access to this file was denied by operating system.";
inline constexpr char SharingViolationText[] =
    "Sharing error occoured on this file.\r"
    "Please close first all programs currently using this file.";
inline constexpr char NoAssociationTitle[] = "Can't launch file";
std::string NoAssociationText(const std::string& extension);
inline constexpr char DirectoryNotFoundTitle[] = "Directory not found";
inline constexpr char DirectoryNotFoundText[] =
    "Sorry, this directory does not exist any more on the media.\r"
    "Please update data for this media.";

// ---- deleting a disk, closing a catalog

// The refusal while a search runs, then the confirmation. True when the disk may go.
bool ConfirmDeleteDisk(TNode* disk, TUserPrompts& prompts);
// Marks the disk and its catalog modified, then removes the disk with all its records from
// the tree and from the windows' lists. The caller has taken the disk out of what it shows.
void DeleteDisk(TNode* disk);

inline constexpr char CantRemoveDiskTitle[] = "Can't remove disk";
inline constexpr char CantRemoveDiskText[] =
    "Sorry, removing disk is not allowed while search is in progress.\r"
    "Please cancel the search or wait for search to finish.";
inline constexpr char DeleteDiskTitle[] = "Delete disk";
std::string DeleteDiskText(const std::string& diskName);

// Del on a catalog in the tree.
bool ConfirmCloseCatalog(TUserPrompts& prompts);
inline constexpr char ConfirmClosingTitle[] = "Confirm closing";
inline constexpr char ConfirmClosingText[] = "Would you really like to close selected catalog?";

// ---- renaming

// Labels of disks and catalogs can be edited; nothing else.
bool CanRename(const TNode* node);
// The longest name a disk or catalog takes; longer text is cut.
inline constexpr std::size_t MaxItemName = 255;
// Gives a disk or catalog the edited text as its name: an empty text, or the name it has,
// changes nothing; a disk's name is made unique among the disks of its catalog (" (2)", ...).
// The item and its catalog are marked modified. True when the name changed.
bool RenameNode(TNode* node, std::string_view text);

// The "&Catalog" menu's rename entry.
struct TRenameEntryState {
  bool Catalog = false;  // reads "&Rename Catalog", else "&Rename Disk"
  bool Enabled = false;
};
TRenameEntryState RenameEntryState(const TCommandContext& context, int catalogCount);

// What "&Rename Catalog" / "&Rename Disk" edits: the list's focused disk row, or the nearest
// node of the entry's kind at or above the selected node.
struct TRenamePlan {
  enum TKind { Nothing, ListRow, TreeNode } Kind = Nothing;
  TNode* Node = nullptr;  // TreeNode: the node to select and edit
};
TRenamePlan MenuRenamePlan(const TCommandContext& context);

}  // namespace tf
