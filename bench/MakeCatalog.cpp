// tallowfen-make-catalog OUT.ctf [DISKS [FILES_PER_DISK [SEED]]] [--listing FILE]: writes a
// synthetic catalog, and with --listing a text listing of its files (name, size, folder).

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CatalogGen.h"
#include "store/LoadSave.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  std::string listing;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--listing" && i + 1 < argc)
      listing = argv[++i];
    else
      args.push_back(a);
  }
  if (args.empty()) {
    std::fprintf(stderr, "usage: %s OUT.ctf [DISKS [FILES_PER_DISK [SEED]]] [--listing FILE]\n",
                 argv[0]);
    return 1;
  }
  tf::bench::TGenOptions opt;
  if (args.size() > 1) opt.Disks = std::atoi(args[1].c_str());
  if (args.size() > 2) opt.FilesPerDisk = std::atoi(args[2].c_str());
  if (args.size() > 3) opt.Seed = uint32_t(std::atoi(args[3].c_str()));
  tf::TCatalogTree tree;
  tf::TNode* cat = tf::bench::BuildSyntheticCatalog(tree, "Synthetic", opt);
  try {
    tf::WriteCatalogFile(cat, args[0], tf::NoProgress());
    if (!listing.empty()) tf::bench::WriteListing(cat, listing);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  return 0;
}
