// Writes NVM images and plain test data files for the simulated printer. Plain C++ so the
// build can run a native copy while cross-compiling.
//   LorvexSimGen image FILE VERSION PAYLOAD_BYTES   e.g. image x.dcc 01.01.06 122880
//   LorvexSimGen data FILE SIZE [SEED]              deterministic bytes, no image inside
#include "lvxio/ByteText.h"
#include "sim/NvmImage.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace lvxsim;

namespace {

// Prints how to call the program; returns the exit status for misuse.
int usage() {
    std::fputs("usage: LorvexSimGen image FILE VERSION PAYLOAD_BYTES\n"
               "       LorvexSimGen data FILE SIZE [SEED]\n",
               stderr);
    return 2;
}

// A non-negative integer argument up to limit.
bool count(const char* arg, long long limit, long long& value) {
    return lvxio::text::parseInteger(arg, value) && value >= 0 && value <= limit;
}

// Writes the whole file; false on any failure.
bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

// Dispatches on the first argument.
int main(int argc, char** argv) {
    if (argc < 4) {
        return usage();
    }
    const std::string what = argv[1];
    const std::string file = argv[2];
    std::string bytes;
    long long size = 0;
    if (what == "image" && argc == 5) {
        NvmVersion version{};
        if (!NvmImage::parseVersion(argv[3], version) ||
            !count(argv[4], NvmImage::MaxPayload, size)) {
            return usage();
        }
        bytes = NvmImage::build(version, static_cast<uint32_t>(size));
    } else if (what == "data" && (argc == 4 || argc == 5)) {
        long long seed = 1;
        if (!count(argv[3], 0x7FFFFFFF, size) || (argc == 5 && !count(argv[4], 0xFFFFFFFF, seed))) {
            return usage();
        }
        bytes = NvmImage::patternBytes(static_cast<std::size_t>(size), static_cast<uint32_t>(seed));
    } else {
        return usage();
    }
    if (!writeFile(file, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    return 0;
}
