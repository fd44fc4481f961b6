#include "platform/DesktopIntegration.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tf {

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes the file when its content differs; true when written.
bool WriteIfChanged(const std::filesystem::path& p, const std::string& content) {
  std::error_code ec;
  if (std::filesystem::exists(p, ec) && ReadAll(p) == content) return false;
  std::filesystem::create_directories(p.parent_path(), ec);
  std::filesystem::path temp = p;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) return false;
  }
  std::filesystem::rename(temp, p, ec);
  return !ec;
}

// Runs a desktop cache tool if it is installed; its outcome does not matter.
void RunQuietly(const char* tool, const std::string& argument) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::execlp(tool, tool, argument.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid > 0) ::waitpid(pid, nullptr, 0);
}

// A path as one argument of a desktop entry's Exec line.
std::string ExecQuoted(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string UserDataHome() {
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return x;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : ".") + "/.local/share";
}

bool RegisterCatalogFileType(const std::string& dataHome, const std::string& program) {
  std::filesystem::path base(dataHome);
  std::string mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" + std::string(CatalogMimeType) + "\">\n"
      "    <comment>" + CatalogTypeName + "</comment>\n"
      "    <magic priority=\"60\"><match type=\"string\" offset=\"0\" value=\"Catalog 1.00\"/></magic>\n"
      "    <glob pattern=\"*.ctf\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  std::string desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Tallowfen\n"
      "GenericName=Disk Cataloguer\n"
      "Comment=Catalog your media and browse them offline\n"
      "Exec=" + ExecQuoted(program) + " %F\n"
      "Icon=tallowfen\n"
      "Terminal=false\n"
      "Categories=Utility;Archiving;\n"
      "MimeType=" + CatalogMimeType + ";\n";
  bool mimeWritten = WriteIfChanged(base / "mime/packages/tallowfen-catalog.xml", mime);
  bool desktopWritten = WriteIfChanged(base / "applications/tallowfen.desktop", desktop);
  if (mimeWritten) RunQuietly("update-mime-database", (base / "mime").string());
  if (desktopWritten) RunQuietly("update-desktop-database", (base / "applications").string());
  return mimeWritten || desktopWritten;
}

}  // namespace tf
