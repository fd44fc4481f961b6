// Browsing a folder of 100,000 files (a catalog made on first use in $TF_BENCH_DIR, default
// /tmp/tallowfen-bench):
//   - selecting the folder's tree node until its list is read from the catalog file, filled
//     and sorted: the engine alone, and the main window (offscreen) with its models and views;
//   - sorting the shown list again by another key, likewise.

#include <cstdlib>

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

const std::string& CatalogPath() {
  static std::string path = bench::BigFolderCatalogFile(FileCount);
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
