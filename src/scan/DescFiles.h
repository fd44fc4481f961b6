#pragma once
// Descriptions from media: the text rules (trimming, wrapping, box-drawing replacement) that
// every description from a medium, an archive or the user goes through, and the readers of
// FILE_ID.DIZ, FILES.BBS and DESCRIPT.ION.

#include <string>
#include <string_view>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TUserPrompts;

inline constexpr std::size_t MaxDescription = 4096;
inline constexpr int ImportWrapWidth = 50;

// The scan's switches that shape imported descriptions.
struct TDescImport {
  bool KeepCurrent = true;  // an item that has a description keeps it
  bool Truncate = true;     // at most TruncLines lines
  int TruncLines = 3;
};

// Stores one imported description on a file or folder record.
void SetImportedDescription(TItemRec* item, std::string_view text, const TDescImport& opt);

// The readers. path is the host path of the description file; a file that cannot be read is
// skipped silently. Each returns true when the file could be read.
//   FILE_ID.DIZ: the folder's own description (never a disk's).
bool ReadFileIdDiz(TItemRec* folder, const std::string& path);
//   FILES.BBS: descriptions of the container's files, in fixed columns.
bool ReadFilesBbs(TNode* container, const std::string& path, const TDescImport& opt);
//   DESCRIPT.ION: one line per file or subfolder.
bool ReadDescriptIon(TNode* container, const std::string& path, const TDescImport& opt);

// The same readers on content already read (the scan reads the files relative to the folder
// it has open). The limits are the readers' own: FileIdDizLimit bytes of a FILE_ID.DIZ,
// DescriptionFileLimit of the others.
inline constexpr std::size_t FileIdDizLimit = MaxDescription - 1;
inline constexpr std::size_t DescriptionFileLimit = 8 << 20;
void ApplyFileIdDiz(TItemRec* folder, std::string text);
void ApplyFilesBbs(TNode* container, std::string_view content, const TDescImport& opt);
void ApplyDescriptIon(TNode* container, std::string_view content, const TDescImport& opt);

// The Description Assistant's search: the description-like files in the item's folder (and,
// with subfolders, up to maxLevels below it), grouped by the first mask each matches, in
// catalog order within a mask. Paths are relative: "FILE_ID.DIZ", ".\DOCS\README.TXT".
// Nothing is collected inside an archive. Lists and levels are read from the catalog as needed.
std::vector<std::string> CollectDescriptionFiles(TNode* node, const std::vector<std::string>& masks,
                                                 bool subfolders, int maxLevels);
// The default masks of the search, in priority order.
inline constexpr char DefaultDescMasks[] = "FILE_ID.DIZ,DESCRIPT.ION,*.NFO,*.TXT";
std::vector<std::string> SplitMasks(std::string_view list);

// A description file as the Assistant shows it: at most 32000 bytes, zero bytes as byte 255,
// a marker line when it was cut or could not be read.
inline constexpr std::size_t DescViewLimit = 32000;
inline constexpr char DescViewTruncated[] =
    "***  Description Assistant: File Too Long - TRUNCATED  ***";
inline constexpr char DescViewReadError[] = "***  Description Assistant: FILE READ ERROR  ***";
// False when the file could not be opened (the text is then the error marker).
bool ReadDescriptionView(const std::string& path, std::string& text);

// The path of a found description file on the medium in drive letter: "D:" + the item's
// folder path + "\" + the entry without its leading ".\".
std::string DescriptionFilePath(TNode* node, char letter, std::string_view entry);

// Stores a description edited by the user on a catalog, disk, folder or file (file: node is
// its container). An empty text removes the description; any other is trimmed line by line
// and cut to 4096 bytes. The disk (a catalog: the catalog) is marked modified and a
// container's HasFileDescriptions follows its files. False when nothing changed.
bool StoreEditedDescription(TNode* node, TFileRec* file, std::string_view text);
// Descriptions are not changed while a search runs: its thread may be reading the text that a
// change would free (StoreEditedDescription then changes nothing). True, after the refusal
// "Can't Update Data", when the node's tree is searching.
bool RefuseEditWhileSearching(TNode* node, TUserPrompts& prompts);

// Lines of a text file: CR LF, LF and a lone CR end a line; the last line may lack one.
std::vector<std::string> SplitLines(std::string_view text);
// At most limit bytes of a file; false when it cannot be opened or read.
bool ReadFileHead(const std::string& path, std::size_t limit, std::string& out);
// At most limit bytes of the entry name of the folder open as dirFd; only a plain file is
// read: a symbolic link is not followed, and a device, pipe or socket is not opened for
// reading (false).
bool ReadFileHeadAt(int dirFd, const std::string& name, std::size_t limit, std::string& out);

}  // namespace tf
