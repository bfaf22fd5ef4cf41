#include "cli/CommandLineRun.h"

#include "fw/Operations.h"
#include "app/UpdaterApp.h"
#include "cli/ConsoleProgress.h"
#include "cli/Status.h"
#include "cli/StopWindow.h"
#include "diag/Verify.h"
#include "fw/HeldQuit.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "ports/PortList.h"
#include "ports/PortLock.h"
#include "ports/PortNames.h"
#include "ports/SpoolerPorts.h"
#include "res/resource.h"
#include "update/ShutdownBlock.h"
#include "update/UpdateOperation.h"
#include "update/UpdateWorker.h"

#include <cstdio>
#include <cwchar>
#include <utility>
#include <vector>

namespace cli {

namespace {

// The system's call for a console event; the run is found through the application object.
BOOL WINAPI ConsoleControlHandler(DWORD event) {
    auto* app = static_cast<UpdaterApp*>(fw::Application::Current());
    CommandLineRun* run = app != nullptr ? app->CommandLine() : nullptr;
    if (run == nullptr) {
        return FALSE;
    }
    run->OnConsoleControl(event);
    return TRUE;
}

// Handles the console's events while it lives, Ctrl+C included even where the starter turned
// it off for its children (a new process group does).
class ConsoleControl {
public:
    ConsoleControl() {
        ::SetConsoleCtrlHandler(nullptr, FALSE);
        if (!::SetConsoleCtrlHandler(&ConsoleControlHandler, TRUE)) {
            fw::FailureTrace(op::CommandLine, "SetConsoleCtrlHandler").LastError();
        }
    }
    ~ConsoleControl() { ::SetConsoleCtrlHandler(&ConsoleControlHandler, FALSE); }
    ConsoleControl(const ConsoleControl&) = delete;
    ConsoleControl& operator=(const ConsoleControl&) = delete;
};

// Signals the run's end however it ends.
class EndSignal {
public:
    explicit EndSignal(HANDLE event) : event_(event) {}
    ~EndSignal() {
        if (event_ != nullptr) {
            ::SetEvent(event_);
        }
    }
    EndSignal(const EndSignal&) = delete;
    EndSignal& operator=(const EndSignal&) = delete;

private:
    HANDLE event_;
};

// The request's name against a spooler port's: case aside, and with or without the colon.
bool SamePortName(const std::wstring& asked, const std::string& port) {
    std::wstring wide;
    if (!fw::WideFromAnsi(port, wide, op::CommandLine)) {
        return false;
    }
    auto bare = [](std::wstring name) {
        if (!name.empty() && name.back() == L':') {
            name.pop_back();
        }
        return name;
    };
    return _wcsicmp(bare(asked).c_str(), bare(wide).c_str()) == 0;
}

// A string-table text with one "%s" per argument filled in.
std::string Format(UINT id, const std::string& first, const std::string& second = {}) {
    const std::string format = fw::LoadResString(id);
    const int length = std::snprintf(nullptr, 0, format.c_str(), first.c_str(), second.c_str());
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format.c_str(), first.c_str(), second.c_str());
    return text;
}

} // namespace

std::unique_ptr<CommandLineRun> CommandLineRun::For(const wchar_t* commandLine) {
    Request request = ParseArguments(SplitCommandLine(commandLine));
    if (request.operation == Operation::Window) {
        return nullptr;
    }
    return std::make_unique<CommandLineRun>(std::move(request));
}

CommandLineRun::CommandLineRun(Request request)
    : request_(std::move(request)), ended_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CommandLineRun::~CommandLineRun() = default;

// Nothing reaches the port library before the request is understood, its log is open, the
// library is there and the port lock is had; then the ports are set up as for the window. The
// lock is held to the end: nothing waits for a person here.
int CommandLineRun::Run(UpdaterApp& app) {
    const EndSignal signal(ended_.Get());
    const ConsoleControl control;
    if (request_.operation == Operation::Usage) {
        output_.Print(fw::LoadResString(IDS_USAGE));
        return 0;
    }
    if (request_.operation == Operation::Invalid) {
        fw::EventTrace(op::CommandLine, "not understood").Note(fw::DisplayText(request_.problem));
        output_.Print(fw::LoadResString(IDS_USAGE));
        return UsageStatus;
    }
    if (!request_.log.empty() && !output_.OpenLog(request_.log)) {
        return Tell(IDS_LOG_NOT_OPENED);
    }
    app.SetTraceSink(&output_);
    const int status = app.Ports().IsLoaded() ? Locked(app) : Tell(IDS_NO_LIBRARY);
    app.SetTraceSink(nullptr);
    return status;
}

