#pragma once
// What the Properties window shows of one item, and how its edits are written back: the file
// page, the folder (or archive) page, the disk page with the figures of the Advanced Disk Info
// window and its pie chart, and the catalog page with statistics of the catalog's disks by
// kind of medium. Plain C++; the window (PropertiesForm.h) only puts the texts on its pages.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

// The item whose properties are shown.
struct TPropertiesSubject {
  // The item's own node for a folder, disk or catalog; the container's node for a file; null
  // for a volume not yet in a catalog.
  TNode* Node = nullptr;
  // The file; otherwise the node's record; for a volume not yet in a catalog its volume data.
  TItemRec* Record = nullptr;
  // A volume not yet in a catalog: its drive, and the catalog chosen for it (null: none).
  char Drive = 0;
  TNode* VolumeCatalog = nullptr;
};

enum TPropertiesPage : int { FileSheet = 0, DirectorySheet, DiskSheet, CatalogSheet, PageCount };

// The four attribute boxes (shown, never written back).
struct TAttributeBoxes {
  bool Archive = false, Hidden = false, System = false, ReadOnly = false;
};
TAttributeBoxes AttributeBoxes(uint8_t attributes);

// A category list entry: "(none)" has ID 0.
struct TCategoryChoice {
  std::string Text;
  int Id = 0;
};

struct TFilePageInfo {
  std::string Name;
  std::string TypeName;
  std::string Size;
  std::string Modified;
  std::string CreatedCaption;   // "Created on:", for an archive entry "Compressed Size:"
  std::string Created;
  std::string AccessedCaption;  // "Last Accessed on:", for an archive entry "File CRC:"
  std::string Accessed;
  std::string DiskName;
  std::string Location;
  TAttributeBoxes Attributes;
  uint8_t CategoryFlags = 0;
  std::string Description;  // stored form
};

struct TFolderPageInfo {
  std::string Caption;  // "Folder info", for an archive "Archive file"
  std::string Name;
  bool Archive = false;
  std::string TypeName;
  std::string SizeCaption;  // "Folder Size:", for an archive "File Size:"
  std::string Size;
  std::string Created;
  std::string Modified;
  std::string Accessed;
  std::string DiskName;
  std::string Location;
  std::string DescriptionCaption;  // "Folder Description:" / "Archive File Description:"
  TAttributeBoxes Attributes;
  uint8_t CategoryFlags = 0;
  std::string Description;
};

// One slice of the pie chart: its share in percent, its label and colour (0xRRGGBB).
struct TPieSlice {
  int Percent = 0;
  std::string Label;
  uint32_t Color = 0;
};

struct TAdvancedDiskInfo {
  std::string FileSystem;
  std::string MaxNameLength;
  std::string TotalFiles;
  std::string TotalFolders;
  std::string BytesPerSector;
  std::string SectorsPerCluster;
  std::string ClusterSize;
  std::string LostSpace;
  std::vector<TPieSlice> Slices;  // free (when not full), then used
  std::string Footer;             // "Total capacity: 1.44 MB"
};

inline constexpr uint32_t FreeSliceColor = 0x00D200;  // red 0, green 210, blue 0
inline constexpr uint32_t UsedSliceColor = 0xFF0000;

struct TDiskPageInfo {
  std::string Name;
  bool Catalogued = false;  // the description can be edited
  uint8_t MediaType = 0;
  std::string VolumeLabel;
  std::string MediaTypeName;
  std::string Serial;
  std::string Capacity;
  std::string FreeSpace;
  bool Compressed = false;
  std::string CatalogName;
  std::string Updated;
  std::string Description;
  TAdvancedDiskInfo Advanced;
};

struct TCatalogPageInfo {
  std::string Name;
  // "CD-ROM:", "Floppy 3.5\" :", "Floppy 5.25\" :", "Hard Disks:", "Removable:", "Other:"
  std::array<std::string, 6> GroupCaptions;
  std::array<std::string, 6> Groups;
  std::string DiskCount;
  std::string TotalStorage;
  std::string TotalUsed;
  std::string Description;
};

struct TPropertiesInfo {
  std::array<bool, PageCount> Visible{};
  int FirstPage = DiskSheet;
  // The category lists of the file and folder pages; enabled only when the catalog has
  // categories (otherwise the one entry "(no categories defined)").
  std::vector<TCategoryChoice> Categories;
  bool CategoriesEnabled = false;
  // The flag menus: (name, j) for each defined flag j.
  std::vector<std::pair<std::string, int>> Flags;
  TFilePageInfo File;
  TFolderPageInfo Folder;
  TDiskPageInfo Disk;
  TCatalogPageInfo Catalog;
};

// The type name the desktop knows for an extension (empty when it knows none).
using TFileTypeNames = std::function<std::string(std::string_view extension)>;

// Fills every page. Reads the disk's root files first when they are not in memory (the lost
// space of the advanced figures sums them).
TPropertiesInfo FillProperties(const TPropertiesSubject& subject, const TFileTypeNames& typeNames = {});

// The index of the entry of choices whose ID is that of the byte (0 "(none)" otherwise).
int CategoryChoiceIndex(const std::vector<TCategoryChoice>& choices, uint8_t categoryFlags);
// The byte the file and folder pages stand for: the chosen ID and the checked flags 1 to 3.
uint8_t CategoryByte(int categoryId, const std::array<bool, 3>& flags);

// What the user changed; a description is given (display text, lines separated by "\n" or
// "\r\n") only when it differs from the one shown.
struct TPropertiesEdits {
  std::optional<uint8_t> FileByte;
  std::optional<uint8_t> FolderByte;
  std::optional<std::string> FileDescription;
  std::optional<std::string> FolderDescription;
  std::optional<std::string> DiskDescription;
  std::optional<std::string> CatalogDescription;
};
struct TPropertiesChanges {
  bool File = false;
  bool Folder = false;
  bool Disk = false;
  bool Catalog = false;
  bool Any() const { return File || Folder || Disk || Catalog; }
};
// Writes back what changed on the visible pages and marks disks and catalogs modified.
TPropertiesChanges ApplyProperties(const TPropertiesSubject& subject, const TPropertiesInfo& shown,
                                   const TPropertiesEdits& edits);

// The share of used space in percent, rounded; 0 for a capacity of 0.
int UsedShare(uint64_t used, uint64_t capacity);
// A description as the editor takes it (lines separated by "\n"), and back.
std::string DescriptionForEditor(std::string_view stored);
std::string DescriptionFromEditor(std::string_view text);

inline constexpr char PropertiesCaption[] = "Properties";
inline constexpr char AdvancedDiskInfoCaption[] = "Advanced Disk Info";
inline constexpr char NotInCatalogYet[] = "(not in catalog yet)";
inline constexpr char NoneCategory[] = "(none)";
inline constexpr char NoCategoriesChoice[] = "(no categories defined)";
inline constexpr int MaxDescriptionEdit = 4096;

}  // namespace tf
