// String-table texts as the tool loads them (fault: a zero buffer size, which the ANSI loader
// does not support, passed Wine and corrupts memory on Windows).
#include "DebugViewer.h"

#include "fw/Text.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

// Texts longer than the first buffer come whole; a missing entry gives no text and a trace line
// that names it (without the program's name: no application object runs here).
TEST(ResourceText, ComesWholeAndAMissingEntryLeavesATrace) {
    const guitest::DebugViewer viewer;
    EXPECT_EQ(fw::LoadResString(IDS_UPDATE_DONE),
              "The NVM update is completed when data LED turns off the light.\r\nThen restart the "
              "printer and click [Verify] button to check the NVM version.");
    EXPECT_EQ(fw::LoadResString(IDS_COMM_ERROR), "Communication error!");
    EXPECT_EQ(fw::LoadResString(999), "");
    const std::string line = viewer.waitForLine(::GetCurrentProcessId(), "LoadStringA");
    EXPECT_EQ(line.rfind("String table: LoadStringA failed, result 0, GetLastError ", 0), 0u)
        << line;
    EXPECT_EQ(line.substr(line.size() - 8), ", id 999") << line;
}
