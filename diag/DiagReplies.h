// The printer's replies to the diagnostic reads and its device ID, taken as text within their
// buffers. A reply that fills its buffer carries no NUL: nothing past the buffer is ever read.
// Portable C++ (no platform calls), so the checks also build for a host-side fuzz test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace diag {

// The text in buffer up to its first NUL, or all size bytes when there is none.
std::string_view BoundedText(const char* buffer, std::size_t size);

// A reply to a memory read: "DIAG CD=12," at its start, then two upper-case hexadecimal
// digits giving value. Anything after them is ignored.
bool CheckMemoryReply(std::string_view reply, uint8_t& value);

// A reply to the version read: "DIAG CD=E2,01," at its start, then three two-digit fields at
// offsets 14, 17 and 20; the characters between them are not examined. Parsing stops at the
// first field that fails.
bool CheckVersionReply(std::string_view reply, uint8_t& first, uint8_t& second, uint8_t& third);

// True when the device ID carries the job-language keyword "ZKL" anywhere (case-sensitive).
bool HasJobLanguageKeyword(std::string_view deviceId);

} // namespace diag
