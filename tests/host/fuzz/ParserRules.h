// The parsers' rules written out plainly, byte by byte, for the fuzz targets to hold the product's
// parsers to; and the check that turns a broken rule into a finding. Portable.
#pragma once

#include "portlib/PortTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace rules {

// Reports what broke through the break handler; by default it prints and aborts, so that
// libFuzzer keeps the input as a crash file. A handler that returns lets the check go on.
void Require(bool holds, const char* what);
using BreakHandler = void (*)(const char* what);
// Null brings back the default.
void SetBreakHandler(BreakHandler handler);

// A heap block of exactly the input's size, so that a read past it shows under AddressSanitizer;
// with terminated, one NUL more, for the parsers that take NUL-terminated text.
std::unique_ptr<char[]> ExactCopy(const uint8_t* bytes, std::size_t size, bool terminated);

// The bytes up to the first NUL, at most size of them.
std::string TextOf(const uint8_t* bytes, std::size_t size);

// The byte two upper-case hexadecimal digits at text[offset] give; nothing where the text is too
// short or a character is not one of '0'-'9', 'A'-'F'.
std::optional<uint8_t> HexField(const std::string& text, std::size_t offset);

// text begins with prefix.
bool StartsWith(const std::string& text, const char* prefix);

// Which double-byte code page's lead bytes a port name is read with.
enum class CodePage { SingleByte, ShiftJis, Gbk, EveryHighByte };
// The code page an input's selector byte picks.
CodePage CodePageOf(uint8_t selector);
// The lead-byte rule of that code page, as PortIdFromText takes it.
bool (*LeadByteRule(CodePage page))(unsigned char);

// "USB" n gives 1024 + n, else "LPT" n gives 1151 + n, else 0, the keywords found only where a
// character begins; n is read as the classic decimal conversion does, to its low 16 bits.
PortId PortIdOf(const std::string& text, CodePage page);

// The name begins with "USB", "QRUSB" or "LPT".
bool IsCandidate(const std::string& name);

// One parser held to its rule over one input of any bytes: what a fuzz target runs, and what the
// tests replay over the saved inputs.
using Check = void (*)(const uint8_t* data, std::size_t size);
struct Target {
    const char* name; // Also the name of its corpus and regressions folders.
    Check check;
};
// Every target, once each.
const Target* Targets(std::size_t& count);
// The target of that name, or null.
Check CheckOf(const char* name);

} // namespace rules
