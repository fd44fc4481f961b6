// tallowfen-cli list-archive FILE: the directory of one archive as the lister reports it.
//   format<TAB>CODE
//   name<TAB>size<TAB>compressed<TAB>crc<TAB>date-time<TAB>attribute<TAB>method   (per entry)
//   comment<TAB>text                                      (when there is an archive comment)
// A failure prints its text on stderr after the entries read before it, and exits 2.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
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

std::string EscapeLineBreaks(const std::string& s) {
  std::string out;
  for (char ch : s) {
    if (ch == '\r') out += "\\r";
    else if (ch == '\n') out += "\\n";
    else out += ch;
  }
  return out;
}

int ListArchive(const std::string& path) {
  TZipTV lister;
  lister.SetArchiveFile(path);
  std::cout << "format\t" << lister.Format() << '\n';
  lister.OnRead = [](TZipTV& z) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%u\t%u\t%08x\t", unsigned(z.UnpackedSize),
                  unsigned(z.PackedSize), unsigned(z.Crc));
    char tail[32];
    std::snprintf(tail, sizeof tail, "\t%02x\t%d", unsigned(z.AttributeByte()), z.Method);
    std::cout << z.FileName << '\t' << numbers << FormatDosDateTime(z.DateTime) << tail << '\n';
  };
  int status = ExitOk;
  try {
    lister.Activate();
  } catch (const EZipTVError& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    status = ExitFailed;
  }
  if (status == ExitOk && !lister.ArchiveComment.empty())
    std::cout << "comment\t" << EscapeLineBreaks(lister.ArchiveComment) << '\n';
  std::cout.flush();
  return status;
}

}  // namespace

void AddListArchiveCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("list-archive", "List the entries of an archive file");
  auto path = std::make_shared<std::string>();
  cmd->add_option("file", *path, "Archive file")->required();
  cmd->callback([&action, path] { action = [path] { return ListArchive(*path); }; });
}

}  // namespace tf::cli
