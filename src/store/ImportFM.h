#pragma once
// Import of a database of Kestrevane 3.5, the maker's earlier disk cataloguer for DOS, into a
// new, unsaved catalog.
//
// A database is four files of one base name in one folder: NAME.DSK (39-byte disk records),
// NAME.FIL (20-byte folder and file records, every disk's tree depth first, a record named
// ".." closing a folder), NAME.FDS (descriptions keyed by disk and entry number) and NAME.CMT
// (the database's name and disk comments, as text lines). Integers are little-endian; text is
// DOS code page 437 and becomes UTF-8 here. On this platform the four files are found without
// regard to the letter case of their names.
//
// The import builds the whole catalog apart from the tree and hands it over only when every
// file was read: a database that turns out damaged half-way leaves nothing behind.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "store/Tree.h"

namespace tf {

inline constexpr std::size_t DiskRecordBytes = 39;
inline constexpr std::size_t FileRecordBytes = 20;

// The media type of a disk that matches none of the database's rules: the unknown code,
// shown as "Unknown".
inline constexpr uint8_t ImportedUnknownMedia = 255;

// The question before the import window, and the window's texts.
inline constexpr char ImportQuestionTitle[] = "Kestrevane Import";
inline constexpr char ImportQuestionText[] =
    "Tallowfen can import catalog data from it's predecessor, Kestrevane 3.5, \rdisk catalog "
    "program for DOS, but imported catalog will lack some information\r missing in the old "
    "database.\r\rAre you sure you want to import Kestrevane database?";
inline constexpr char NoDatabaseSelectedText[] = "(no database selected)";
inline constexpr char InvalidDatabaseText[] = "(invalid Kestrevane database)";
inline constexpr char NotDatabaseText[] = "(not Kestrevane database)";
inline constexpr char DisksInDatabaseText[] = "Disks in database: ";
// The import itself.
inline constexpr char ImportedCatalogCaption[] = "Kestrevane Catalog";
inline constexpr char ImportWaitText[] = "Importing Kestrevane database...";
inline constexpr char ImportStatusText[] = "Importing Kestrevane database, please wait...";
inline constexpr char NoFileListTitle[] = "Problem";
inline constexpr char NoFileListText[] = "Can't open Kestrevane catalog file!";

// What the import window shows for a selected NAME.DSK file.
struct TDatabaseCheck {
  bool Valid = false;      // OK may be pressed
  std::string NameLabel;   // the database's name, or why there is none
  std::string CountLabel;  // "Disks in database: N", or empty
  int64_t Disks = 0;
};

// The check the import window makes whenever the selection changes (dskPath empty: nothing
// selected). The first 1024 bytes of NAME.CMT must be lines of at most 255 characters, each
// either the name line (first byte 0xEB) or a line whose first four characters are a number,
// and hold the name line; NAME.DSK must be whole records.
TDatabaseCheck CheckDatabase(const std::string& dskPath);

// The file of extension ext ("FIL", "FDS", "CMT") beside dskPath: the name in the letter
// case of dskPath's extension when it exists, else any name that differs only in case, else
// the first (which does not exist).
std::string DatabaseFile(const std::string& dskPath, std::string_view ext);

// A database that cannot be imported: the check's text, a damaged file, a read error.
class EImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Fills a disk's geometry (BytesPerSector, SectorsPerCluster, TotalClusters, FreeClusters)
// for its file system from capacity and free space (bytes x 10000), as for a volume whose
// sizes are known and whose geometry is not. The program passes the media engine's estimate.
using TGeometryEstimate = std::function<void(TDiskRec& disk, int64_t total, int64_t free)>;

// The media type of a database disk: 5 (hard disk) when the first byte of its record is 0;
// else by the drive type's low five bits: 0 or 1 a 5.25" drive (0 below 614400 bytes, else
// 1), 2 a 3.5" drive (2 below 921600 bytes, 7 below 2048000, else 9); else 10 (CD-ROM) when
// the high three bits are 1, else ImportedUnknownMedia.
uint8_t ImportedMediaType(uint8_t firstByte, uint8_t driveType, int32_t capacity);

// Days since 30 December 1899 of a database's cataloguing date (year counted from 1900);
// 0 for a date that does not exist.
double ImportedDate(int day, int month, int yearFrom1900);

// A name of the file list as the catalog keeps it: a name in capitals only goes to lower
// case, then its first character to upper case (AUTOEXEC.BAT becomes Autoexec.bat).
std::string ImportedName(std::string_view name);

// Reads the database into a new catalog node, not in any tree, "Modified" and without a file.
// Shows the wait window and status text meanwhile; a missing NAME.FIL is said ("Problem") and
// the catalog holds the disks alone; a missing NAME.CMT or NAME.FDS is passed over. Raises
// EImportError (nothing is left behind) for a database that fails the check, a damaged one
// and read errors.
std::unique_ptr<TNode> ImportDatabase(const std::string& dskPath, TUserPrompts& prompts,
                                      TProgress& progress, const TGeometryEstimate& geometry);

}  // namespace tf
