// The report generator on a synthetic catalog of 100 disks x 10,000 files (the store
// benchmark's, made on first use in $TF_BENCH_DIR, default /tmp/tallowfen-bench): a "Full
// Details" report of the whole catalog read from its file, in both layouts.
//
// Counters: MB/s of report written; heap_peak_MiB, the most heap the report used above what
// the open catalog held before it (sampled at every tree node); heap_after_MiB, what stayed
// (the folder levels read). File lists are read and released as the walk goes, so the peak
// stays near one folder's rows however many files the catalog has.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>

#include "CatalogGen.h"
#include "report/Report.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

const std::string& CatalogPath() {
  static const std::string path = bench::SyntheticCatalogFile(100, 10000);
  return path;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// The report pumps events at every node; here it samples the heap instead.
class THeapSampler final : public TProgress {
 public:
  explicit THeapSampler(size_t base) : base_(base) {}
  bool Cancelled() override {
    if ((++calls_ & 63) == 0) peak_ = std::max(peak_, HeapInUse());
    return false;
  }
  double PeakMiB() const { return peak_ > base_ ? double(peak_ - base_) / (1 << 20) : 0; }

 private:
  size_t base_;
  size_t peak_ = 0;
  uint64_t calls_ = 0;
};

void BM_FullDetailsReport(benchmark::State& state) {
  const std::string& path = CatalogPath();
  std::string out = bench::BenchDir() + "/report.txt";
  TReportColumns columns;
  TReportJob job;
  job.Settings.Level = FindDetailLevel("Full Details");
  job.Settings.Layout = state.range(0) ? TReportLayout::Columns : TReportLayout::SimpleList;
  job.Columns = &columns;
  job.Time = TDateTimeParts{2024, 1, 1, 0, 0, 0};
  int64_t bytes = 0;
  double peak = 0, after = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TCatalogTree tree;
    TNode* cat = tree.AppendChild(tree.Root(), ReadCatalogFile(path));
    job.Selected = cat;
    size_t base = HeapInUse();
    THeapSampler sampler(base);
    class TNoPrompts final : public TUserPrompts {
      TAnswer Message(const std::string&, const std::string& text, TButtons, TIcon) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return TAnswer::Ok;
      }
      bool OpenFiles(const TFileDialog&, std::vector<std::string>&) override { return false; }
      bool SaveFile(const TFileDialog&, std::string&) override { return false; }
    } prompts;
    state.ResumeTiming();
    if (!WriteReportFile(job, out, prompts, sampler)) state.SkipWithError("report failed");
    state.PauseTiming();
    bytes += int64_t(std::filesystem::file_size(out));
    peak = sampler.PeakMiB();
    after = double(HeapInUse() - base) / (1 << 20);
    tree.Clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes);
  state.counters["report_MB"] = double(bytes) / double(state.iterations()) / 1e6;
  state.counters["heap_peak_MiB"] = peak;
  state.counters["heap_after_MiB"] = after;
}
BENCHMARK(BM_FullDetailsReport)->ArgName("columns")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
