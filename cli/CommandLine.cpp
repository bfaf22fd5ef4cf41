#include "cli/CommandLine.h"

#include <cstdio>
#include <cwchar>

namespace cli {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// What an option asks for; Value options take the argument that follows them.
enum class Option { Unknown, Help, Update, Verify, List, Port, Expect, Log };

struct OptionName {
    const wchar_t* name;
    Option option;
};

constexpr OptionName OptionNames[] = {
    {L"?", Option::Help},    {L"update", Option::Update}, {L"verify", Option::Verify},
    {L"list", Option::List}, {L"port", Option::Port},     {L"expect", Option::Expect},
    {L"log", Option::Log},
};

// "/name" or "-name", case-insensitive.
Option OptionOf(const std::wstring& argument) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return Option::Unknown;
    }
    for (const OptionName& each : OptionNames) {
        if (_wcsicmp(argument.c_str() + 1, each.name) == 0) {
            return each.option;
        }
    }
    return Option::Unknown;
}

Request Invalid(const std::wstring& problem) {
    Request request;
    request.operation = Operation::Invalid;
    request.problem = problem;
    return request;
}

// The program's path: up to the closing quote, or to the first blank, with no escapes. Gives
// where the arguments begin.
const wchar_t* ReadProgramPath(const wchar_t* at, std::wstring& path) {
    while (IsBlank(*at)) {
        ++at;
    }
    const bool quoted = *at == L'"';
    const wchar_t* begin = quoted ? at + 1 : at;
    const wchar_t* end = begin;
    while (*end != L'\0' && (quoted ? *end != L'"' : !IsBlank(*end))) {
        ++end;
    }
    path.assign(begin, end);
    return quoted && *end == L'"' ? end + 1 : end;
}

} // namespace

// 2n backslashes before a quote give n and the quote opens or closes a quoted part; 2n + 1 give
// n and a quote of the argument; backslashes before anything else are themselves. Inside a
// quoted part two quotes give one.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    if (commandLine == nullptr) {
        return arguments;
    }
    std::wstring program;
    const wchar_t* at = ReadProgramPath(commandLine, program);
    arguments.push_back(program);
    for (;;) {
        while (IsBlank(*at)) {
            ++at;
        }
        if (*at == L'\0') {
            return arguments;
        }
        std::wstring argument;
        bool quoted = false;
        while (*at != L'\0' && (quoted || !IsBlank(*at))) {
            std::size_t backslashes = 0;
            while (*at == L'\\') {
                ++backslashes;
                ++at;
            }
            if (*at != L'"') {
                argument.append(backslashes, L'\\');
                if (*at != L'\0' && (quoted || !IsBlank(*at))) {
                    argument += *at++;
                }
                continue;
            }
            argument.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                argument += L'"';
            } else if (quoted && at[1] == L'"') {
                argument += L'"';
                ++at;
            } else {
                quoted = !quoted;
            }
            ++at;
        }
        arguments.push_back(argument);
    }
}

// Options come in any order; each at most once, and one operation in all. /? anywhere asks
// for the usage alone.
Request ParseArguments(const std::vector<std::wstring>& arguments) {
    Request request;
    if (arguments.size() <= 1) {
        return request;
    }
    bool help = false;
    bool portGiven = false;
    bool expectGiven = false;
    bool logGiven = false;
    Request invalid;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const Option option = OptionOf(argument);
        if (option == Option::Help) {
            help = true;
            continue;
        }
        if (invalid.operation == Operation::Invalid) {
            continue;
        }
        Operation operation = Operation::Window;
        switch (option) {
        case Option::Update:
            operation = Operation::Update;
            break;
        case Option::Verify:
            operation = Operation::Verify;
            break;
        case Option::List:
            operation = Operation::List;
            break;
        case Option::Port:
        case Option::Expect:
        case Option::Log: {
            bool& given = option == Option::Port     ? portGiven
                          : option == Option::Expect ? expectGiven
                                                     : logGiven;
            if (given || i + 1 == arguments.size() || arguments[i + 1].empty()) {
                invalid = Invalid(argument);
                continue;
            }
            given = true;
            const std::wstring& value = arguments[++i];
            if (option == Option::Port) {
                request.port = _wcsicmp(value.c_str(), L"auto") == 0 ? std::wstring() : value;
            } else if (option == Option::Log) {
                request.log = value;
            } else if (IsVersionText(value)) {
                request.expect.assign(value.begin(), value.end());
            } else {
                invalid = Invalid(value);
            }
            continue;
        }
        case Option::Help:
        case Option::Unknown:
            invalid = Invalid(argument);
            continue;
        }
        if (request.operation != Operation::Window) {
            invalid = Invalid(argument);
            continue;
        }
        request.operation = operation;
    }
    if (help) {
        Request usage;
        usage.operation = Operation::Usage;
        return usage;
    }
    if (invalid.operation == Operation::Invalid) {
        return invalid;
    }
    if (request.operation == Operation::Window) {
        return Invalid(L"no /update, /verify or /list");
    }
    if ((portGiven && request.operation == Operation::List) ||
        (expectGiven && request.operation != Operation::Verify)) {
        return Invalid(portGiven && request.operation == Operation::List ? L"/port" : L"/expect");
    }
    return request;
}

// Read back through Verify's own format, so only what Verify could show passes.
bool IsVersionText(const std::wstring& text) {
    if (text.empty() || text.size() > 11 ||
        text.find_first_not_of(L"0123456789.") != std::wstring::npos) {
        return false;
    }
    const std::string narrow(text.begin(), text.end());
    unsigned int parts[3] = {};
    char rest = '\0';
    if (std::sscanf(narrow.c_str(), "%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &rest) != 3) {
        return false;
    }
    for (const unsigned int part : parts) {
        if (part > 255) {
            return false;
        }
    }
    char shown[16] = {};
    std::snprintf(shown, sizeof shown, "%u.%02u.%02u", parts[0], parts[1], parts[2]);
    return narrow == shown;
}

} // namespace cli
