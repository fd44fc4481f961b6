#pragma once
// The catalog file type for the desktop: a shared-mime-info package for *.ctf and a .desktop
// entry that opens such files with the program, written per user under the data folder
// (~/.local/share) at every start. Files are rewritten only when their content changed, and
// the desktop's caches are refreshed only then.

#include <string>

namespace tf {

inline constexpr char CatalogMimeType[] = "application/x-tallowfen-catalog";
inline constexpr char CatalogTypeName[] = "Tallowfen Catalog File";

// dataHome: the folder that holds "mime/packages" and "applications" (XDG_DATA_HOME);
// program: the program's absolute path. Returns true when something was written.
bool RegisterCatalogFileType(const std::string& dataHome, const std::string& program);

// The user's data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string UserDataHome();

}  // namespace tf
