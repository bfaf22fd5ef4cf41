// A device ID as any bytes filling a buffer of any size, most often with no NUL: the keyword
// "ZKL" counts exactly where it lies wholly within the text before the first NUL.
#include "ParserRules.h"

#include "diag/DiagReplies.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto buffer = rules::ExactCopy(data, size, false);
    const bool found = diag::HasJobLanguageKeyword(diag::BoundedText(buffer.get(), size));
    const std::string text = rules::TextOf(data, size);
    rules::Require(found == (text.find("ZKL") != std::string::npos),
                   "the keyword is found exactly when the text holds it");
    return 0;
}
