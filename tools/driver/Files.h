// The files a driven program's folder is made of: the driver's own folder, a fresh temporary
// folder, whole-file reads and writes. Byte strings are held in std::string.
#pragma once

#include <filesystem>
#include <string>

namespace guitest {

// The folder of the running program (the test, tool or bench), where the build puts the DLLs and
// the sample data, with a trailing backslash.
std::string programFolder();
// A new, empty folder under %TEMP% whose name holds label, the process and a counter; throws
// when it cannot be made.
std::filesystem::path makeTempFolder(const std::string& label);
// Removes folder and everything in it, read-only files too; a file still held open stays.
void removeTree(const std::filesystem::path& folder);
// The whole file (capture or other), empty if missing.
std::string readFile(const std::filesystem::path& path);
// Writes bytes as the whole file.
bool writeFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace guitest
