// The search window (offscreen), in two parts:
//   - a result list of 100,000 files (the browsing benchmark's folder, made on first use in
//     $TF_BENCH_DIR, default /tmp/tallowfen-bench): showing it, scrolling it from top to
//     bottom a page at a time, sorting it by each column, turning it round;
//   - a search from the window's Find over a synthetic catalog of $TF_WINDOW_DISKS disks of
//     10,000 files (default 1000: ten million files; made on first use, 0.45 GB) for "es1"
//     (about 1 % of the names): the time until the window shows its first rows, and the whole
//     run with the status at the window's pace.

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include "CatalogGen.h"
#include "browse/Main.h"
#include "platform/ScriptedPrompts.h"
#include "search/SearchForm.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

constexpr int FileCount = 100000;

const std::string& ListCatalogPath() {
  static std::string path = bench::BigFolderCatalogFile(FileCount);
  return path;
}

// A main window and the search window over one catalog.
struct TDesk {
  TCatalogTree tree;
  TScriptedPrompts prompts;
  std::unique_ptr<TMainForm> main;
  std::unique_ptr<TSearchForm> form;
  TNode* catalog = nullptr;

  explicit TDesk(const std::string& path) {
    main = std::make_unique<TMainForm>(tree, prompts);
    form = std::make_unique<TSearchForm>(TSearchForm::THost{*main, tree, prompts, {}, {}, {}, {}});
    catalog = main->AddCatalogNode(ReadCatalogFile(path));
    form->resize(1000, 700);
    form->show();
    QCoreApplication::processEvents();
  }
  ~TDesk() {
    form.reset();
    main.reset();
  }
};

// The 100,000 files as search results, shown.
struct TListDesk : TDesk {
  TListDesk() : TDesk(ListCatalogPath()) {
    // A first Find (of nothing) shows the result area.
    form->ByNameCheck->setChecked(true);
    form->NameEdit->setText(QStringLiteral("no such name"));
    form->BtnFindClick();
    while (form->Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    form->resize(1000, 700);
    form->BtnMaximize->trigger();
    QCoreApplication::processEvents();
    TNode* big = catalog->Child(0)->Child(1);
    LoadFiles(big);
    for (TFileRec* f = FirstFile(big->Record); f; f = f->NextFile()) form->Results().Add(f);
    form->Model->Reset();
    form->FoundListColumnClick(0);
    QCoreApplication::processEvents();
  }
};

void BM_ShowList100k(benchmark::State& state) {
  TListDesk d;
  for (auto _ : state) {
    d.form->Model->SetRows(0);
    d.form->Model->Reset();
    d.form->FoundList->viewport()->repaint();
  }
  state.counters["rows"] = d.form->Model->rowCount();
}
BENCHMARK(BM_ShowList100k)->Unit(benchmark::kMillisecond);

// A page down with the list painted: the rows are asked for their texts as they show.
void BM_ScrollPage100k(benchmark::State& state) {
  TListDesk d;
  QScrollBar* bar = d.form->FoundList->verticalScrollBar();
  for (auto _ : state) {
    int next = bar->value() + bar->pageStep();
    bar->setValue(next > bar->maximum() ? 0 : next);
    d.form->FoundList->viewport()->repaint();
  }
  state.counters["pages"] = double(bar->maximum()) / std::max(1, bar->pageStep());
}
BENCHMARK(BM_ScrollPage100k)->Unit(benchmark::kMicrosecond);

// A click on a column header: sorted by that column (another one each time), shown anew.
void BM_SortByColumn100k(benchmark::State& state) {
  TListDesk d;
  int column = int(state.range(0));
  int other = column == 0 ? 2 : 0;
  for (auto _ : state) {
    state.PauseTiming();
    d.form->FoundListColumnClick(other);
    state.ResumeTiming();
    d.form->FoundListColumnClick(column);
    d.form->FoundList->viewport()->repaint();
  }
}
BENCHMARK(BM_SortByColumn100k)->DenseRange(0, FoundColumnCount - 1)->Unit(benchmark::kMillisecond);

void BM_Reverse100k(benchmark::State& state) {
  TListDesk d;
  for (auto _ : state) {
    d.form->FoundListColumnClick(0);
    d.form->FoundList->viewport()->repaint();
  }
}
BENCHMARK(BM_Reverse100k)->Unit(benchmark::kMillisecond);

// ---- a search from the window

const std::string& SearchCatalogPath() {
  static std::string path = [] {
    const char* disks = std::getenv("TF_WINDOW_DISKS");
    return bench::SyntheticCatalogFile(disks ? std::atoi(disks) : 1000, 10000);
  }();
  return path;
}

void StartFind(TDesk& d) {
  TSearchForm& f = *d.form;
  f.ByNameCheck->setChecked(true);
  f.NameCombo->setCurrentIndex(int(TNameMode::Part));
  f.NameEdit->setText(QStringLiteral("es1"));
  f.FileCaseCheck->setChecked(true);
  f.BtnFindClick();
}

// From Find to the first rows on screen, the catalog opened afresh (no list loaded).
void BM_FirstRowsShown(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TDesk d(SearchCatalogPath());
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    StartFind(d);
    while (d.form->Model->rowCount() == 0 && d.form->Running())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    d.form->FoundList->viewport()->repaint();
    auto first = std::chrono::steady_clock::now();
    state.PauseTiming();
    state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    d.form->BtnCancelClick();
    while (d.form->Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstRowsShown)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The whole run at the window's pace (40 ms between status displays; 0 shows every one, as
// every 128 items: some 80,000 round trips to the main thread and as many new row counts for
// ten million files, which takes minutes). Counter: the status displays a run without pace
// would make.
void BM_WholeRun(benchmark::State& state) {
  int found = 0;
  double calls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TDesk d(SearchCatalogPath());
    d.form->StatusIntervalMs = int(state.range(0));
    int64_t items = 0;
    for (const auto& c : CollectScope(d.tree, TSearchFor::FilesAndFolders))
      for (const auto& disk : c.Disks) items += disk.Count;
    calls = double(items) / 128;
    state.ResumeTiming();
    StartFind(d);
    while (d.form->Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    state.PauseTiming();
    found = d.form->Results().Count();
    state.ResumeTiming();
  }
  state.counters["found"] = found;
  state.counters["unpaced_status"] = calls;
}
BENCHMARK(BM_WholeRun)->Arg(40)->Iterations(1)->Unit(benchmark::kMillisecond);

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
