#pragma once
// Texts of project files are Windows-1252 bytes; the program holds UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (81, 8D, 8F, 90,
// 9D) become the control characters of the same number, as the system's own conversion does.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252, at most maxChars characters (the rest is cut). A character with no
// Windows-1252 form, and every byte of a malformed UTF-8 sequence, becomes "?".
std::string Utf8ToAnsi(std::string_view utf8, std::size_t maxChars = std::string::npos);

// Whether every character of the UTF-8 text has a Windows-1252 form, so that the text comes back
// from a project file as it stands. A zero character has none: a stored text ends at it.
bool IsAnsiText(std::string_view utf8);
