// tallowfen-cli scan ROOT --catalog FILE.ctf [options]
// tallowfen-cli update FILE.ctf DISKNAME ROOT [options]
//
// Both read the folder or mount point ROOT as a medium and save the catalog. A mount point is
// the volume mounted there; a folder is a medium of its own, with the identity the windows
// give it as a folder drive (MediumLetter). The user's settings are read, never written. On
// success one JSON object is printed on stdout:
//   {"name":"...","files":N,"folders":N,"archiveEntries":N}
// A progress bar goes to stderr when it is a terminal. Ctrl+C (or SIGTERM, SIGHUP) cancels
// the scan and leaves the catalog file untouched; during the save it waits for the save to
// end. Writers of one catalog take turns (TCatalogLock): a second scan or update waits.

#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "settings/ScanOptions.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Prompts.h"
#include "cli/Signals.h"
#include "cli/TerminalProgress.h"
#include "platform/DirEnum.h"
#include "platform/Drives.h"
#include "platform/LinuxDrives.h"
#include "platform/MemorySettings.h"
#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "platform/QtSettingsStore.h"
#include "scan/AddDisk.h"
#include "scan/FolderDrives.h"
#include "scan/Utils.h"
#include "store/CatalogFiles.h"
#include "store/LoadSave.h"

