// ANSI text helpers: string table, the program's folder, multibyte-aware searches.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace fw {

// Longest program path the tool accepts, terminator included.
inline constexpr DWORD MaxProgramPath = MAX_PATH;

// Text of a string-table entry of the running program; empty when it is missing.
std::string LoadResString(UINT id);

// Position of the last backslash in text, stepping by characters of the ANSI code page so
// that the second byte of a double-byte character never counts; npos when there is none.
std::size_t FindLastBackslash(const std::string& text);

// Position of the first occurrence of pattern in text, starting only at character
// boundaries of the ANSI code page; npos when absent.
std::size_t FindText(const char* text, const char* pattern);

// text from the ANSI code page in UTF-16, for the few calls that exist only in wide form or
// lift a limit there. False (and a trace naming operation) when the conversion fails.
bool WideFromAnsi(const std::string& text, std::wstring& wide, const char* operation);

// The program's own folder, without a trailing backslash. False when the path cannot be had
// whole (a path longer than MaxProgramPath is refused, never used cut short).
bool ProgramFolder(std::string& folder);

} // namespace fw
