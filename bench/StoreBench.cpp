// Catalog store benchmarks on a synthetic catalog of 100 disks x 10,000 files (made on first
// use in $TF_BENCH_DIR, default /tmp/tallowfen-bench):
//   eager open, loading every file list, saving unchanged and after changing one disk, and
//   copying the same file with cp for comparison. Memory counters: heap bytes after opening,
//   and heap bytes per loaded file record.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>

#include "CatalogGen.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

const std::string& CatalogPath() {
  static const std::string path = bench::SyntheticCatalogFile(100, 10000);
  return path;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void CountFiles(TNode* node, int64_t& files, int64_t& nameBytes, int64_t& descBytes) {
  if (node->Record && (KindOf(node->Record) == ikDisk || KindOf(node->Record) == ikFolder)) {
    for (TFileRec* f = FirstFile(node->Record); f; f = f->NextFile()) {
      ++files;
      nameBytes += f->NameLen;
      if (f->Description) descBytes += int64_t(f->Description.Size()) + 1;
    }
  }
  for (auto& c : node->Children) CountFiles(c.get(), files, nameBytes, descBytes);
}

void LoadAllFolders(TNode* node) {
  LoadSubfolders(node);
  for (auto& c : node->Children) LoadAllFolders(c.get());
}

void BM_EagerOpen(benchmark::State& state) {
  const std::string& path = CatalogPath();
  size_t heap = 0;
  for (auto _ : state) {
    size_t before = HeapInUse();
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    heap = HeapInUse() - before;
    benchmark::DoNotOptimize(cat);
  }
  state.counters["heap_MiB"] = double(heap) / (1 << 20);
}
BENCHMARK(BM_EagerOpen)->Unit(benchmark::kMillisecond);

void BM_LoadEveryFileList(benchmark::State& state) {
  const std::string& path = CatalogPath();
  int64_t files = 0, names = 0, descs = 0;
  size_t heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    LoadAllFolders(cat);
    size_t before = HeapInUse();
    state.ResumeTiming();
    LoadAll(cat);
    state.PauseTiming();
    heap = HeapInUse() - before;
    files = names = descs = 0;
    CountFiles(cat, files, names, descs);
    tree.Clear();
    state.ResumeTiming();
  }
  state.counters["files"] = double(files);
  // Heap per file record, without its name and description text.
  state.counters["bytes_per_record"] = double(int64_t(heap) - names - descs) / double(files);
  state.counters["avg_name"] = double(names) / double(files);
}
BENCHMARK(BM_LoadEveryFileList)->Unit(benchmark::kMillisecond);

void BM_OpenAndLoadEverything(benchmark::State& state) {
  const std::string& path = CatalogPath();
  for (auto _ : state) {
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    LoadAll(cat);
  }
}
BENCHMARK(BM_OpenAndLoadEverything)->Unit(benchmark::kMillisecond);

void BM_SaveUnchanged(benchmark::State& state) {
  const std::string& path = CatalogPath();
  std::string out = bench::BenchDir() + "/saved.ctf";
  for (auto _ : state) {
    state.PauseTiming();
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    state.ResumeTiming();
    WriteCatalogFile(cat, out, NoProgress());
  }
}
BENCHMARK(BM_SaveUnchanged)->Unit(benchmark::kMillisecond);

void BM_SaveOneDiskChanged(benchmark::State& state) {
  const std::string& path = CatalogPath();
  std::string out = bench::BenchDir() + "/saved1.ctf";
  for (auto _ : state) {
    state.PauseTiming();
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    SetDiskChanged(cat->Child(50), true);
    state.ResumeTiming();
    WriteCatalogFile(cat, out, NoProgress());
  }
}
BENCHMARK(BM_SaveOneDiskChanged)->Unit(benchmark::kMillisecond);

void BM_CopyWithCp(benchmark::State& state) {
  const std::string& path = CatalogPath();
  std::string cmd = "cp '" + path + "' '" + bench::BenchDir() + "/copied.ctf'";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond);

void BM_CopyWithCpAndSync(benchmark::State& state) {
  // The save flushes its file to the disk; this is cp held to the same promise.
  const std::string& path = CatalogPath();
  std::string target = bench::BenchDir() + "/copied.ctf";
  std::string cmd = "cp '" + path + "' '" + target + "' && sync '" + target + "'";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
}
BENCHMARK(BM_CopyWithCpAndSync)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
