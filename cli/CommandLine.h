// The command line of an unattended run: its arguments, and the operation they ask for.
#pragma once

#include <string>
#include <vector>

namespace cli {

enum class Operation {
    // No argument: the program is its window.
    Window,
    Update,
    Verify,
    List,
    // /?: the usage text, and success.
    Usage,
    // Arguments that cannot be understood: the usage text, and a failure.
    Invalid,
};

struct Request {
    Operation operation = Operation::Window;
    // The port's name as given; empty for auto selection.
    std::wstring port;
    // The NVM version that /expect asks for, as Verify shows one ("1.01.06"); empty for none.
    std::string expect;
    // The log file; empty for none.
    std::wstring log;
    // For Invalid: the argument that could not be understood, or what was missing.
    std::wstring problem;
};

// The arguments of commandLine, split by the rules of the C run-time's start-up code: the first
// is the program's path, taken up to its closing quote or first blank with no escapes.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// The request of arguments (the program's path first, not read).
Request ParseArguments(const std::vector<std::wstring>& arguments);

// text as an NVM version written as Verify shows one: three numbers of 0 to 255, the last two
// with at least two digits ("1.01.06"). False for anything else.
bool IsVersionText(const std::wstring& text);

} // namespace cli
