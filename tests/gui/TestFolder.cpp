#include "TestFolder.h"

#include "fw/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

namespace guitest {

namespace {

// Distinguishes folders made by one test program.
std::atomic<unsigned> folderCounter{0};

// %TEMP% without a trailing backslash.
std::string tempRoot() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("GetTempPathA failed");
    }
    std::string root(buffer, length);
    while (!root.empty() && root.back() == '\\') {
        root.pop_back();
    }
    return root;
}

// Deletes a folder tree; read-only files are made writable first.
void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA entry{};
    HANDLE raw = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (raw != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string full = folder + "\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                removeTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(raw, &entry));
        FindClose(raw);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

// Process id and a counter make the name unique among parallel and successive tests.
TestFolder::TestFolder(const std::string& label) {
    const std::string root = tempRoot();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = root + "\\guitest-" + label + "-" +
                                      std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(folderCounter++);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot create a test folder under " + root);
}

// Leaves nothing behind, even after a failed test.
TestFolder::~TestFolder() {
    removeTree(path_);
}

// Plain concatenation: names are given by the tests.
std::string TestFolder::file(const std::string& name) const {
    return path_ + "\\" + name;
}

// Fails loudly: a missing program would make every later check meaningless.
void TestFolder::copyIn(const std::string& source, const std::string& name) const {
    if (!CopyFileA(source.c_str(), file(name).c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source + " into " + path_ + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

// Binary write, so scenario and data files reach the program byte for byte.
void TestFolder::writeFile(const std::string& name, const std::string& contents) const {
    fw::UniqueHandle handle(CreateFileA(file(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        throw std::runtime_error("cannot create " + file(name));
    }
    size_t done = 0;
    while (done < contents.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1u << 20));
        if (!WriteFile(handle.Get(), contents.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            throw std::runtime_error("cannot write " + file(name));
        }
        done += written;
    }
}

// Folders do not count: only files are asked about.
bool TestFolder::contains(const std::string& name) const {
    const DWORD attributes = GetFileAttributesA(file(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Shares read and write so a log still open in the program can be read.
std::string TestFolder::readFile(const std::string& name) const {
    fw::UniqueHandle handle(CreateFileA(file(name).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        throw std::runtime_error("cannot open " + file(name));
    }
    std::string contents;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got,
                      nullptr)) {
            throw std::runtime_error("cannot read " + file(name));
        }
        if (got == 0) {
            return contents;
        }
        contents.append(chunk.data(), got);
    }
}

} // namespace guitest
