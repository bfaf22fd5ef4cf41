// Text helpers: the string table (ANSI), the program's folder (UTF-16), conversions.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace fw {

// Text of a string-table entry of the running program; empty when it is missing.
std::string LoadResString(UINT id);

// text from the ANSI code page in UTF-16, for the few calls that exist only in wide form or
// lift a limit there. False (and a trace naming operation) when the conversion fails.
bool WideFromAnsi(const std::string& text, std::wstring& wide, const char* operation);

// text in the ANSI code page, for a trace or a box only: what the code page cannot hold comes
// out as its default character. Never for a path that is to be opened.
std::string DisplayText(const std::wstring& text);

// text in UTF-8, for a log file or redirected output.
std::string Utf8Text(const std::wstring& text);

// The program's own folder in UTF-16, without a trailing backslash, of any length. False when
// the path cannot be had whole (never used cut short).
bool ProgramFolder(std::wstring& folder);

} // namespace fw
