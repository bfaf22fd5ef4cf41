// A fresh folder for one test, holding the program under test and its files; deleted at the end.
#pragma once

#include <string>

namespace guitest {

class TestFolder {
public:
    // Creates a new, unique folder under %TEMP%; label goes into its name to ease debugging.
    explicit TestFolder(const std::string& label);
    // Deletes the folder and everything in it.
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // Full path of the folder, without a trailing backslash.
    const std::string& path() const { return path_; }
    // Full path of a file in the folder.
    std::string file(const std::string& name) const;
    // Copies source into the folder under name; throws if the copy fails.
    void copyIn(const std::string& source, const std::string& name) const;
    // Writes contents to a file in the folder, replacing it.
    void writeFile(const std::string& name, const std::string& contents) const;
    // True if the folder holds a file of that name.
    bool contains(const std::string& name) const;
    // Whole contents of a file in the folder; throws if it cannot be read.
    std::string readFile(const std::string& name) const;

private:
    std::string path_;
};

} // namespace guitest
