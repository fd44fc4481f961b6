#pragma once
// A small streaming JSON writer: catalogs with millions of files are printed without building
// the whole document in memory. Stored texts are printed as UTF-8 (not valid UTF-8 is read as
// Windows-1252).

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tf::cli {

// A write to the writer's stream failed; Error is the system's error number.
class EWriteFailed : public std::runtime_error {
 public:
  explicit EWriteFailed(int error);
  int Error;
};

// Raises EWriteFailed as soon as a write fails, so that a document is not written on into a
// full disk.
class TJsonWriter {
 public:
  explicit TJsonWriter(std::FILE* out) : out_(out) {}
  TJsonWriter& BeginObject();
  TJsonWriter& EndObject();
  TJsonWriter& BeginArray();
  TJsonWriter& EndArray();
  TJsonWriter& Key(std::string_view key);
  TJsonWriter& String(std::string_view stored);  // stored bytes, shown as UTF-8
  TJsonWriter& Null();
  TJsonWriter& Int(int64_t v);
  TJsonWriter& UInt(uint64_t v);
  TJsonWriter& Double(double v);
  TJsonWriter& Bool(bool v);
  // A value or null: for descriptions and flag names.
  TJsonWriter& StringOrNull(const char* stored);

 private:
  void Separator();
  void Raw(std::string_view s);
  std::FILE* out_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

std::string JsonEscape(std::string_view utf8);

}  // namespace tf::cli