namespace tf::cli {

namespace {

struct TScanArgs {
  std::string Root;
  std::string Catalog;
  std::string DiskName;  // update: the disk to update
  std::string Name;
  std::string Label;
  std::string Serial;
  int Media = 5;
  std::string FileSystem;
  CLI::Option* NameOpt = nullptr;
  CLI::Option* LabelOpt = nullptr;
  CLI::Option* SerialOpt = nullptr;
  CLI::Option* MediaOpt = nullptr;
  CLI::Option* FsOpt = nullptr;
  TScanSettings Settings = ScanSettingsOf(TOptions{});
};

void AddScanOptions(CLI::App* cmd, TScanArgs& a) {
  a.NameOpt = cmd->add_option("--name", a.Name,
                              "Disk name (default: the volume label; an update keeps the old "
                              "name); made unique in the catalog");
  a.LabelOpt = cmd->add_option("--label", a.Label,
                               "Volume label (default: the mounted volume's; a folder's name "
                               "for a folder)");
  a.SerialOpt = cmd->add_option("--serial", a.Serial, "Volume serial number, XXXX-XXXX")
                    ->check(CLI::Validator(
                        [](std::string& text) -> std::string {
                          return ParseSerial(text) ? "" : "not a serial number: " + text;
                        },
                        "XXXX-XXXX"));
  a.MediaOpt = cmd->add_option("--media", a.Media,
                               "Media type code: 0-4, 7, 9 floppies, 5 hard disk, 10 CD-ROM, "
                               "11 network, 12 RAM disk, 13 removable")
                   ->check(CLI::Range(0, 255));
  a.FsOpt = cmd->add_option("--fs", a.FileSystem, "File system name (FAT, FAT32, CDFS, ...)");
  TScanSettings& s = a.Settings;
  // Every switch has both forms; the defaults are those of the program's settings.
  cmd->add_flag("--archives,!--no-archives", s.BrowseArchiveCheck,
                "List the contents of archives as folders (default on)");
  cmd->add_flag("--diz,!--no-diz", s.ImportDizCheck, "Import FILE_ID.DIZ files (default on)");
  cmd->add_flag("--descript-ion,!--no-descript-ion", s.Import4DOSCheck,
                "Import DESCRIPT.ION files (default on)");
  cmd->add_flag("--files-bbs,!--no-files-bbs", s.ImportBBSCheck,
                "Import FILES.BBS files (default on)");
  cmd->add_flag("--comments,!--no-comments", s.ImportCommentCheck,
                "Import archive comments (default on; an archive is still opened for its "
                "comment with --no-archives unless --no-comments is given too)");
  cmd->add_flag("--keep-current,!--no-keep-current", s.KeepCurrentCheck,
                "Keep current descriptions: imports never replace one, an update keeps what "
                "was added by hand (default on)");
  cmd->add_flag("--ignore-hidden-files,!--no-ignore-hidden-files", s.IgnoreFilesCheck,
                "Leave out hidden files (default on)");
  cmd->add_flag("--ignore-hidden-folders,!--no-ignore-hidden-folders", s.IgnoreFoldersCheck,
                "Leave out hidden folders (default on)");
  cmd->add_flag("--ignore-recycle,!--no-ignore-recycle", s.IgnoreRecycleCheck,
                "Leave out the recycle folder (default on)");
}

// The folder drive the user made for folder in the windows, if any (the settings are only
// read here).
std::optional<TFolderDrive> KeptFolderDrive(const std::string& folder) {
  TQtSettingsStore settings;
  for (TFolderDrive& d : LoadFolderDrives(settings)) {
    std::error_code ec;
    if (std::filesystem::canonical(d.Folder, ec).string() == folder && !ec) return d;
  }
  return std::nullopt;
}

// The drive letter of the medium ROOT is, in drives (a table of the mount that holds ROOT,
// at mountPoint). A mount point is the volume mounted there, read as the windows read that
// drive. A folder is a medium of its own, as the windows' folder drives are: the folder drive
// the user made for it, else the one the windows propose (the folder's name as label, a
// serial folded from its device and inode, the kind of medium and the file system of the
// mount that holds it). --label, --serial, --media and --fs override either; such a medium
// is shown through a folder drive of this run only.
char MediumLetter(const TScanArgs& a, const std::string& root, const std::string& mountPoint,
                  TLinuxDrives& drives, TSettingsKey& runFolderDrives) {
  std::string where = CatalogPathOf(drives, mountPoint);
  char mountLetter = where.empty() ? 0 : where[0];
  bool isMount = mountLetter && root == mountPoint;
  bool overridden = a.LabelOpt->count() || a.SerialOpt->count() || a.MediaOpt->count() ||
                    a.FsOpt->count();
  if (isMount && !overridden) return mountLetter;

  TFolderDrive drive;
  if (isMount) {
    TTerminalPrompts prompts;
    TNoMediaPrompt mediaPrompt;
    TMediaDetector detector(drives, prompts, mediaPrompt);
    TVolumeData volume;
    if (drives.VolumeInformation(mountLetter, volume)) {
      drive.Label = volume.Label;
      drive.Serial = volume.Serial;
      drive.FileSystem = volume.FileSystem;
    }
    drive.MediaType = detector.GetMediaType(mountLetter);
  } else if (auto kept = KeptFolderDrive(root)) {
    drive = *kept;
  } else {
    drive = ProposeFolderDrive(drives, root);
  }
  drive.Folder = root;
  if (a.LabelOpt->count()) drive.Label = a.Label;
  if (a.SerialOpt->count()) drive.Serial = ParseSerial(a.Serial).value_or(0);
  if (a.MediaOpt->count()) drive.MediaType = uint8_t(a.Media);
  if (a.FsOpt->count()) drive.FileSystem = a.FileSystem;
  drive.Label = std::string(CutText(drive.Label, 11));
  drive.FileSystem = std::string(CutText(drive.FileSystem, 8));
  // The table holds one mount at most: letters are free.
  drive.Letter = FreeFolderDriveLetters(drives).front();
  SaveFolderDrive(runFolderDrives, drive);
  drives.ReloadFolderDrives();
  return drive.Letter;
}

std::string DiskDifferences(const TDiskRec& medium, const TDiskRec& disk) {
  std::string out;
  auto line = [&](const std::string& what, const std::string& was, const std::string& now) {
    out += "  " + what + ": " + was + " in the catalog, " + now + " on the medium\n";
  };
  if (medium.SerialNumber != disk.SerialNumber)
    line("serial number", FormatSerial(disk.SerialNumber), FormatSerial(medium.SerialNumber));
  if (medium.VolumeLabel != disk.VolumeLabel)
    line("label", "\"" + disk.VolumeLabel + "\"", "\"" + medium.VolumeLabel + "\"");
  if (medium.MediaType != disk.MediaType)
    line("media type", MediaTypeName(disk.MediaType), MediaTypeName(medium.MediaType));
  if (DiskBytes(&medium, 0) != DiskBytes(&disk, 0))
    line("capacity", std::to_string(DiskBytes(&disk, 0)) + " bytes",
         std::to_string(DiskBytes(&medium, 0)) + " bytes");
  return out;
}

// A new catalog file can be made where it is to go: its folder exists. Checked before the
// scan, so that a long scan does not end in a save that cannot work.
std::string CatalogFolderProblem(const std::string& catalog) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(catalog).parent_path();
  if (folder.empty()) return {};
  std::error_code ec;
  fs::file_status st = fs::status(folder, ec);
  if (!fs::exists(st)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(st)) return folder.string() + " is not a folder";
  return {};
}

int RunScan(TScanArgs& a, bool update) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path rootPath = fs::canonical(a.Root, ec);
  if (ec) return Fail(a.Root + ": " + ec.message());
  std::string root = rootPath.string();
  {
    TDirEnum probe(root);
    if (probe.Status() != TDirStatus::Ok)
      return Fail(a.Root + ": " + std::error_code(probe.Errno(), std::generic_category()).message());
  }

