// Browsing a folder of 100,000 files (a catalog made on first use in $TF_BENCH_DIR, default
// /tmp/tallowfen-bench):
//   - selecting the folder's tree node until its list is read from the catalog file, filled
//     and sorted: the engine alone, and the main window (offscreen) with its models and views;
//   - sorting the shown list again by another key, likewise.

#include <cstdlib>
#include <filesystem>
#include <random>

#include <QApplication>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include "CatalogGen.h"
#include "browse/ItemList.h"
#include "browse/Main.h"
#include "browse/Sort.h"
#include "platform/ScriptedPrompts.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

constexpr int FileCount = 100000;

// One disk; in its root a folder "Big" with 100,000 files of mixed names, types, sizes and
// dates, and a few neighbours.
const std::string& CatalogPath() {
  static std::string path = [] {
    std::string p = bench::BenchDir() + "/browse-100000.ctf";
    if (std::filesystem::exists(p)) return p;
    TCatalogTree tree;
    auto* catRec = new TCatalogRec;
    TNode* cat = tree.AppendChild(tree.Root(), MakeNode("Browse", catRec));
    auto* disk = new TDiskRec;
    disk->FileSystem = "EXT4";
    TNode* diskNode = tree.AppendChild(cat, MakeNode("Archive disk", disk));
    std::mt19937 rng(42);
    static const char* stems[] = {"IMG_", "DSC", "track ", "Report ", "invoice-", "setup",
                                  "README", "Notes ", "backup_", "Game Level "};
    static const char* exts[] = {".jpg", ".JPG", ".mp3", ".pdf", ".docx", ".txt", ".exe",
                                 ".zip", "", ".tar.gz", ".png", ".wav"};
    for (const char* name : {"Alpha", "Big", "Zulu"}) {
      auto* folder = new TFolderRec;
      TNode* node = tree.AppendChild(diskNode, MakeNode(name, folder));
      if (std::string(name) != "Big") continue;
      TFileRec* last = nullptr;
      int64_t total = 0;
      for (int i = 0; i < FileCount; ++i) {
        std::string file = std::string(stems[rng() % std::size(stems)]) +
                           std::to_string(rng() % 1000000) + exts[rng() % std::size(exts)];
        TFileRec* f = TFileRec::Create(file);
        f->Size = rng() % 50000000;
        f->ModifiedTime = (uint32_t(10 + rng() % 40) << 25) | (uint32_t(1 + rng() % 12) << 21) |
                          (uint32_t(1 + rng() % 28) << 16) | (uint32_t(rng() % 24) << 11) |
                          (uint32_t(rng() % 60) << 5);
        f->Attributes = 0x20;
        f->Node = node;
        if (rng() % 20 == 0) f->Description.Assign("Description of " + file);
        LinkFile(folder, last, f);
        total += f->Size;
      }
      folder->FileCount = FileCount;
      folder->TotalSize = total * SizeScale;
    }
    WriteCatalogFile(cat, p, NoProgress());
    return p;
  }();
  return path;
}

TNode* BigFolder(TNode* cat) { return cat->Child(0)->Child(1); }

void BM_SelectFolderEngine(benchmark::State& state) {
  TCatalogTree tree;
  TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(CatalogPath()));
  TNode* big = BigFolder(cat);
  TItemList list;
  list.SortArchivesAsFiles = false;
  for (auto _ : state) {
    state.PauseTiming();
    list.Load(nullptr, true);
    UnloadFiles(big);  // read from the file again, as on first showing
    state.ResumeTiming();
    LoadSubfolders(big);
    list.Load(big, true);
    list.Sort(true, big);
    benchmark::DoNotOptimize(list.At(0));
  }
  state.counters["rows"] = list.Count();
}
BENCHMARK(BM_SelectFolderEngine)->Unit(benchmark::kMillisecond);

void BM_ResortEngine(benchmark::State& state) {
  TCatalogTree tree;
  TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(CatalogPath()));
  TNode* big = BigFolder(cat);
  TItemList list;
  list.Load(big, true);
  list.Sort(true, big);
  int keys[] = {SortBySize, SortByName, SortByDate, SortByExtension};
  int k = 0;
  for (auto _ : state) {
    list.FileSortKey = keys[k++ % 4];
    list.Sort(true, big);
    benchmark::DoNotOptimize(list.At(0));
  }
}
BENCHMARK(BM_ResortEngine)->Unit(benchmark::kMillisecond);

// The window: selecting the node in the tree, through the models, views and status bar.
void BM_SelectFolderWindow(benchmark::State& state) {
  TCatalogTree tree;
  TScriptedPrompts prompts;
  TMainForm form(tree, prompts);
  form.show();
  QCoreApplication::processEvents();
  TNode* cat = form.AddCatalogNode(ReadCatalogFile(CatalogPath()));
  TNode* big = BigFolder(cat);
  for (auto _ : state) {
    state.PauseTiming();
    form.SelectNode(cat->Child(0));
    UnloadFiles(big);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    form.SelectNode(big);
    form.ActiveListView()->viewport()->repaint();
  }
  state.counters["rows"] = form.Items().Count();
}
BENCHMARK(BM_SelectFolderWindow)->Unit(benchmark::kMillisecond);

void BM_ResortWindow(benchmark::State& state) {
  TCatalogTree tree;
  TScriptedPrompts prompts;
  TMainForm form(tree, prompts);
  form.show();
  TNode* cat = form.AddCatalogNode(ReadCatalogFile(CatalogPath()));
  form.SelectNode(BigFolder(cat));
  QCoreApplication::processEvents();
  int keys[] = {SortBySize, SortByName, SortByDate, SortByExtension};
  int k = 0;
  for (auto _ : state) {
    form.MenuSortClick(keys[k++ % 4]);
    form.ActiveListView()->viewport()->repaint();
  }
}
BENCHMARK(BM_ResortWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
