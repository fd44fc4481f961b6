#pragma once
// The two settings store backends behind one fixture, so that every behaviour is checked on
// both: in memory, and QSettings on an INI file in a temporary folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/MemorySettings.h"
#include "platform/QtSettingsStore.h"
#include "support/TestSupport.h"

namespace tf::test {

class SettingsBackend : public ::testing::TestWithParam<std::string> {
 protected:
  SettingsBackend() { Open(); }

  TSettingsKey& Key() { return *key_; }

  // The next start of the program: the store is flushed and opened again on the same
  // storage (the memory store simply lives on).
  TSettingsKey& Reopen() {
    key_->Flush();
    if (GetParam() == "qt") {
      key_.reset();
      Open();
    }
    return *key_;
  }

  std::string File() const { return dir_.File("Tallowfen.conf"); }

 private:
  void Open() {
    if (GetParam() == "qt")
      key_ = std::make_unique<TQtSettingsStore>(File());
    else
      key_ = std::make_unique<TMemorySettings>();
  }

  TTempDir dir_;
  std::unique_ptr<TSettingsKey> key_;
};

inline std::string BackendName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

#define TF_ON_BOTH_BACKENDS(Suite)                                             \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values("memory", "qt"), \
                           ::tf::test::BackendName)

}  // namespace tf::test
