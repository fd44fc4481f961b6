#pragma once
// A settings key in memory, just enough for the folder-drive tests: a key exists while it or
// a key below it holds a value.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace tf::test {

class TFakeKey final : public TSettingsKey {
 public:
  struct TData {
    std::map<std::string, std::string> Strings;
    std::map<std::string, std::vector<uint8_t>> Binary;
    std::map<std::string, std::shared_ptr<TData>> Keys;
    bool Holds() const {
      if (!Strings.empty() || !Binary.empty()) return true;
      for (const auto& [name, key] : Keys)
        if (key->Holds()) return true;
      return false;
    }
  };

  TFakeKey() : data_(std::make_shared<TData>()) {}
  explicit TFakeKey(std::shared_ptr<TData> data) : data_(std::move(data)) {}

  bool Exists() const override { return data_->Holds(); }
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const override {
    auto it = data_->Binary.find(name);
    return it == data_->Binary.end() ? std::nullopt : std::optional(it->second);
  }
  void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override {
    data_->Binary[name] = value;
  }
  std::optional<std::string> ReadString(const std::string& name) const override {
    auto it = data_->Strings.find(name);
    return it == data_->Strings.end() ? std::nullopt : std::optional(it->second);
  }
  void WriteString(const std::string& name, const std::string& value) override {
    data_->Strings[name] = value;
  }
  void DeleteValue(const std::string& name) override {
    data_->Strings.erase(name);
    data_->Binary.erase(name);
  }
  std::vector<std::string> ValueNames() const override {
    std::vector<std::string> names;
    for (const auto& [n, v] : data_->Strings) names.push_back(n);
    for (const auto& [n, v] : data_->Binary) names.push_back(n);
    return names;
  }
  std::unique_ptr<TSettingsKey> Subkey(const std::string& name) override {
    auto& sub = data_->Keys[name];
    if (!sub) sub = std::make_shared<TData>();
    return std::make_unique<TFakeKey>(sub);
  }
  void DeleteKey() override { *data_ = TData{}; }

 private:
  std::shared_ptr<TData> data_;
};

}  // namespace tf::test
