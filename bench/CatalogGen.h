#pragma once
// Synthetic catalogs for benchmarks and samples: disks of nested folders (about ten files a
// folder, one to five levels deep), DOS and long names, some descriptions. Deterministic for
// a given seed.

#include <cstdint>
#include <string>

#include "store/Tree.h"

namespace tf::bench {

struct TGenOptions {
  int Disks = 100;
  int FilesPerDisk = 10000;
  uint32_t Seed = 1;
};

// Where benchmark data is made and kept: $TF_BENCH_DIR, default /tmp/tallowfen-bench.
std::string BenchDir();

// Builds a new catalog under the tree's root, as a scan would (every list in memory).
TNode* BuildSyntheticCatalog(TCatalogTree& tree, const std::string& name, const TGenOptions& opt);

// The file of a synthetic catalog in BenchDir(), "catalog-DISKSxFILES.ctf", made on first use
// (seed 1) and kept for later runs.
std::string SyntheticCatalogFile(int disks, int filesPerDisk);
// One disk whose folder "Big" (the second of Alpha, Big, Zulu) holds files files of mixed
// names, types, sizes and dates, a few with descriptions: "browse-FILES.ctf" in BenchDir(),
// made on first use.
std::string BigFolderCatalogFile(int files);

// A text listing of a catalog built in memory, one file a line: name, size and the folder as
// a path ("/Disk 1/GAMES/"), separated by tabs; for comparisons with grep and sort.
void WriteListing(TNode* catalog, const std::string& path);

}  // namespace tf::bench
