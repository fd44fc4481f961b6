#pragma once
// The scan's switches from the settings: the initial state of the Add New Disk window's check
// boxes, and the ignore and description settings the scan reads. The command-line tool starts
// from the designed defaults (a default TOptions) the same way.

#include "settings/Options.h"
#include "scan/AddDisk.h"

namespace tf {

inline TScanSettings ScanSettingsOf(const TOptions& o) {
  TScanSettings s;
  s.BrowseArchiveCheck = o.InsideZipCheck;
  s.ImportDizCheck = o.DescDizCheck;
  s.Import4DOSCheck = o.Desc4DOSCheck;
  s.ImportBBSCheck = o.DescBBSCheck;
  s.ImportCommentCheck = o.DescCommentCheck;
  s.KeepCurrentCheck = o.DescKeepCurrentCheck;
  s.IgnoreFilesCheck = o.IgnoreFilesCheck;
  s.IgnoreFoldersCheck = o.IgnoreFoldersCheck;
  s.IgnoreRecycleCheck = o.IgnoreRecycleCheck;
  s.UpdateNameCheck = o.UpdateNameCheck;
  s.DescTruncCheck = o.DescTruncCheck;
  s.DescTruncEdit = o.DescTruncEdit;
  return s;
}

// "Save as default": the six check boxes written back to their settings.
inline void StoreScanDefaults(const TScanSettings& s, TOptions& o) {
  o.InsideZipCheck = s.BrowseArchiveCheck;
  o.DescDizCheck = s.ImportDizCheck;
  o.Desc4DOSCheck = s.Import4DOSCheck;
  o.DescBBSCheck = s.ImportBBSCheck;
  o.DescCommentCheck = s.ImportCommentCheck;
  o.DescKeepCurrentCheck = s.KeepCurrentCheck;
}

}  // namespace tf
