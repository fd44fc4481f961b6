#pragma once
// The browser's icons: one list of icons at fixed indices (drives by media type, folders,
// archives, catalogs, the ".." entry, a generic file), followed by the icons of file types as
// they are met. Every view (tree, small and large list icons) takes its size from the same
// QIcon, so an index means the same picture everywhere.
//
// File types come from the desktop's MIME database and icon theme; drives, archives,
// catalogs, the ".." entry, the state lights and the toolbar glyphs are drawn here.

#include <map>
#include <string>
#include <vector>

#include <QIcon>
#include <QPixmap>

#include "browse/ItemText.h"

namespace tf {

enum TStandardIcon : int {
  IconFile = 0,
  IconFolder,
  IconFolderOpen,
  IconHardDisk,
  IconCdDrive,
  IconFloppy35,
  IconFloppy525,
  IconNetwork,
  IconRemovable,
  IconRamDisk,
  IconTape,
  IconCatalog,
  IconBack,
  IconZipFolder,
  IconZipOpenFolder,
  StandardIconCount
};

class TIconList final : public TIconSource {
 public:
  TIconList();

  // The icon at an index; the generic file icon for an index out of range.
  const QIcon& Icon(int index) const;
  int Count() const { return int(icons_.size()); }

  // TIconSource
  int FileIcon(std::string_view name) override;
  int FolderIcon(bool archive) override { return archive ? IconZipFolder : IconFolder; }
  int BackIcon() override { return IconBack; }
  int DriveIcon(uint8_t mediaType) override;
  int CatalogIcon() override { return IconCatalog; }

 private:
  std::vector<QIcon> icons_;
  std::map<std::string, int> byExtension_;  // lower-case extension -> index
  std::map<std::string, int> byIconName_;   // theme icon name -> index
};

// The state light of the status bar.
enum class TStateLight { Idle, Busy, Search };
QPixmap StateLightPixmap(TStateLight light, int size = 16);

// Glyphs of the toolbar buttons that have no common theme icon.
enum class TToolGlyph {
  Back,
  SortByName,
  SortByExtension,
  SortByMediaType,
  SortBySize,
  SortByCapacity,
  SortByDate,
  SortByFreeSpace,
  ReverseSort,
  LargeIcons,
  SmallIcons,
  List,
  Details,
  AddDisk,
  Explorer,
  Launch,
  EditDescription,
  UserList,
  AddToUserList,
  SetCategory,
  Properties,
  Locate,
  Report,
  DeleteItems,
  ClearList,
  Search,
  Maximize,
};
QIcon ToolIcon(TToolGlyph glyph);

}  // namespace tf
