#pragma once
// The test backend of TDrives: a whole drive table with fixed volume data, readiness that a
// test switches, and a host folder per letter, so that scanning, locating and updating are
// the same on every machine. Counts the device queries, so that a test can see the media-type
// cache at work.

#include <array>
#include <string>

#include "platform/Drives.h"

namespace tf {

struct TTestDrive {
  TDriveType Type = TDriveType::Fixed;
  uint8_t DeviceType = DeviceTypeUnknown;
  bool Ready = true;
  // While above 0, the drive answers "not ready" and counts down by one per readiness or
  // free-space question (a medium that is being inserted).
  int NotReadyFor = 0;
  bool HasVolume = true;  // VolumeInformation succeeds (when ready)
  TVolumeData Volume;
  bool HasGeometry = true;  // DiskFreeSpace succeeds (when ready)
  TDiskGeometry Geometry{8, 512, 100, 1000};
  bool HasBytes = true;  // DiskFreeSpaceEx succeeds (when ready)
  TFreeBytes Bytes{4096000, 409600, 409600};
  bool CaseInsensitive = true;
  std::string Root;  // host folder of "X:\"
  bool PartOfVolume = false;  // a folder drive: ShowsPartOfVolume
};

class TTestDrives final : public TDrives {
 public:
  // Adds (or replaces) a drive and returns it for further setting.
  TTestDrive& Add(char letter, TDriveType type = TDriveType::Fixed);
  void Remove(char letter);
  // Null when there is no such drive.
  TTestDrive* Find(char letter);
  void SetReady(char letter, bool ready);

  bool ByteCounts = false;  // what PrefersByteCounts answers
  std::array<int, 27> DeviceQueries{};  // per drive number 1..26

  uint32_t LogicalDrives() override;
  TDriveType DriveType(char letter) override;
  bool VolumeInformation(char letter, TVolumeData& volume) override;
  bool DiskFreeSpace(char letter, TDiskGeometry& geometry) override;
  bool DiskFreeSpaceEx(char letter, TFreeBytes& bytes) override;
  bool PrefersByteCounts() const override { return ByteCounts; }
  uint8_t DeviceType(int driveNumber) override;
  bool IsReady(char letter) override;
  bool CaseInsensitive(char letter) override;
  std::string RootPath(char letter) override;
  bool ShowsPartOfVolume(char letter) override;

 private:
  bool ReadyNow(char letter);
  std::array<bool, 26> present_{};
  std::array<TTestDrive, 26> drives_{};
};

}  // namespace tf
