#pragma once
// Reading and writing catalog files (the format is described in catalog-format.md).
//
// Opening reads only the header, every disk's header and every disk's first folder level;
// deeper folder levels (LoadSubfolders) and file lists (LoadFiles) are read from the same
// file when somebody needs them. Saving writes a new file beside the target, copying the
// blocks of unchanged disks and the file lists that were never read byte for byte, and then
// puts it in place with one atomic rename: at every moment the target path holds either the
// complete old catalog or the complete new one.

#include <memory>
#include <string>

#include "platform/Progress.h"
#include "store/ReadAhead.h"
#include "store/Tree.h"

namespace tf {

class TCatalogLock;

inline constexpr char CatalogSignature[] = "Catalog 1.00";
inline constexpr char MsgNotCatalog[] = "This is not a valid catalog file!";
inline constexpr char MsgStructureError[] = "Internal catalog structure error detected.";
inline constexpr char MsgFileOpenError[] = "File open error";
inline constexpr int MaxText16 = 4096;  // bytes kept of a Text16
inline constexpr int MaxFolderLevel = 255;

// Reads the eager part of a catalog file into a new catalog node, not yet in any tree. The
// node's record owns the open stream. Raises EInvalidCatalog, EReadBufferError.
std::unique_ptr<TNode> ReadCatalogFile(const std::string& path);

// Reads a folder's subfolders if they still lie in the file. Raises EInvalidCatalog.
void LoadSubfolders(TNode* folder);
// Reads a disk's root files or a folder's files if they still lie in the file.
void LoadFiles(TNode* container);
// Both, for every level below node (the command-line dump, reports, tests).
void LoadAll(TNode* node);

// Writes the catalog to path (through symbolic links, to the file they name) and makes path
// its file. On failure (EStreamError with the system's message, EInvalidCatalog when the old
// file cannot be copied) the catalog stays exactly as it was and the file at path is
// untouched. ESaveRefused (CatalogFiles.h): the file at path is read-only, is no regular
// file, is being saved by another writer of this program, or is the catalog's own file and
// another program saved it after it was read. heldLock: the caller holds the write lock of
// path already (a save takes it, without waiting, otherwise).
void WriteCatalogFile(TNode* catalog, const std::string& path, TProgress& progress,
                      TCatalogLock* heldLock = nullptr);

// "Save error" message text for a failed save.
inline constexpr char SaveErrorTitle[] = "Save error";
std::string SaveErrorText(const std::string& path, const std::string& message);

}  // namespace tf
