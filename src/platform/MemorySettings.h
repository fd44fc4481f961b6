#pragma once
// The settings store in memory: for tests and for the command-line tool, which must never
// touch the user's settings. Value and subkey names are case-sensitive, as in the QSettings
// backend on Linux. A subkey object keeps only its path and looks its node up on every call,
// so it stays safe to use after its parent was deleted (it then reads as a missing key).

#include <memory>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace tf {

class TMemorySettings final : public TSettingsKey {
 public:
  TMemorySettings();
  ~TMemorySettings() override;

  bool Exists() const override;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const override;
  void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  void WriteString(const std::string& name, const std::string& value) override;
  void DeleteValue(const std::string& name) override;
  std::vector<std::string> ValueNames() const override;
  std::vector<std::string> SubkeyNames() const override;
  std::unique_ptr<TSettingsKey> Subkey(const std::string& name) override;
  void DeleteKey() override;
  bool Writable() const override;

  // A store that refuses every change, as a registry key without write access does: writes
  // and deletions are dropped and Writable() is false. Shared by all keys of this store.
  void SetWritable(bool writable);

 private:
  struct TData;
  struct TNode;
  TMemorySettings(std::shared_ptr<TData> data, std::vector<std::string> path);
  TNode* Find() const;  // null when the key does not exist
  TNode* Make();

  std::shared_ptr<TData> data_;
  std::vector<std::string> path_;  // subkey names from the store's root; empty for the root
};

}  // namespace tf
