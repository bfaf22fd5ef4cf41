// Port names and list items to PortId: the first input byte picks the code page's lead-byte rule
// (none, Shift-JIS, GBK, any high byte), the rest is the NUL-terminated name. The keywords count
// only where a character begins, so a trail byte that reads 'U' or 'L' starts nothing; the
// number is read to its low 16 bits whatever its length. The candidate test is held to its rule
// on the same name.
#include "ParserRules.h"

#include "ports/PortNames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const rules::CodePage page = rules::CodePageOf(data[0]);
    const auto name = rules::ExactCopy(data + 1, size - 1, true);
    const std::string text = rules::TextOf(data + 1, size - 1);

    const PortId got = PortIdFromText(name.get(), rules::LeadByteRule(page));
    rules::Require(got == rules::PortIdOf(text, page), "the PortId follows the rule");
    if (page == rules::CodePage::SingleByte) {
        // The host's own code page has no lead bytes.
        rules::Require(PortIdFromText(name.get()) == got, "the system code page reads the same");
    }
    rules::Require(IsCandidatePortName(name.get()) == rules::IsCandidate(text),
                   "a candidate begins with USB, QRUSB or LPT");
    return 0;
}
