#pragma once
// The commands' own output and messages. Every write to stdout is checked: a full disk, a
// closed pipe or /dev/full behind it makes the command fail with a message, never a short
// output with status 0. Messages go to stderr with the "\r" that separates a message's lines
// in the windows turned into line breaks.

#include <optional>
#include <string>
#include <string_view>

namespace tf::cli {

// Writes to stdout. False once a write has failed; later writes are then skipped.
bool WriteOut(std::string_view bytes);

// Flushes stdout. The system's reason when a write to it failed since the last call that
// returned one, else nullopt: each failure is reported once.
std::optional<std::string> OutputFailure();

// "Can not write the output: <reason>".
std::string OutputFailureText(const std::string& reason);

// A message on stderr, one line or more, ending with a line break.
void PrintMessage(std::string_view text);
// The message, then the status of work that failed (2).
int Fail(const std::string& message);

// A message's text for a terminal: "\r\n" and "\r" become "\n".
std::string TerminalText(std::string_view text);

// Why a file cannot be opened for reading: the system's reason ("No such file or
// directory", "Is a directory"), "not a regular file" for a pipe or device; empty when it can.
std::string OpenFailureReason(const std::string& path);

// A catalog's read error as "<path>: <text>"; the bare "File open error" gets its reason.
std::string CatalogErrorText(const std::string& path, const std::string& text);

}  // namespace tf::cli
