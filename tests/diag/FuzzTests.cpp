// The parsers of outside text (printer replies, device IDs, port names, hexadecimal bytes) held
// to their one rule set over every saved fuzz input: the seeds and every input that once broke a
// rule. Under Wine this runs the system's real code page; tests/host runs it natively under the
// sanitizers. CTest starts it in tests/host, where corpus/ and regressions/ lie. Portable.
#include "ParserRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A broken rule ends that input's check, not the whole run.
struct RuleBroken : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Throw(const char* what) {
    throw RuleBroken(what);
}

// Every file under the target's saved folders, in a fixed order.
std::vector<fs::path> SavedInputs(const char* target) {
    std::vector<fs::path> files;
    for (const char* folder : {"regressions", "corpus"}) {
        const fs::path dir = fs::path(folder) / target;
        if (!fs::is_directory(dir)) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Exactly the file's bytes in a heap block of their size, as the fuzzer hands them over.
std::unique_ptr<uint8_t[]> ReadAll(const fs::path& path, std::size_t& size) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    size = bytes.size();
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    return block;
}

} // namespace

TEST(ParserRuleTest, EverySavedInputKeepsItsParsersRule) {
    rules::SetBreakHandler(&Throw);
    std::size_t count = 0;
    const rules::Target* targets = rules::Targets(count);
    for (std::size_t t = 0; t < count; ++t) {
        const std::vector<fs::path> inputs = SavedInputs(targets[t].name);
        EXPECT_FALSE(inputs.empty()) << "no saved inputs for " << targets[t].name << " under "
                                     << fs::current_path().string();
        for (const fs::path& input : inputs) {
            std::size_t size = 0;
            const std::unique_ptr<uint8_t[]> bytes = ReadAll(input, size);
            try {
                targets[t].check(bytes.get(), size);
            } catch (const RuleBroken& broken) {
                ADD_FAILURE() << input.string() << ": " << broken.what();
            }
        }
        std::printf("[   FUZZ   ] %s: %zu saved inputs\n", targets[t].name, inputs.size());
    }
    rules::SetBreakHandler(nullptr);
}
