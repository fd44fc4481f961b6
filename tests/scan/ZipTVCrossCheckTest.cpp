// Every real-archiver fixture that 7z can list is listed by both, and the names, sizes, CRCs
// and times must agree. Skipped when 7z is not installed.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "scan/ArchiveBuilders.h"
#include "scan/ZipTV.h"

namespace tf::test {
namespace {

struct TSevenZipEntry {
  std::map<std::string, std::string> Fields;
  std::string Get(const std::string& key) const {
    auto it = Fields.find(key);
    return it == Fields.end() ? std::string() : it->second;
  }
};

// The entries of `7z l -slt`, or false when 7z cannot open the file.
bool SevenZipList(const std::string& path, std::vector<TSevenZipEntry>& entries) {
  std::string command = "7z l -slt -- '" + path + "' 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return false;
  std::string out;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  if (::pclose(pipe) != 0) return false;
  std::istringstream in(out);
  std::string line;
  bool inEntries = false;
  while (std::getline(in, line)) {
    if (line == "----------") {
      inEntries = true;
      continue;
    }
    if (!inEntries) continue;
    std::size_t eq = line.find(" = ");
    if (eq == std::string::npos) {
      std::size_t bare = line.find(" =");
      if (bare == std::string::npos || bare + 2 != line.size()) continue;
      eq = bare;
    }
    std::string key = line.substr(0, eq);
    std::string value = eq + 3 <= line.size() ? line.substr(eq + 3) : std::string();
    if (key == "Path") entries.emplace_back();
    if (!entries.empty()) entries.back().Fields[key] = value;
  }
  return true;
}

TEST(CrossCheck, RealArchiversAgainstSevenZip) {
  if (std::system("command -v 7z > /dev/null 2>&1") != 0) GTEST_SKIP() << "7z is not installed";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  int compared = 0;
  for (const auto& file :
       std::filesystem::directory_iterator(std::string(TF_TEST_DATA_DIR) + "/archives")) {
    std::string name = file.path().filename().string();
    // Volumes: 7z lists one volume's pieces, the lister the whole set.
    if (name.ends_with(".sh") || name.starts_with("vol.")) continue;
    std::vector<TSevenZipEntry> seven;
    if (!SevenZipList(file.path().string(), seven)) continue;  // a format 7z does not list
    TListing ours = List(file.path().string());
    SCOPED_TRACE(name);
    EXPECT_EQ(ours.Error, 0);
    ASSERT_EQ(ours.Entries.size(), seven.size());
    bool arj = ours.Format == FormatArj || ours.Format == FormatArjSfx;
    for (std::size_t i = 0; i < seven.size(); ++i) {
      const TListed& e = ours.Entries[i];
      const TSevenZipEntry& s = seven[i];
      std::string theirName = s.Get("Path");
      for (char& ch : theirName)
        if (ch == '/') ch = '\\';
      std::string ourName = e.Name;
      if (!ourName.empty() && ourName.back() == '\\') ourName.pop_back();
      EXPECT_EQ(ourName, theirName);
      EXPECT_EQ(std::to_string(e.Size), s.Get("Size")) << ourName;
      if (!s.Get("Packed Size").empty() && ours.Format != FormatCab) {
        EXPECT_EQ(std::to_string(e.Packed), s.Get("Packed Size")) << ourName;
      }
      // LHA and CAB entries report no CRC.
      if (e.Crc != 0) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08X", unsigned(e.Crc));
        EXPECT_EQ(crc, s.Get("CRC")) << ourName;
      }
      // 7z reads the Unix times of ARJ made on Unix as DOS stamps; arj itself and the
      // lister read them as the files' real times, which the other formats confirm.
      if (!arj) {
        EXPECT_EQ(DosText(e.DateTime), s.Get("Modified").substr(0, 19)) << ourName;
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 10);
}

}  // namespace
}  // namespace tf::test
