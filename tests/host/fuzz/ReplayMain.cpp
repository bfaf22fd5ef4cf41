// Runs a fuzz target over saved inputs where libFuzzer is not at hand (the GNU build): each
// argument is a file or a folder of files, each file one input. The target aborts on a broken
// rule; the sanitizers stop it on a bad read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

// Exactly the file's bytes on the heap, as libFuzzer hands them over.
bool RunFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::unique_ptr<uint8_t[]> block(new uint8_t[bytes.size()]);
    std::memcpy(block.get(), bytes.data(), bytes.size());
    LLVMFuzzerTestOneInput(block.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path argument(argv[a]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argument)) {
            for (const auto& entry : std::filesystem::directory_iterator(argument)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.push_back(argument);
        }
        for (const auto& file : files) {
            if (!RunFile(file)) {
                return 1;
            }
            ++inputs;
        }
    }
    std::printf("%d inputs replayed, no rule broken\n", inputs);
    return inputs > 0 ? 0 : 1;
}
