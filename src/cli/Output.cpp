#include "cli/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Commands.h"
#include "store/LoadSave.h"

namespace tf::cli {

namespace {

int failedWith = 0;     // errno of the first failed write, EIO when none was told
bool reported = false;  // the failure was handed out by OutputFailure

void NoteFailure(int error) {
  if (!failedWith) failedWith = error ? error : EIO;
}

}  // namespace

bool WriteOut(std::string_view bytes) {
  if (failedWith) return false;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) NoteFailure(errno);
  return !failedWith;
}

std::optional<std::string> OutputFailure() {
  errno = 0;
  if (std::fflush(stdout) != 0) NoteFailure(errno);
  // Writes of others (the help of the argument parser) only leave the stream's error mark.
  if (std::ferror(stdout)) NoteFailure(0);
  if (!failedWith || reported) return std::nullopt;
  reported = true;
  return std::string(std::strerror(failedWith));
}

std::string OutputFailureText(const std::string& reason) {
  return "Can not write the output: " + reason;
}

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

void PrintMessage(std::string_view text) {
  std::string line = TerminalText(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

int Fail(const std::string& message) {
  PrintMessage(message);
  return ExitFailed;
}

std::string OpenFailureReason(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return {};
}

std::string CatalogErrorText(const std::string& path, const std::string& text) {
  std::string out = path + ": " + text;
  if (text == MsgFileOpenError) {
    std::string reason = OpenFailureReason(path);
    if (!reason.empty()) out += ": " + reason;
  }
  return out;
}

}  // namespace tf::cli
