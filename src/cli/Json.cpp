#include "cli/Json.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "text/Text.h"

namespace tf::cli {

std::string JsonEscape(std::string_view utf8) {
  return nlohmann::json(std::string(utf8)).dump(-1, ' ', false,
                                                nlohmann::json::error_handler_t::replace);
}

EWriteFailed::EWriteFailed(int error)
    : std::runtime_error(std::strerror(error)), Error(error) {}

void TJsonWriter::Raw(std::string_view s) {
  errno = 0;
  if (std::fwrite(s.data(), 1, s.size(), out_) != s.size()) throw EWriteFailed(errno ? errno : EIO);
}

void TJsonWriter::Separator() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) Raw(",");
    first_.back() = false;
  }
}

TJsonWriter& TJsonWriter::BeginObject() {
  Separator();
  Raw("{");
  first_.push_back(true);
  return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
  first_.pop_back();
  Raw("}");
  return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
  Separator();
  Raw("[");
  first_.push_back(true);
  return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
  first_.pop_back();
  Raw("]");
  return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
  Separator();
  Raw(JsonEscape(key));
  Raw(":");
  afterKey_ = true;
  return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view stored) {
  Separator();
  Raw(JsonEscape(ToDisplay(stored)));
  return *this;
}

TJsonWriter& TJsonWriter::StringOrNull(const char* stored) {
  return stored ? String(stored) : Null();
}

TJsonWriter& TJsonWriter::Null() {
  Separator();
  Raw("null");
  return *this;
}

TJsonWriter& TJsonWriter::Int(int64_t v) {
  Separator();
  Raw(std::to_string(v));
  return *this;
}

TJsonWriter& TJsonWriter::UInt(uint64_t v) {
  Separator();
  Raw(std::to_string(v));
  return *this;
}

TJsonWriter& TJsonWriter::Double(double v) {
  Separator();
  Raw(nlohmann::json(v).dump());
  return *this;
}

TJsonWriter& TJsonWriter::Bool(bool v) {
  Separator();
  Raw(v ? "true" : "false");
  return *this;
}

}  // namespace tf::cli
