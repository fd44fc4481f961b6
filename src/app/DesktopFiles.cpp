// tallowfen-desktop-files SHARE SIZE...: writes what an installation gives the desktop, in
// the layout of share/: the desktop entry, the catalog file type, and the program and catalog
// file icons in the hicolor theme at each SIZE. Run by the build; the texts are those the
// program registers per user, and the icons those it draws for its windows.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>
#include <QString>

#include "app/Artwork.h"
#include "platform/DesktopIntegration.h"

namespace fs = std::filesystem;
using namespace tf;

namespace {

bool WriteText(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return bool(out);
}

bool WritePng(const fs::path& p, const QImage& image) {
  fs::create_directories(p.parent_path());
  return image.save(QString::fromStdString(p.string()), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SHARE SIZE...\n", argv[0]);
    return 1;
  }
  const fs::path share = argv[1];
  bool ok = WriteText(share / "applications" / (std::string(DesktopAppId) + ".desktop"),
                      DesktopEntry("tallowfen"));
  ok = WriteText(share / "mime/packages" / CatalogMimePackageFile, CatalogMimePackage()) && ok;
  for (int i = 2; i < argc; ++i) {
    int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
      return 1;
    }
    const fs::path theme = share / "icons/hicolor" / (std::to_string(size) + "x" + std::to_string(size));
    ok = WritePng(theme / "apps" / (std::string(DesktopAppId) + ".png"), DrawProgramIcon(size)) && ok;
    ok = WritePng(theme / "mimetypes" / (CatalogIconName() + ".png"), DrawCatalogFileIcon(size)) && ok;
  }
  if (!ok) std::fprintf(stderr, "%s: could not write every file under %s\n", argv[0], argv[1]);
  return ok ? 0 : 1;
}
