// Feeds arbitrary bytes to the archive lister as a file. Every further volume a walker asks
// for gets the same bytes, so that volume chains (ARJ, CAB) are followed too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "scan/ZipTV.h"

namespace {

class TMemorySource final : public tf::TByteSource {
 public:
  explicit TMemorySource(const std::string& bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(uint64_t pos, void* buf, std::size_t n) override {
    if (pos >= bytes_.size()) return 0;
    n = std::min<std::size_t>(n, bytes_.size() - std::size_t(pos));
    std::memcpy(buf, bytes_.data() + pos, n);
    return n;
  }

 private:
  const std::string& bytes_;
};

class TMemoryLister final : public tf::TZipTV {
 public:
  explicit TMemoryLister(std::string bytes) : bytes_(std::move(bytes)) {}

 protected:
  std::unique_ptr<tf::TByteSource> OpenFile(const std::string&, int& error) override {
    error = 0;
    return std::make_unique<TMemorySource>(bytes_);
  }

 private:
  std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TMemoryLister lister(std::string(reinterpret_cast<const char*>(data), size));
  lister.Clock = [] { return std::time_t(1000000000); };
  lister.SetArchiveFile("fuzz/archive.arj");
  std::size_t total = 0;
  lister.OnRead = [&total](tf::TZipTV& z) { total += z.FileName.size() + z.FileComment.size(); };
  try {
    lister.Activate();
  } catch (const tf::EZipTVError&) {
  }
  return total == SIZE_MAX;
}
