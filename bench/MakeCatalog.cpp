// tallowfen-make-catalog OUT.ctf [DISKS [FILES_PER_DISK [SEED]]]: writes a synthetic catalog.

#include <cstdio>
#include <cstdlib>

#include "CatalogGen.h"
#include "store/LoadSave.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.ctf [DISKS [FILES_PER_DISK [SEED]]]\n", argv[0]);
    return 1;
  }
  tf::bench::TGenOptions opt;
  if (argc > 2) opt.Disks = std::atoi(argv[2]);
  if (argc > 3) opt.FilesPerDisk = std::atoi(argv[3]);
  if (argc > 4) opt.Seed = uint32_t(std::atoi(argv[4]));
  tf::TCatalogTree tree;
  tf::TNode* cat = tf::bench::BuildSyntheticCatalog(tree, "Synthetic", opt);
  try {
    tf::WriteCatalogFile(cat, argv[1], tf::NoProgress());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  return 0;
}
