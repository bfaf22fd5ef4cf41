// The console's stop through its handler, in this process: what the system's call does to a
// running transfer, for the events a test cannot send (the console's close) as for Ctrl+C.
#include "SimFolder.h"
#include "Wait.h"

#include "app/UpdaterApp.h"
#include "cli/CommandLineRun.h"
#include "res/resource.h"
#include "tests/ports/RegistryPorts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>

namespace {

DWORD WINAPI RunApp(void* app) {
    static_cast<UpdaterApp*>(app)->StartUp();
    return 0;
}

std::size_t Sends(const unittest::SimFolder& sim) {
    std::size_t count = 0;
    for (const simctl::LogRecord& call : sim.Calls()) {
        count += call.name == "SendByLvx" ? 1 : 0;
    }
    return count;
}

// Ctrl+C returns at once and the transfer stops at its next piece; a close returns only once
// the run has ended, since the system ends the process right after. Either way: status 206.
TEST(ConsoleStop, StopsTheTransferAndACloseWaitsForItsEnd) {
    const portstest::RegistryPorts ports({"USB001"});
    for (const DWORD event : {DWORD{CTRL_C_EVENT}, DWORD{CTRL_CLOSE_EVENT}}) {
        SCOPED_TRACE(event);
        const unittest::SimFolder sim;
        simctl::Scenario scenario;
        scenario.printer(simctl::usb(1)).rate(10000);
        sim.Use(scenario);
        UpdaterApp app(L"Corvane.exe /update /port USB001");
        ASSERT_NE(app.CommandLine(), nullptr);
        const HANDLE thread = ::CreateThread(nullptr, 0, &RunApp, &app, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        guitest::waitFor("two sends", [&] { return Sends(sim) >= 2; });
        app.CommandLine()->OnConsoleControl(event);
        const std::size_t atReturn = Sends(sim);
        EXPECT_EQ(::WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        ::CloseHandle(thread);
        if (event == CTRL_CLOSE_EVENT) {
            EXPECT_EQ(Sends(sim), atReturn) << "the close returned while the transfer went on";
        }
        EXPECT_EQ(app.ExitStatus(), IDS_UPDATE_STOPPED);
    }
}

} // namespace
