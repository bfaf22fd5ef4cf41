// A reply to the version read: accepted exactly when "DIAG CD=E2,01," begins the text and the
// fields at 14, 17 and 20 are two upper-case digits each; fields before a bad one keep their
// bytes, fields after it are never parsed.
#include "ParserRules.h"

#include "diag/DiagReplies.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto buffer = rules::ExactCopy(data, size, false);
    const std::string_view text = diag::BoundedText(buffer.get(), size);
    const std::string want = rules::TextOf(data, size);
    rules::Require(text == want, "the reply is the buffer's text up to its first NUL");

    constexpr uint8_t Untouched = 0xA5;
    uint8_t values[3] = {Untouched, Untouched, Untouched};
    const bool accepted = diag::CheckVersionReply(text, values[0], values[1], values[2]);

    constexpr std::size_t Offsets[] = {14, 17, 20};
    const bool prefixed = rules::StartsWith(want, "DIAG CD=E2,01,");
    // Fields the product parses: none without the prefix, else up to the first bad one.
    std::size_t parsed = 0;
    bool allGood = prefixed;
    for (std::size_t i = 0; prefixed && i < 3; ++i) {
        parsed = i + 1;
        const std::optional<uint8_t> field = rules::HexField(want, Offsets[i]);
        if (!field) {
            allGood = false;
            break;
        }
        rules::Require(values[i] == *field, "a good field's value is its digits' byte");
    }
    rules::Require(accepted == allGood, "accepted exactly with the prefix and three good fields");
    for (std::size_t i = parsed; i < 3; ++i) {
        rules::Require(values[i] == Untouched, "no field after a bad one is parsed");
    }
    return 0;
}
