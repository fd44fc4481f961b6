// tallowfen-cli dump CATALOG.ctf: the whole catalog as one JSON document on stdout.
// Each file list is read, printed and dropped again, so that a catalog of millions of files
// is dumped in the memory of its folder tree.

#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Output.h"
#include "store/LoadSave.h"

namespace tf::cli {

namespace {

void DumpFiles(TJsonWriter& j, TNode* container) {
  LoadFiles(container);
  j.Key("files").BeginArray();
  for (TFileRec* f = FirstFile(container->Record); f; f = f->NextFile()) {
    j.BeginObject();
    j.Key("name").String(f->Name());
    j.Key("attributes").UInt(f->Attributes);
    j.Key("createdTime").UInt(f->CreatedTime);
    j.Key("modifiedTime").UInt(f->ModifiedTime);
    j.Key("accessedTime").UInt(f->AccessedTime);
    j.Key("size").UInt(f->Size);
    j.Key("categoryFlags").UInt(f->CategoryFlags);
    j.Key("description").StringOrNull(f->Description.CStr());
    j.EndObject();
  }
  j.EndArray();
  UnloadFiles(container);
}

void DumpFolders(TJsonWriter& j, TNode* parent) {
  j.Key("folders").BeginArray();
  for (int i = 0; i < parent->ChildCount(); ++i) {
    TNode* node = parent->Child(i);
    auto* f = static_cast<TFolderRec*>(node->Record);
    uint8_t storedKind = uint8_t(f->KindFlags & ~FileBlock);  // before the files are read
    j.BeginObject();
    j.Key("name").String(node->Caption);
    j.Key("kindFlags").UInt(storedKind);
    j.Key("totalSize").Int(f->TotalSize);
    j.Key("attributes").UInt(f->Attributes);
    j.Key("createdTime").UInt(f->CreatedTime);
    j.Key("modifiedTime").UInt(f->ModifiedTime);
    j.Key("accessedTime").UInt(f->AccessedTime);
    j.Key("reserved").UInt(f->Reserved);
    j.Key("categoryFlags").UInt(f->CategoryFlags);
    j.Key("description").StringOrNull(f->Description.CStr());
    DumpFiles(j, node);
    LoadSubfolders(node);
    DumpFolders(j, node);
    j.EndObject();
  }
  j.EndArray();
}

void DumpCatalog(TJsonWriter& j, TNode* catNode) {
  auto* cat = static_cast<TCatalogRec*>(catNode->Record);
  j.BeginObject();
  j.Key("name").String(catNode->Caption);
  j.Key("description").StringOrNull(cat->Description.CStr());
  j.Key("categories").BeginArray();
  for (const auto& c : cat->Categories) {
    j.BeginObject();
    j.Key("name").String(c.Name);
    j.Key("id").Int(c.Id);
    j.EndObject();
  }
  j.EndArray();
  j.Key("flags").BeginArray();
  for (const auto& f : cat->FlagNames) j.StringOrNull(f.CStr());
  j.EndArray();
  j.Key("disks").BeginArray();
  for (int i = 0; i < catNode->ChildCount(); ++i) {
    TNode* node = catNode->Child(i);
    auto* d = static_cast<TDiskRec*>(node->Record);
    uint8_t storedKind = uint8_t(d->KindFlags & ~FileBlock);
    j.BeginObject();
    j.Key("name").String(node->Caption);
    j.Key("kindFlags").UInt(storedKind);
    j.Key("mediaType").UInt(d->MediaType);
    j.Key("scanFlags").UInt(d->ScanFlags);
    j.Key("bytesPerSector").Int(d->BytesPerSector);
    j.Key("sectorsPerCluster").Int(d->SectorsPerCluster);
    j.Key("maxComponentLength").Int(d->MaxComponentLength);
    j.Key("totalFiles").Int(d->TotalFiles);
    j.Key("archiveFiles").Int(d->ArchiveFiles);
    j.Key("totalFolders").UInt(d->TotalFolders);
    j.Key("totalClusters").Int(d->TotalClusters);
    j.Key("freeClusters").Int(d->FreeClusters);
    j.Key("lastUpdate").Double(d->LastUpdate);
    j.Key("serialNumber").UInt(d->SerialNumber);
    j.Key("userByte").UInt(d->UserByte);
    j.Key("volumeLabel").String(d->VolumeLabel);
    j.Key("fileSystem").String(d->FileSystem);
    j.Key("description").StringOrNull(d->Description.CStr());
    DumpFiles(j, node);
    DumpFolders(j, node);
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
}

// An unnamed file in $TMPDIR (or /tmp) for the document; null with errno set when none can
// be made.
std::FILE* StagingFile(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    // A file system without unnamed files: a named one, gone from the folder at once.
    std::string name = folder + "/tallowfen-dump-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
  }
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "w+");
  if (!f) {
    int error = errno;
    ::close(fd);
    errno = error;
  }
  return f;
}

std::string TempFolder() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

int Dump(const std::string& path) {
  TCatalogTree tree;
  std::string folder = TempFolder();
  auto stagingFailed = [&folder](int error) {
    PrintMessage("Can not write the temporary copy of the output in " + folder + ": " +
                 std::strerror(error ? error : EIO));
    return ExitFailed;
  };
  try {
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    // The document goes to a scratch file first: a damaged file list found half-way must not
    // leave half a document on stdout.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> scratch(StagingFile(folder), &std::fclose);
    if (!scratch) return stagingFailed(errno);
    try {
      TJsonWriter j(scratch.get());
      DumpCatalog(j, cat);
      std::fputc('\n', scratch.get());
    } catch (const EWriteFailed& e) {
      return stagingFailed(e.Error);
    }
    errno = 0;
    if (std::fflush(scratch.get()) != 0 || std::ferror(scratch.get())) return stagingFailed(errno);
    std::rewind(scratch.get());
    char chunk[65536];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, scratch.get()))
      if (!WriteOut(std::string_view(chunk, n))) return ExitOk;  // main reports it
    if (std::ferror(scratch.get())) return stagingFailed(errno);
    return ExitOk;
  } catch (const EInvalidCatalog& e) {
    PrintMessage(path + ": " + e.what());
  } catch (const EStreamError& e) {
    PrintMessage(CatalogErrorText(path, e.what()));
  }
  return ExitFailed;
}

}  // namespace

void AddDumpCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("dump", "Print a whole catalog as JSON");
  auto path = std::make_shared<std::string>();
  cmd->add_option("catalog", *path, "Catalog file (.ctf)")->required();
  cmd->callback([&action, path] { action = [path] { return Dump(*path); }; });
}

}  // namespace tf::cli
