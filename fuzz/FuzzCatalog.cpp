// Feeds arbitrary bytes to the catalog reader: open, read every level and list, then save the
// catalog with every disk written anew and read the result back. A catalog that could be
// read completely must save to a file that reads completely.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/LoadSave.h"

using namespace tf;

static std::string TempFolder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzzcatXXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return folder;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int fd = memfd_create("catalog", 0);
  if (fd < 0) return 0;
  if (size > 0 && write(fd, data, size) != ssize_t(size)) {
    close(fd);
    return 0;
  }
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  TCatalogTree tree;
  bool complete = false;
  try {
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    LoadAll(cat);
    complete = true;
    for (int i = 0; i < cat->ChildCount(); ++i) SetDiskChanged(cat->Child(i), true);
    std::string out = TempFolder() + "/out.ctf";
    WriteCatalogFile(cat, out, NoProgress());
    TCatalogTree again;
    LoadAll(again.AppendChild(again.Root(), ReadCatalogFile(out)));
  } catch (const EInvalidCatalog&) {
    if (complete) std::abort();  // what we wrote must read back
  } catch (const EStreamError&) {
  }
  close(fd);
  return 0;
}
