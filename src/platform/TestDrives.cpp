#include "platform/TestDrives.h"

namespace tf {

namespace {
int IndexOf(char letter) {
  char c = NormalDriveLetter(letter);
  return c ? c - 'A' : -1;
}
}  // namespace

TTestDrive& TTestDrives::Add(char letter, TDriveType type) {
  int i = IndexOf(letter);
  if (i < 0) i = 25;  // a test's own mistake; keep it in range
  present_[std::size_t(i)] = true;
  drives_[std::size_t(i)] = TTestDrive{};
  drives_[std::size_t(i)].Type = type;
  return drives_[std::size_t(i)];
}

void TTestDrives::Remove(char letter) {
  int i = IndexOf(letter);
  if (i >= 0) present_[std::size_t(i)] = false;
}

TTestDrive* TTestDrives::Find(char letter) {
  int i = IndexOf(letter);
  return i >= 0 && present_[std::size_t(i)] ? &drives_[std::size_t(i)] : nullptr;
}

void TTestDrives::SetReady(char letter, bool ready) {
  if (TTestDrive* d = Find(letter)) d->Ready = ready;
}

bool TTestDrives::ReadyNow(char letter) {
  TTestDrive* d = Find(letter);
  if (!d || !d->Ready) return false;
  if (d->NotReadyFor > 0) {
    --d->NotReadyFor;
    return false;
  }
  return true;
}

uint32_t TTestDrives::LogicalDrives() {
  uint32_t mask = 0;
  for (std::size_t i = 0; i < 26; ++i)
    if (present_[i]) mask |= 1u << i;
  return mask;
}

TDriveType TTestDrives::DriveType(char letter) {
  TTestDrive* d = Find(letter);
  return d ? d->Type : TDriveType::NoRootDir;
}

bool TTestDrives::VolumeInformation(char letter, TVolumeData& volume) {
  TTestDrive* d = Find(letter);
  if (!d || !d->Ready || d->NotReadyFor > 0 || !d->HasVolume) return false;
  volume = d->Volume;
  return true;
}

bool TTestDrives::DiskFreeSpace(char letter, TDiskGeometry& geometry) {
  if (!ReadyNow(letter)) return false;
  TTestDrive* d = Find(letter);
  if (!d->HasGeometry) return false;
  geometry = d->Geometry;
  return true;
}

bool TTestDrives::DiskFreeSpaceEx(char letter, TFreeBytes& bytes) {
  TTestDrive* d = Find(letter);
  if (!d || !d->Ready || d->NotReadyFor > 0 || !d->HasBytes) return false;
  bytes = d->Bytes;
  return true;
}

uint8_t TTestDrives::DeviceType(int driveNumber) {
  if (driveNumber < 1 || driveNumber > 26) return DeviceTypeUnknown;
  ++DeviceQueries[std::size_t(driveNumber)];
  TTestDrive* d = Find(char('A' + driveNumber - 1));
  return d ? d->DeviceType : DeviceTypeUnknown;
}

bool TTestDrives::IsReady(char letter) { return ReadyNow(letter); }

bool TTestDrives::CaseInsensitive(char letter) {
  TTestDrive* d = Find(letter);
  return d && d->CaseInsensitive;
}

std::string TTestDrives::RootPath(char letter) {
  TTestDrive* d = Find(letter);
  return d && d->Ready ? d->Root : std::string();
}

bool TTestDrives::ShowsPartOfVolume(char letter) {
  TTestDrive* d = Find(letter);
  return d && d->PartOfVolume;
}

}  // namespace tf
