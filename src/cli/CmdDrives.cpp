// tallowfen-cli drives: one JSON object per line for each drive letter, the user's folder
// drives included, with the media type and the volume data a scan would record for it. A
// drive that is not ready (an empty optical drive) is listed with null volume data.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "platform/Drives.h"
#include "platform/LinuxDrives.h"
#include "platform/QtSettingsStore.h"
#include "platform/ScriptedPrompts.h"
#include "scan/Utils.h"
#include "store/Records.h"
#include "text/Text.h"

namespace tf::cli {

namespace {

int ListDrives() {
  TQtSettingsStore settings;  // for the user's folder drives; only read
  TLinuxDrives drives(&settings);
  TScriptedPrompts prompts;  // nothing is asked: every question here is without prompting
  TNoMediaPrompt mediaPrompt;
  TMediaDetector detector(drives, prompts, mediaPrompt);
  uint32_t mask = drives.LogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!(mask & (1u << (letter - 'A')))) continue;
    nlohmann::ordered_json j;
    uint8_t media = detector.GetMediaType(letter);
    bool ready = detector.IsDriveReady(letter, false);
    j["letter"] = std::string(1, letter);
    j["root"] = ToDisplay(drives.RootPath(letter));
    j["mediaType"] = media;
    j["mediaTypeName"] = MediaTypeName(media);
    if (ready) {
      TDiskRec disk;
      detector.ReadVolumeInfo(letter, disk);
      j["label"] = ToDisplay(disk.VolumeLabel);
      j["fileSystem"] = ToDisplay(disk.FileSystem);
      j["serial"] = FormatSerial(disk.SerialNumber);
      j["caseInsensitive"] = drives.CaseInsensitive(letter);
      j["totalBytes"] = DiskBytes(&disk, 0);
      j["freeBytes"] = DiskBytes(&disk, 1);
    } else {
      j["label"] = nullptr;
      j["fileSystem"] = nullptr;
      j["serial"] = nullptr;
      j["caseInsensitive"] = false;
      j["totalBytes"] = 0;
      j["freeBytes"] = 0;
    }
    j["ready"] = ready;
    std::string line = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (!WriteOut(line + '\n')) break;
  }
  return ExitOk;  // main reports a failed write
}

}  // namespace

void AddDrivesCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("drives", "List the drives with their media type and volume data");
  cmd->callback([&action] { action = [] { return ListDrives(); }; });
}

}  // namespace tf::cli
