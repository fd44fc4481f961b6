#pragma once
// The settings store on QSettings. The program's key is the root of the settings of
// organisation "Brenthorpe", application "Tallowfen", native format: on Linux the file
// ~/.config/Brenthorpe/Tallowfen.conf, on Windows the registry key
// HKCU\SOFTWARE\Brenthorpe\Tallowfen. Subkeys are QSettings groups; binary values are stored
// as QByteArray and strings as QString, so each keeps its type. Strings are UTF-8; a string
// that is not valid UTF-8 is stored with its bad bytes replaced (QString holds Unicode only).
// Names must not contain '/' or '\', which QSettings takes as group separators.
//
// The header stays free of Qt; all keys opened from one store share one QSettings object,
// which is not thread-safe: use a store from one thread.

#include <memory>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace tf {

class TQtSettingsStore final : public TSettingsKey {
 public:
  // The user's own settings.
  TQtSettingsStore();
  // Settings kept in an INI file of the caller's choice (tests, or a portable set-up); the
  // user's settings are never touched.
  explicit TQtSettingsStore(const std::string& iniFile);
  ~TQtSettingsStore() override;

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
  void Flush() override;
  bool Writable() const override;

  // Where the settings are kept (a file path; on Windows the registry path).
  std::string Location() const;

 private:
  struct TShared;
  TQtSettingsStore(std::shared_ptr<TShared> shared, std::string group);

  std::shared_ptr<TShared> shared_;
  std::string group_;  // "" for the program's key, else "MRUList" or "A/B"
};

}  // namespace tf
