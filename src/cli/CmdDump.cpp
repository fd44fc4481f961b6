// tallowfen-cli dump CATALOG.ctf: the whole catalog as one JSON document on stdout.
// Each file list is read, printed and dropped again, so that a catalog of millions of files
// is dumped in the memory of its folder tree.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/Commands.h"
#include "cli/Json.h"
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

}  // namespace

void AddDumpCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("dump", "Print a whole catalog as JSON");
  auto path = std::make_shared<std::string>();
  cmd->add_option("catalog", *path, "Catalog file (.ctf)")->required();
  cmd->callback([&action, path] {
    action = [path] {
      TCatalogTree tree;
      try {
        TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(*path));
        // The document goes to a scratch file first: a damaged file list found half-way
        // must not leave half a document on stdout.
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> scratch(std::tmpfile(), &std::fclose);
        if (!scratch) throw EStreamError("Can not create a temporary file");
        TJsonWriter j(scratch.get());
        DumpCatalog(j, cat);
        std::fputc('\n', scratch.get());
        std::rewind(scratch.get());
        char chunk[65536];
        while (std::size_t n = std::fread(chunk, 1, sizeof chunk, scratch.get()))
          std::fwrite(chunk, 1, n, stdout);
        return std::fflush(stdout) == 0 ? ExitOk : ExitFailed;
      } catch (const EInvalidCatalog& e) {
        std::cerr << *path << ": " << e.what() << '\n';
      } catch (const EStreamError& e) {
        std::cerr << *path << ": " << e.what() << '\n';
      }
      return ExitFailed;
    };
  });
}

}  // namespace tf::cli
