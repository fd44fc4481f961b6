#include "platform/MemorySettings.h"

#include <map>
#include <variant>

namespace tf {

struct TMemorySettings::TNode {
  std::map<std::string, std::variant<std::vector<uint8_t>, std::string>> Values;
  std::map<std::string, std::unique_ptr<TNode>> Subkeys;

  bool Empty() const {
    if (!Values.empty()) return false;
    for (const auto& [name, sub] : Subkeys)
      if (!sub->Empty()) return false;
    return true;
  }
};

struct TMemorySettings::TData {
  TNode Root;
  bool Writable = true;
};

TMemorySettings::TMemorySettings() : data_(std::make_shared<TData>()) {}

TMemorySettings::TMemorySettings(std::shared_ptr<TData> data, std::vector<std::string> path)
    : data_(std::move(data)), path_(std::move(path)) {}

TMemorySettings::~TMemorySettings() = default;

TMemorySettings::TNode* TMemorySettings::Find() const {
  TNode* node = &data_->Root;
  for (const std::string& name : path_) {
    auto it = node->Subkeys.find(name);
    if (it == node->Subkeys.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

TMemorySettings::TNode* TMemorySettings::Make() {
  TNode* node = &data_->Root;
  for (const std::string& name : path_) {
    auto& sub = node->Subkeys[name];
    if (!sub) sub = std::make_unique<TNode>();
    node = sub.get();
  }
  return node;
}

bool TMemorySettings::Exists() const {
  const TNode* node = Find();
  return node && !node->Empty();
}

std::optional<std::vector<uint8_t>> TMemorySettings::ReadBinary(const std::string& name) const {
  const TNode* node = Find();
  if (!node) return std::nullopt;
  auto it = node->Values.find(name);
  if (it == node->Values.end()) return std::nullopt;
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&it->second)) return *bytes;
  return std::nullopt;
}

void TMemorySettings::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  if (data_->Writable) Make()->Values[name] = value;
}

std::optional<std::string> TMemorySettings::ReadString(const std::string& name) const {
  const TNode* node = Find();
  if (!node) return std::nullopt;
  auto it = node->Values.find(name);
  if (it == node->Values.end()) return std::nullopt;
  if (const auto* text = std::get_if<std::string>(&it->second)) return *text;
  return std::nullopt;
}

void TMemorySettings::WriteString(const std::string& name, const std::string& value) {
  if (data_->Writable) Make()->Values[name] = value;
}

void TMemorySettings::DeleteValue(const std::string& name) {
  if (!data_->Writable) return;
  if (TNode* node = Find()) node->Values.erase(name);
}

std::vector<std::string> TMemorySettings::ValueNames() const {
  std::vector<std::string> names;
  if (const TNode* node = Find())
    for (const auto& [name, value] : node->Values) names.push_back(name);
  return names;
}

std::vector<std::string> TMemorySettings::SubkeyNames() const {
  std::vector<std::string> names;
  if (const TNode* node = Find())
    for (const auto& [name, sub] : node->Subkeys)
      if (!sub->Empty()) names.push_back(name);
  return names;
}

std::unique_ptr<TSettingsKey> TMemorySettings::Subkey(const std::string& name) {
  std::vector<std::string> path = path_;
  path.push_back(name);
  return std::unique_ptr<TSettingsKey>(new TMemorySettings(data_, std::move(path)));
}

void TMemorySettings::DeleteKey() {
  if (!data_->Writable) return;
  if (path_.empty()) {
    data_->Root = TNode();
    return;
  }
  TMemorySettings parent(data_, std::vector<std::string>(path_.begin(), path_.end() - 1));
  if (TNode* node = parent.Find()) node->Subkeys.erase(path_.back());
}

bool TMemorySettings::Writable() const { return data_->Writable; }

void TMemorySettings::SetWritable(bool writable) { data_->Writable = writable; }

}  // namespace tf
