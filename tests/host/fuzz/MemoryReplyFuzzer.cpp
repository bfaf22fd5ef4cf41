// A reply to a memory read, as any bytes filling a buffer of any size: the byte is taken exactly
// when the text before the first NUL begins with "DIAG CD=12," and two upper-case digits, and a
// rejected reply leaves the value alone.
#include "ParserRules.h"

#include "diag/DiagReplies.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto buffer = rules::ExactCopy(data, size, false);
    const std::string_view text = diag::BoundedText(buffer.get(), size);
    const std::string want = rules::TextOf(data, size);
    rules::Require(text.data() == buffer.get() && text == want,
                   "the reply is the buffer's text up to its first NUL");

    constexpr uint8_t Untouched = 0xA5;
    uint8_t value = Untouched;
    const bool accepted = diag::CheckMemoryReply(text, value);
    const bool prefixed = rules::StartsWith(want, "DIAG CD=12,");
    const std::optional<uint8_t> field = rules::HexField(want, 11);
    rules::Require(accepted == (prefixed && field.has_value()),
                   "accepted exactly with the prefix and two upper-case digits");
    if (accepted) {
        rules::Require(value == *field, "the value is the digits' byte");
    }
    if (!prefixed) {
        rules::Require(value == Untouched, "a reply without the prefix is not parsed");
    }
    return 0;
}
