// The built program's manifest, read back from its resources as the loader reads it: Windows
// refuses to start a program whose manifest names another architecture than its own, or asks
// for the common controls of another architecture. Wine ignores both.
#include "Driver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <string>

namespace {

// This test program is built for the same architecture as the program beside it.
#ifdef _WIN64
constexpr char OwnArchitecture[] = "amd64";
#else
constexpr char OwnArchitecture[] = "x86";
#endif

// Frees the image mapped as data.
struct ModuleRelease {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};

// Manifest 1 of the program, as text; empty when it has none.
std::string ProgramManifest(const std::string& path) {
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease> image(::LoadLibraryExA(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!image) {
        return std::string();
    }
    const HRSRC found = ::FindResourceA(image.get(), MAKEINTRESOURCEA(1), RT_MANIFEST);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(image.get(), found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return std::string();
    }
    return std::string(static_cast<const char*>(data), ::SizeofResource(image.get(), found));
}

// The processorArchitecture of the assemblyIdentity element that carries name.
std::string ArchitectureOf(const std::string& manifest, const std::string& name) {
    const std::regex identity("<assemblyIdentity[^>]*name=\"" + name + "\"[^>]*>");
    std::smatch element;
    if (!std::regex_search(manifest, element, identity)) {
        return "(no identity)";
    }
    const std::string text = element.str();
    std::smatch value;
    return std::regex_search(text, value, std::regex("processorArchitecture=\"([^\"]*)\""))
               ? value[1].str()
               : "(none)";
}

} // namespace

TEST(Manifest, NamesTheProgramsArchitectureAndAnyCommonControls) {
    const std::string manifest = ProgramManifest(guitest::Driver::binaryFolder() + "\\Corvane.exe");
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(ArchitectureOf(manifest, "Corvane\\.Corvane"), OwnArchitecture);
    EXPECT_EQ(ArchitectureOf(manifest, "Microsoft\\.Windows\\.Common-Controls"), "*");
}
