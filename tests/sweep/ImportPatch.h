// Replaces one imported function of the test program's own module by rewriting its import
// address table slots, and puts the original back when the object goes. The tool's code linked
// into the test calls the system through those slots, so a test can make a call fail there.
#pragma once

#include <string>
#include <vector>

class ImportPatch {
public:
    // Points every slot of dll!function (names compared without case for the DLL) at
    // replacement; throws when the module imports no such function.
    ImportPatch(const std::string& dll, const std::string& function, void* replacement);
    // Restores the slots.
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // The function the slots held before.
    void* Original() const { return original_; }

private:
    // Writes value into slot, making its page writable for the moment; false when it cannot.
    static bool Write(void** slot, void* value);

    std::vector<void**> slots_;
    void* original_ = nullptr;
};
