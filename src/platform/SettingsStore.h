#pragma once
// The settings store: the stand-in for the program's registry key. A key holds named binary
// and string values and named subkeys. Backends: QSettings (organisation "Brenthorpe",
// application "Tallowfen") for the program, in memory for tests and the command-line tool.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tf {

class TSettingsKey {
 public:
  virtual ~TSettingsKey() = default;
  // Whether the key exists at all (a missing key gives the designed defaults). A key exists
  // while it holds a value or a subkey that exists, in every backend alike.
  virtual bool Exists() const = 0;
  virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const = 0;
  virtual void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) = 0;
  virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  virtual void DeleteValue(const std::string& name) = 0;
  virtual std::vector<std::string> ValueNames() const = 0;
  virtual std::vector<std::string> SubkeyNames() const { return {}; }
  // Opens a subkey (created when first written).
  virtual std::unique_ptr<TSettingsKey> Subkey(const std::string& name) = 0;
  // Removes the key with all its values and subkeys.
  virtual void DeleteKey() = 0;
  // Writes pending changes to their storage.
  virtual void Flush() {}
  // False when values cannot be written here: the key cannot be created, or its storage
  // refused the last flush (a read-only file, a full disk). Writes are then lost, and the
  // caller says so to the user.
  virtual bool Writable() const { return true; }
};

}  // namespace tf
