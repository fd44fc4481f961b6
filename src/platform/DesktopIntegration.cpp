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

// The program as the first argument of a desktop entry's Exec line. An argument with a
// reserved character is quoted, and inside the quotes ", `, $ and \ take a backslash; then
// the rules of every string value apply on top, so each backslash is written twice.
std::string ExecArgument(const std::string& path) {
  bool quote = path.empty() || path.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
  std::string arg;
  for (char c : path) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) arg += '\\';
    arg += c;
  }
  if (quote) arg = '"' + arg + '"';
  std::string out;
  for (char c : arg) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == '%') out += "%%";
    else out += c;
  }
  return out;
}

// Whether a list file names the type on a line of its own (the MIME database's "types").
bool ListsLine(const std::filesystem::path& p, const std::string& line) {
  std::ifstream in(p);
  for (std::string l; std::getline(in, l);)
    if (l == line) return true;
  return false;
}

// Whether a desktop entry declares the type in its MimeType key.
bool DeclaresMimeType(const std::filesystem::path& p, const std::string& type) {
  std::ifstream in(p);
  for (std::string l; std::getline(in, l);) {
    if (l.rfind("MimeType=", 0) != 0) continue;
    std::istringstream types(l.substr(9));
    for (std::string t; std::getline(types, t, ';');)
      if (t == type) return true;
  }
  return false;
}

std::string DesktopFileName() { return std::string(DesktopAppId) + ".desktop"; }

}  // namespace

std::string CatalogMimePackage() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" + std::string(CatalogMimeType) + "\">\n"
         "    <comment>" + CatalogTypeName + "</comment>\n"
         "    <magic priority=\"60\"><match type=\"string\" offset=\"0\" value=\"Catalog 1.00\"/></magic>\n"
         "    <glob pattern=\"*.ctf\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string DesktopEntry(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tallowfen\n"
         "GenericName=Disk Cataloguer\n"
         "Comment=Catalog your media and browse them offline\n"
         "Keywords=catalog;catalogue;disk;media;archive;CD;floppy;\n"
         "Exec=" + ExecArgument(program) + " %F\n"
         "Icon=" + DesktopAppId + "\n"
         "Terminal=false\n"
         "StartupWMClass=Tallowfen\n"
         "Categories=Utility;Archiving;\n"
         "MimeType=" + CatalogMimeType + ";\n";
}

std::string CatalogIconName() {
  std::string name = CatalogMimeType;
  for (char& c : name)
    if (c == '/') c = '-';
  return name;
}

std::string UserDataHome() {
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') return x;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : ".") + "/.local/share";
}

std::vector<std::string> SystemDataDirs() {
  const char* x = std::getenv("XDG_DATA_DIRS");
  std::string dirs = x && *x ? x : "/usr/local/share/:/usr/share/";
  std::vector<std::string> out;
  std::istringstream in(dirs);
  for (std::string d; std::getline(in, d, ':');)
    if (!d.empty() && d[0] == '/') out.push_back(d);  // relative entries are invalid
  return out;
}

bool SystemProvidesCatalogFileType(const std::vector<std::string>& dataDirs) {
  bool mime = false, desktop = false;
  for (const std::string& dir : dataDirs) {
    std::filesystem::path base(dir);
    mime = mime || ListsLine(base / "mime/types", CatalogMimeType);
    desktop = desktop || DeclaresMimeType(base / "applications" / DesktopFileName(), CatalogMimeType);
  }
  return mime && desktop;
}

bool RegisterCatalogFileType(const std::string& dataHome, const std::string& program,
                             const std::vector<std::string>& systemDataDirs) {
  std::filesystem::path base(dataHome);
  std::filesystem::path mimeDir = base / "mime", appsDir = base / "applications";
  std::filesystem::path mimeFile = mimeDir / "packages" / CatalogMimePackageFile;
  std::filesystem::path desktopFile = appsDir / DesktopFileName();
  bool mimeChanged, desktopChanged;
  if (SystemProvidesCatalogFileType(systemDataDirs)) {
    // Left from a start before the installation: it would hide the installed files.
    std::error_code ec;
    mimeChanged = std::filesystem::remove(mimeFile, ec);
    desktopChanged = std::filesystem::remove(desktopFile, ec);
  } else {
    mimeChanged = WriteIfChanged(mimeFile, CatalogMimePackage());
    desktopChanged = WriteIfChanged(desktopFile, DesktopEntry(program));
  }
  if (mimeChanged) RunQuietly("update-mime-database", mimeDir.string());
  if (desktopChanged) RunQuietly("update-desktop-database", appsDir.string());
  return mimeChanged || desktopChanged;
}

}  // namespace tf
