#include "cli/Status.h"

#include "res/resource.h"
#include "update/UpdateOperation.h"

#include <cstdio>

namespace cli {

int UpdateStatus(int32_t result) {
    return result == PortOk ? 0 : static_cast<int>(UpdateResultMessage(result));
}

// Verify's first line uses the same conversions.
std::string VersionText(const VerifyResult& result) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%d.%02d.%02d", static_cast<int>(result.version[0]),
                  static_cast<int>(result.version[1]), static_cast<int>(result.version[2]));
    return text;
}

int VerifyStatus(const VerifyResult& result, const std::string& expected) {
    const UINT message = VerifyResultMessage(result);
    if (message != IDS_VERIFY_RESULT) {
        return static_cast<int>(message);
    }
    if (!expected.empty() && VersionText(result) != expected) {
        return IDS_VERSION_NOT_EXPECTED;
    }
    return 0;
}

} // namespace cli