  // The lock is held from reading the catalog to saving it, so that a second writer works on
  // what the first one saved.
  TStopSignals stopSignals;
  TCatalogLock lock(a.Catalog);
  TakeCatalogInTurn(lock);

  TCatalogTree tree;
  TNode* catalog = nullptr;
  try {
    if (fs::exists(a.Catalog)) {
      catalog = tree.AppendChild(tree.Root(), ReadCatalogFile(a.Catalog));
    } else if (update) {
      return Fail(a.Catalog + ": no such catalog file");
    } else if (std::string problem = CatalogFolderProblem(a.Catalog); !problem.empty()) {
      return Fail(a.Catalog + ": " + problem);
    } else {
      // Its file: the save then expects no file there, as now.
      auto* rec = new TCatalogRec;
      rec->FileName = a.Catalog;
      auto node = MakeNode("Catalog1", rec);
      node->Bold = true;
      catalog = tree.AppendChild(tree.Root(), std::move(node));
    }
    // A catalog that cannot be saved is refused before the scan, not after it.
    CheckCanSave(a.Catalog);
  } catch (const std::exception& e) {
    return Fail(CatalogErrorText(a.Catalog, ErrorText(e)));
  }

  TNode* old = nullptr;
  if (update) {
    for (int i = 0; i < catalog->ChildCount() && !old; ++i)
      if (catalog->Child(i)->Caption == a.DiskName) old = catalog->Child(i);
    if (!old) return Fail("There is no disk \"" + a.DiskName + "\" in " + a.Catalog);
  }

  TMemorySettings runFolderDrives;
  TLinuxDrivesOptions only;
  only.OnlyMountPoint = DriveMountPointOf(root, ReadMountTable());
  TLinuxDrives drives(&runFolderDrives, only);
  char letter = MediumLetter(a, root, *only.OnlyMountPoint, drives, runFolderDrives);
  TTerminalPrompts prompts;
  TNoMediaPrompt mediaPrompt;
  TMediaDetector detector(drives, prompts, mediaPrompt);

  TDiskRec medium;
  detector.ReadVolumeInfo(letter, medium);
  if (old) {
    std::string differences = DiskDifferences(medium, *static_cast<TDiskRec*>(old->Record));
    if (!differences.empty())
      PrintMessage("The medium does not match the disk \"" + a.DiskName + "\":\n" + differences +
                   "Updating it all the same.");
  }

  TScanJob job;
  job.Drive = letter;
  job.Catalog = catalog;
  job.UpdateDisk = old;
  job.Settings = a.Settings;
  job.DiskName = a.NameOpt->count() ? a.Name : ProposedDiskName(medium, old, a.Settings);

  TTerminalProgress progress;
  TScanResult result = ScanDisk(job, drives, detector, progress);
  if (result.Status != TScanStatus::Done) {
    int status = Fail(result.Message);
    if (int sig = TStopSignals::Received()) {
      lock.Unlock();
      TStopSignals::EndBy(sig);
    }
    return status;
  }

  if (int status = SaveCatalogInTurn(catalog, a.Catalog, progress, lock)) return status;
  progress.End();

  nlohmann::ordered_json j;
  j["name"] = ToDisplay(result.Disk->Caption);
  j["files"] = result.Files;
  j["folders"] = result.Folders;
  j["archiveEntries"] = result.ArchiveEntries;
  std::string line = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  WriteOut(line + '\n');
  if (auto reason = OutputFailure())
    return Fail("The disk \"" + ToDisplay(result.Disk->Caption) + "\" was saved in " + a.Catalog +
                ", but the summary could not be written: " + *reason);
  return ExitOk;
}

}  // namespace

void AddScanCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("scan", "Catalog a folder or mount point as a new disk");
  auto a = std::make_shared<TScanArgs>();
  cmd->add_option("root", a->Root, "The folder or mount point to read")->required();
  cmd->add_option("--catalog", a->Catalog,
                  "Catalog file (.ctf); created with the name Catalog1 when missing")
      ->required();
  AddScanOptions(cmd, *a);
  cmd->callback([&action, a] { action = [a] { return RunScan(*a, false); }; });
}

void AddUpdateCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand(
      "update", "Read a disk of a catalog again from a folder or mount point; descriptions "
                "and categories of unchanged items are kept");
  auto a = std::make_shared<TScanArgs>();
  cmd->add_option("catalog", a->Catalog, "Catalog file (.ctf)")->required();
  cmd->add_option("disk", a->DiskName, "Name of the disk to update")->required();
  cmd->add_option("root", a->Root, "The folder or mount point to read")->required();
  AddScanOptions(cmd, *a);
  cmd->callback([&action, a] { action = [a] { return RunScan(*a, true); }; });
}

}  // namespace tf::cli
