#pragma once
// The text rules every description goes through, whether it comes from a description file, an
// archive comment or the user: trimming, wrapping and the replacement of DOS box characters.
// Descriptions are CR LF-separated lines.

#include <string>
#include <string_view>

namespace tf {

// Removes blanks (space, byte 255) at both ends of every CR LF-separated line, but never the
// last character of a non-empty line, then TrimDescriptionEnd.
std::string TrimDescriptionLines(std::string_view text);
// Removes trailing blanks and CR LF pairs until the text ends with neither.
std::string TrimDescriptionEnd(std::string_view text);
// Breaks lines longer than width + 1 characters before a blank, ",", "-" or "." (or at the
// width when there is none); keeps at most maxLines lines (0: no limit). Returns true when
// lines were dropped.
bool WrapDescription(std::string& text, int width, int maxLines);
// DOS box and block characters to plain ones: the code page 437 bytes in text that is not
// valid UTF-8, the Unicode box-drawing and block characters in UTF-8 text.
std::string ReplaceBoxCharacters(std::string_view text);

}  // namespace tf
