// Feeds arbitrary databases to the import: the window's check, then the import of the four
// files. An import that succeeds must give a catalog that saves and reads back completely;
// one that fails must fail with EImportError and leave nothing behind (the leak checker).
//
// Input: one byte whose bits 0 to 2 say whether NAME.FIL, NAME.FDS and NAME.CMT exist, then
// NAME.DSK, NAME.FIL and NAME.FDS each as a 16-bit little-endian length and its bytes, then
// NAME.CMT (the rest).

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "scan/Utils.h"
#include "store/ImportFM.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

std::string TempFolder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzzimportXXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return folder;
}

void Put(const std::string& path, std::string_view bytes, bool present) {
  if (!present) {
    unlink(path.c_str());
    return;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string_view Take(std::string_view& in) {
  if (in.size() < 2) {
    std::string_view all = in;
    in = {};
    return all;
  }
  std::size_t n = uint8_t(in[0]) | std::size_t(uint8_t(in[1])) << 8;
  in.remove_prefix(2);
  std::string_view part = in.substr(0, n);
  in.remove_prefix(part.size());
  return part;
}

class TSilentPrompts final : public TUserPrompts {
 public:
  TAnswer Message(const std::string&, const std::string&, TButtons, TIcon) override {
    return TAnswer::Ok;
  }
  bool OpenFiles(const TFileDialog&, std::vector<std::string>&) override { return false; }
  bool SaveFile(const TFileDialog&, std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (in.empty()) return 0;
  uint8_t present = uint8_t(in[0]);
  in.remove_prefix(1);
  std::string base = TempFolder() + "/DB";
  Put(base + ".DSK", Take(in), true);
  Put(base + ".FIL", Take(in), present & 1);
  Put(base + ".FDS", Take(in), present & 2);
  Put(base + ".CMT", in, present & 4);

  CheckDatabase(base + ".DSK");
  TSilentPrompts prompts;
  TCatalogTree tree;
  TNode* catalog = nullptr;
  try {
    catalog = tree.AppendChild(tree.Root(),
                               ImportDatabase(base + ".DSK", prompts, NoProgress(), EstimateDiskGeometry));
  } catch (const EImportError&) {
    return 0;
  }
  std::string out = TempFolder() + "/out.ctf";
  try {
    WriteCatalogFile(catalog, out, NoProgress());
    TCatalogTree again;
    LoadAll(again.AppendChild(again.Root(), ReadCatalogFile(out)));
  } catch (const EInvalidCatalog&) {
    std::abort();  // an imported catalog must save and read back
  }
  return 0;
}
