// The search engine on a synthetic catalog of 100 disks x 10,000 files (made on first use in
// $TF_BENCH_DIR, default /tmp/tallowfen-bench; $TF_SEARCH_CATALOG names another one), opened
// afresh for every run so that no file list is loaded:
//   part of the name, the same ignoring case, masks, the straightforward walk that reads every
//   list into records, the duplicates scan by name and size, and how long the first result
//   takes to show. Counters: items found, heap in use after the run.
//
// The text searched for is "es1" (Games1.., Images1..: about 1 % of the names); set
// $TF_SEARCH_TEXT for another.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>

#include "CatalogGen.h"
#include "search/Search.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

const std::string& CatalogPath() {
  static std::string path = [] {
    if (const char* p = std::getenv("TF_SEARCH_CATALOG")) return std::string(p);
    return bench::SyntheticCatalogFile(100, 10000);
  }();
  return path;
}

std::string SearchText() {
  const char* t = std::getenv("TF_SEARCH_TEXT");
  return t ? t : "es1";
}

size_t HeapInUse() { return mallinfo2().uordblks; }

struct TRun {
  TCatalogTree tree;
  TResultList results{TListKind::Search};
  TResultList dups{TListKind::Duplicates};
  TSearchHost host;
  TDirectMainThread main;
  TSearchEngine engine{results, dups, host, main};
  TRun() {
    tree.SetList(TListKind::Search, &results);
    tree.SetList(TListKind::Duplicates, &dups);
    tree.AppendChild(tree.Root(), ReadCatalogFile(CatalogPath()));
  }
  ~TRun() {
    tree.SetList(TListKind::Search, nullptr);
    tree.SetList(TListKind::Duplicates, nullptr);
  }
};

void Search(benchmark::State& state, TSearchControls controls, bool inPlace) {
  TSearchCriteria criteria = BuildCriteria(controls);
  TSearchOptions options;
  options.ReadListsInPlace = inPlace;
  int found = 0;
  size_t heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto run = std::make_unique<TRun>();
    size_t before = HeapInUse();
    state.ResumeTiming();
    run->engine.RunSearch(criteria, CollectScope(run->tree, criteria.SearchFor), options);
    state.PauseTiming();
    found = run->results.Count();
    heap = HeapInUse() - before;
    run.reset();
    state.ResumeTiming();
  }
  state.counters["found"] = found;
  state.counters["heap_MiB"] = double(heap) / (1 << 20);
}

TSearchControls NamePart(bool caseSensitive) {
  TSearchControls k;
  k.ByNameCheck = true;
  k.NameCombo = TNameMode::Part;
  k.NameEdit = SearchText();
  k.FileCaseCheck = caseSensitive;
  return k;
}

TSearchControls Mask(const char* mask) {
  TSearchControls k;
  k.ByNameCheck = true;
  k.NameCombo = TNameMode::Mask;
  k.NameEdit = mask;
  return k;
}

void BM_NamePart(benchmark::State& s) { Search(s, NamePart(true), true); }
void BM_NamePartIgnoringCase(benchmark::State& s) { Search(s, NamePart(false), true); }
void BM_MaskJpg(benchmark::State& s) { Search(s, Mask("*.jp?"), true); }
void BM_MaskWav(benchmark::State& s) { Search(s, Mask("*.wa?"), true); }
void BM_NamePartReadingEveryList(benchmark::State& s) { Search(s, NamePart(true), false); }
BENCHMARK(BM_NamePart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NamePartIgnoringCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskJpg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NamePartReadingEveryList)->Unit(benchmark::kMillisecond);

void BM_DuplicatesByNameAndSize(benchmark::State& state) {
  int found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto run = std::make_unique<TRun>();
    state.ResumeTiming();
    run->engine.RunDuplicates({}, TSearchFor::FilesAndFolders,
                              CollectScope(run->tree, TSearchFor::FilesAndFolders));
    state.PauseTiming();
    found = run->dups.Count();
    run.reset();
    state.ResumeTiming();
  }
  state.counters["found"] = found;
}
BENCHMARK(BM_DuplicatesByNameAndSize)->Unit(benchmark::kMillisecond);

// From the start of a run to the first status display that shows a result: what a window
// needs before it can show the first row (its own thread switches not counted).
class TFirstResult final : public TSearchHost {
 public:
  std::chrono::steady_clock::time_point Start, First;
  bool Seen = false;
  TSearchEngine* Engine = nullptr;
  void ShowStatus(const TSearchStatus& s) override {
    if (!Seen && s.Found > 0) {
      Seen = true;
      First = std::chrono::steady_clock::now();
      Engine->Cancel();  // what is measured has happened
    }
  }
};

void BM_FirstResultShown(benchmark::State& state) {
  TSearchControls controls = NamePart(true);
  TSearchCriteria criteria = BuildCriteria(controls);
  for (auto _ : state) {
    state.PauseTiming();
    TCatalogTree tree;
    TResultList results(TListKind::Search), dups(TListKind::Duplicates);
    tree.AppendChild(tree.Root(), ReadCatalogFile(CatalogPath()));
    TFirstResult host;
    TDirectMainThread main;
    TSearchEngine engine(results, dups, host, main);
    host.Engine = &engine;
    state.ResumeTiming();
    host.Start = std::chrono::steady_clock::now();
    engine.RunSearch(criteria, CollectScope(tree, criteria.SearchFor));
    state.PauseTiming();
    state.SetIterationTime(
        std::chrono::duration<double>((host.Seen ? host.First : std::chrono::steady_clock::now()) -
                                      host.Start)
            .count());
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstResultShown)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