// Another thread may still be writing a trace to output_ when the run ends: the process ends
// right after, with the handler removed first.
void CommandLineRun::OnConsoleControl(DWORD event) {
    fw::EventTrace(op::CommandLine, "console event").Result(event);
    stopRequested_.store(true);
    if (StopWindow* window = stopWindow_.load()) {
        window->PostStop();
    }
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        ::WaitForSingleObject(ended_.Get(), INFINITE);
    }
}

int CommandLineRun::Locked(UpdaterApp& app) {
    const PortLock lock;
    if (!lock.Held()) {
        return Tell(lock.Foreign() ? IDS_PORTS_LOCK_FOREIGN : IDS_PORTS_IN_USE);
    }
    app.SetUpPorts();
    switch (request_.operation) {
    case Operation::Update:
        return Update(app);
    case Operation::Verify:
        return Verify(app);
    default:
        return List(app);
    }
}

int CommandLineRun::Tell(UINT id) {
    output_.Print(fw::LoadResString(id));
    return static_cast<int>(id);
}

PortId CommandLineRun::ChoosePort(UpdaterApp& app, int& status) {
    SpoolerPorts spooler;
    status = 0;
    if (request_.port.empty()) {
        return DetectPrinter(spooler, app.Ports());
    }
    std::vector<std::string> names;
    if (ReadCandidatePorts(spooler, names) == PortListRead::Fetched) {
        for (const std::string& name : names) {
            if (SamePortName(request_.port, name)) {
                return PortIdFromText(name.c_str());
            }
        }
    }
    output_.Print(Format(IDS_NO_SUCH_PORT, fw::DisplayText(request_.port)));
    status = IDS_NO_SUCH_PORT;
    return 0;
}

// The window's Update in its order: the port, the data file, the session's end refused, the
// transfer.
int CommandLineRun::Update(UpdaterApp& app) {
    int32_t result = 0;
    {
        int status = 0;
        UpdateJob job;
        job.m_portId = ChoosePort(app, status);
        if (status != 0) {
            return status;
        }
        job.m_updateFilePath = UpdateFilePath();
        ConsoleProgress progress(output_);
        job.m_progress = &progress;
        StopWindow window;
        window.Guard(&job);
        stopWindow_.store(&window);
        if (stopRequested_.load()) {
            fw::EventTrace(op::Update, "stopped before the transfer began");
            result = UpdateCancelled;
        } else {
            const ShutdownBlock block(window.Handle(), fw::LoadResString(IDS_UPDATE_RUNNING));
            fw::HeldQuit quit;
            result = RunUpdate(job, window, quit);
        }
        stopWindow_.store(nullptr);
    }
    Tell(UpdateResultMessage(result));
    return UpdateStatus(result);
}

// Verify's three lines, or its failure; with /expect, another version is a failure of its own.
int CommandLineRun::Verify(UpdaterApp& app) {
    VerifyResult result;
    {
        int status = 0;
        const PortId port = ChoosePort(app, status);
        if (status != 0) {
            return status;
        }
        ConsoleProgress progress(output_);
        result = RunVerify(app.Ports(), app.Diag(), port, progress);
    }
    const int status = VerifyStatus(result, request_.expect);
    if (result.outcome == VerifyOutcome::Verified) {
        output_.Print(VerifyReadings(result));
    } else {
        output_.Print(fw::LoadResString(VerifyResultMessage(result)));
    }
    if (status == IDS_VERSION_NOT_EXPECTED) {
        output_.Print(Format(IDS_VERSION_NOT_EXPECTED, VersionText(result), request_.expect));
    }
    return status;
}

// The port list as the window's list reads, top to bottom, from the same calls (each item goes
// to the list's top there); then the port auto selection finds.
int CommandLineRun::List(UpdaterApp& app) {
    SpoolerPorts spooler;
    std::vector<std::string> names;
    std::vector<std::string> items;
    if (ReadCandidatePorts(spooler, names) == PortListRead::Fetched) {
        for (const std::string& name : names) {
            items.push_back(MakePortListEntry(app.Ports(), name, true).text);
        }
    }
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        output_.Print(*item);
    }
    const PortId found = DetectPrinter(spooler, app.Ports());
    for (const std::string& name : names) {
        if (found != 0 && found != NoPrinterFound && PortIdFromText(name.c_str()) == found) {
            output_.Print(fw::LoadResString(IDS_AUTO_SELECTION) + ": " + name);
            return 0;
        }
    }
    output_.Print(fw::LoadResString(IDS_AUTO_FINDS_NONE));
    return 0;
}

} // namespace cli
