#include "Files.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace guitest {

// The folder of the running program, from its own path.
std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("cannot tell the program's own path");
    }
    const std::string self(path, length);
    return self.substr(0, self.find_last_of('\\') + 1);
}

std::filesystem::path makeTempFolder(const std::string& label) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path root = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            root /
            (label + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot make a folder under " + root.string());
}

void removeTree(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(folder, error);
}

// Binary, so scenario, data and capture files are the bytes themselves.
std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Writes the whole file.
bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

} // namespace guitest
