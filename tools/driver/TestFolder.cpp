#include "TestFolder.h"

#include "Files.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace guitest {

TestFolder::TestFolder(const std::string& label)
    : path_(makeTempFolder("guitest-" + label).string()) {}

// Leaves nothing behind, even after a failed test.
TestFolder::~TestFolder() {
    removeTree(path_);
}

std::string TestFolder::file(const std::string& name) const {
    return path_ + "\\" + name;
}

// Fails loudly: a missing program would make every later check meaningless.
void TestFolder::copyIn(const std::string& source, const std::string& name) const {
    std::error_code error;
    std::filesystem::copy_file(source, file(name),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        throw std::runtime_error("cannot copy " + source + " into " + path_ + " (" +
                                 error.message() + ")");
    }
}

void TestFolder::writeFile(const std::string& name, const std::string& contents) const {
    if (!guitest::writeFile(file(name), contents)) {
        throw std::runtime_error("cannot write " + file(name));
    }
}

// Folders do not count: only files are asked about.
bool TestFolder::contains(const std::string& name) const {
    std::error_code error;
    return std::filesystem::is_regular_file(file(name), error);
}

std::string TestFolder::readFile(const std::string& name) const {
    if (!contains(name)) {
        throw std::runtime_error("cannot open " + file(name));
    }
    return guitest::readFile(file(name));
}

} // namespace guitest
