#pragma once
// The catalog file type for the desktop: a shared-mime-info package for *.ctf (recognised by
// its signature too) and a .desktop entry that opens such files with the program.
//
// An installation (the package, or `cmake --install`) puts both into a system data folder;
// the program writes its own copy per user under the data folder (~/.local/share) at every
// start, unless the system already provides them. The per-user files are the program's: they
// are rewritten when their content changed, and removed once the system provides the same
// type and entry (a user's own entries would hide the installed ones). The desktop's caches
// are refreshed in a folder only when something in it changed.

#include <string>
#include <vector>

namespace tf {

inline constexpr char CatalogMimeType[] = "application/x-tallowfen-catalog";
inline constexpr char CatalogTypeName[] = "Tallowfen Catalog File";
// The program's name for the desktop: the desktop entry's file name without ".desktop", the
// icon's name, the AppStream component and the window's application id.
inline constexpr char DesktopAppId[] = "org.brenthorpe.Tallowfen";
// The file name of the shared-mime-info package under mime/packages.
inline constexpr char CatalogMimePackageFile[] = "tallowfen-catalog.xml";

// The shared-mime-info package that declares the catalog file type.
std::string CatalogMimePackage();
// The desktop entry; program: the path or command name that Exec runs.
std::string DesktopEntry(const std::string& program);
// The icon name of the catalog file type in icon themes (the type with '-' for '/').
std::string CatalogIconName();

// True when one of the data folders (XDG_DATA_DIRS) has the catalog type in its MIME
// database and the program's desktop entry that opens it.
bool SystemProvidesCatalogFileType(const std::vector<std::string>& dataDirs);

// dataHome: the folder that holds "mime/packages" and "applications" (XDG_DATA_HOME);
// program: the program's absolute path; systemDataDirs: the system's data folders.
// Returns true when something under dataHome was written or removed.
bool RegisterCatalogFileType(const std::string& dataHome, const std::string& program,
                             const std::vector<std::string>& systemDataDirs);

// The user's data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string UserDataHome();
// The system's data folders: $XDG_DATA_DIRS, else /usr/local/share and /usr/share.
std::vector<std::string> SystemDataDirs();

}  // namespace tf
