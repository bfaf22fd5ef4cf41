// The command line through its functions: how a line splits into arguments, what the arguments
// ask for, and the exit status of every outcome.
#include "cli/CommandLine.h"
#include "cli/Status.h"
#include "res/resource.h"
#include "update/UpdateWorker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using cli::Operation;

// The C run-time's own examples, and the program's path taken without escapes.
TEST(CommandLine, SplitsAsTheRunTimeDoes) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    };
    const Case cases[] = {
        {L"\"C:\\a b\\Corvane.exe\" \"a b c\" d e",
         {L"C:\\a b\\Corvane.exe", L"a b c", L"d", L"e"}},
        {L"p \"ab\\\"c\" \"\\\\\" d", {L"p", L"ab\"c", L"\\", L"d"}},
        {L"p a\\\\\\b d\"e f\"g h", {L"p", L"a\\\\\\b", L"de fg", L"h"}},
        {L"p a\\\\\\\"b c d", {L"p", L"a\\\"b", L"c", L"d"}},
        {L"p a\\\\\\\\\"b c\" d e", {L"p", L"a\\\\b c", L"d", L"e"}},
        {L"p \"a\"\"b\" \"\"", {L"p", L"a\"b", L""}},
        {L"C:\\x\\\"y.exe\t /log  \"C:\\Журнал\\run.log\"  ",
         {L"C:\\x\\\"y.exe", L"/log", L"C:\\Журнал\\run.log"}},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(cli::SplitCommandLine(each.line), each.arguments)
            << std::wstring(each.line).size();
    }
}

// One row per command line: what it asks for, or that it cannot be understood.
TEST(CommandLine, ParsesWhatEachLineAsksFor) {
    struct Case {
        const wchar_t* line;
        Operation operation;
        const wchar_t* port;
        const char* expect;
        const wchar_t* log;
    };
    const Case cases[] = {
        {L"Corvane.exe", Operation::Window, L"", "", L""},
        {L"Corvane.exe /update", Operation::Update, L"", "", L""},
        {L"Corvane.exe -UPDATE /Port USB001 /LOG \"C:\\т м\\a.log\"", Operation::Update, L"USB001",
         "", L"C:\\т м\\a.log"},
        {L"Corvane.exe /port auto /update", Operation::Update, L"", "", L""},
        {L"Corvane.exe /port lpt1 /verify /expect 1.01.06", Operation::Verify, L"lpt1", "1.01.06",
         L""},
        {L"Corvane.exe /verify /expect 255.255.00", Operation::Verify, L"", "255.255.00", L""},
        {L"Corvane.exe /list /log x.log", Operation::List, L"", "", L"x.log"},
        {L"Corvane.exe /?", Operation::Usage, L"", "", L""},
        {L"Corvane.exe /update -? /bogus", Operation::Usage, L"", "", L""},
        {L"Corvane.exe /bogus", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe update", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /port USB001", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /verify", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /update", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /port", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /port \"\"", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /log a /log b", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /list /port USB001", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /update /expect 1.01.06", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /verify /expect 1.1.6", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /verify /expect 1.01.256", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /verify /expect 1.01.06x", Operation::Invalid, L"", "", L""},
        {L"Corvane.exe /", Operation::Invalid, L"", "", L""},
    };
    for (const Case& each : cases) {
        const cli::Request request = cli::ParseArguments(cli::SplitCommandLine(each.line));
        SCOPED_TRACE(testing::Message() << "line " << (&each - cases));
        EXPECT_EQ(request.operation, each.operation);
        if (each.operation != Operation::Invalid) {
            EXPECT_EQ(request.port, each.port);
            EXPECT_EQ(request.expect, each.expect);
            EXPECT_EQ(request.log, each.log);
        }
    }
}

// Every outcome's status is its message's id, below 256; success is 0.
TEST(CommandLine, EachOutcomeHasItsMessagesStatus) {
    struct UpdateCase {
        int32_t result;
        int status;
    };
    const UpdateCase updates[] = {
        {PortOk, 0},
        {UpdateFileNotFound, IDS_FILE_NOT_FOUND},
        {UpdateFileInUse, IDS_FILE_IN_USE},
        {UpdateFileEmpty, IDS_FILE_EMPTY},
        {UpdateReadFailed, IDS_FILE_UNREADABLE},
        {UpdateFileChanged, IDS_FILE_CHANGED},
        {UpdateCancelled, IDS_UPDATE_STOPPED},
        {UpdateNoThread, IDS_NO_THREAD},
        {UpdateNoMemory, IDS_COMM_ERROR},
        {UpdateSentSizeInvalid, IDS_COMM_ERROR},
        {PortIoError, IDS_COMM_ERROR},
        {PortNoLibrary, IDS_COMM_ERROR},
        {259, IDS_COMM_ERROR},
    };
    for (const UpdateCase& each : updates) {
        EXPECT_EQ(cli::UpdateStatus(each.result), each.status) << each.result;
        EXPECT_LT(each.status, 256);
    }
    VerifyResult read;
    read.outcome = VerifyOutcome::Verified;
    read.version[0] = 1;
    read.version[1] = 1;
    read.version[2] = 6;
    VerifyResult noKeyword;
    noKeyword.outcome = VerifyOutcome::NoKeyword;
    const VerifyResult failed;
    struct VerifyCase {
        const VerifyResult* result;
        const char* expect;
        int status;
    };
    const VerifyCase verifies[] = {
        {&read, "", 0},
        {&read, "1.01.06", 0},
        {&read, "1.01.05", IDS_VERSION_NOT_EXPECTED},
        {&noKeyword, "", IDS_NO_ZKL},
        {&noKeyword, "1.01.06", IDS_NO_ZKL},
        {&failed, "1.01.06", IDS_COMM_ERROR},
    };
    for (const VerifyCase& each : verifies) {
        EXPECT_EQ(cli::VerifyStatus(*each.result, each.expect), each.status) << each.expect;
    }
    EXPECT_EQ(cli::VersionText(read), "1.01.06");
    for (const int status :
         {IDS_VERSION_NOT_EXPECTED, IDS_LOG_NOT_OPENED, IDS_NO_SUCH_PORT, IDS_NO_LIBRARY,
          IDS_PORTS_IN_USE, IDS_PORTS_LOCK_FOREIGN, cli::UsageStatus}) {
        EXPECT_LT(status, 256);
    }
}

} // namespace
