// One fuzz target, chosen when it is built (CORVANE_FUZZ_TARGET names it): the parser of that
// name held to its rule over whatever input libFuzzer, or the replayer, hands over.
#include "ParserRules.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const rules::Check check = rules::CheckOf(CORVANE_FUZZ_TARGET);
    rules::Require(check != nullptr, "the target is built with a name the rules know");
    check(data, size);
    return 0;
}
