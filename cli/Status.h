// The exit status of an unattended run: 0 for success, else the string-table id of the message
// the window would have shown (all below 256, since many callers see only the low byte).
#pragma once

#include "diag/Verify.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace cli {

// A command line that cannot be understood: ERROR_INVALID_PARAMETER.
inline constexpr int UsageStatus = 87;

// 0 when every byte was sent, else the id of the result's message.
int UpdateStatus(int32_t result);

// The version of a verified result as Verify's first line shows it ("1.01.06").
std::string VersionText(const VerifyResult& result);

// 0 when the values were read and, with expected not empty, the version is that one; the id of
// the failure's message, or IDS_VERSION_NOT_EXPECTED for another version.
int VerifyStatus(const VerifyResult& result, const std::string& expected);

} // namespace cli
