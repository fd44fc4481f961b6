// tallowfen-cli list-archive FILE: the directory of one archive as the lister reports it.
//   format<TAB>CODE
//   name<TAB>size<TAB>compressed<TAB>crc<TAB>date-time<TAB>attribute<TAB>method   (per entry)
//   comment<TAB>text                                      (when there is an archive comment)
// Names and the comment have their control characters escaped (\r, \n, \t, \xHH). A failure
// prints its text on stderr after the entries read before it, and exits 2; a path that is no
// regular file is refused before anything is read.

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "scan/ZipTV.h"

namespace tf::cli {

namespace {

std::string FormatDosDateTime(uint32_t stamp) {
  if (stamp == 0) return "-";
  unsigned date = stamp >> 16, time = stamp & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
                (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return text;
}

// Control characters as escapes, so that every entry stays one line of tab-separated fields:
// CR, LF and TAB as \r, \n and \t, the others as \xHH. ("\" itself stays: it separates the
// folders of an entry's name.)
std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(c));
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}

// Only a regular file is read: a pipe would block, a folder or device is no archive.
std::string NotReadableReason(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return errno == ELOOP ? "not a regular file" : std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  return {};
}

int ListArchive(const std::string& path) {
  if (std::string reason = NotReadableReason(path); !reason.empty()) {
    PrintMessage(path + ": " + reason);
    return ExitFailed;
  }
  TZipTV lister;
  lister.SetArchiveFile(path);
  WriteOut("format\t" + std::to_string(lister.Format()) + "\n");
  lister.OnRead = [](TZipTV& z) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "\t%u\t%u\t%08x\t", unsigned(z.UnpackedSize),
                  unsigned(z.PackedSize), unsigned(z.Crc));
    char tail[32];
    std::snprintf(tail, sizeof tail, "\t%02x\t%d\n", unsigned(z.AttributeByte()), z.Method);
    WriteOut(Escaped(z.FileName) + numbers + FormatDosDateTime(z.DateTime) + tail);
  };
  try {
    lister.Activate();
  } catch (const EZipTVError& e) {
    std::fflush(stdout);  // the entries read before the failure come first
    PrintMessage(e.what());
    return ExitFailed;
  }
  if (!lister.ArchiveComment.empty())
    WriteOut("comment\t" + Escaped(lister.ArchiveComment) + "\n");
  return ExitOk;  // main reports a failed write
}

}  // namespace

void AddListArchiveCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("list-archive", "List the entries of an archive file");
  auto path = std::make_shared<std::string>();
  cmd->add_option("file", *path, "Archive file")->required();
  cmd->callback([&action, path] { action = [path] { return ListArchive(*path); }; });
}

}  // namespace tf::cli
