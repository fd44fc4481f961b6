#pragma once
// Folder drives from the user's side: which letter a new one gets, the volume data proposed
// for a folder, and the checks before one is kept. The drives themselves are kept in the
// settings (platform/Drives.h) and shown by the drive backend; the Add New Disk window adds
// and removes them, so that any folder can be catalogued like a medium.

#include <string>
#include <vector>

#include "platform/Drives.h"

namespace tf {

// The letters a new folder drive can take: D to Z, those no drive has now.
std::vector<char> FreeFolderDriveLetters(TDrives& drives);

// What a folder drive for folder would be, before the user changes it: the first free
// letter, the folder's own name as the label (11 bytes at most), a serial number folded from
// the folder's device and inode (so that the same folder proposes the same serial every
// time, and a catalogued folder is found again), and the media type and file system of the
// drive that holds the folder (a hard disk and the folder's file system type when no drive
// does).
TFolderDrive ProposeFolderDrive(TDrives& drives, const std::string& folder);

// Puts the user's entries into the form the settings keep (label cut to 11 bytes, file
// system upper case and cut to 8, the folder without a trailing "/"); returns what is wrong
// with them, or an empty text when they can be kept.
std::string CheckFolderDrive(TDrives& drives, TFolderDrive& drive);

inline constexpr char FolderDriveTitle[] = "Folder Drive";
inline constexpr char FolderMissingText[] = "Please choose an existing folder.";
inline constexpr char FolderLetterText[] = "Please choose a drive letter that is not in use.";
inline constexpr char NoFreeLetterText[] =
    "All drive letters are in use; a folder cannot be added as a drive.";

}  // namespace tf
