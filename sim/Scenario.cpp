#include "sim/Scenario.h"

#include "portlib/LorvexApi.h"
#include "lvxio/ByteText.h"

#include <algorithm>
#include <iterator>
#include <cctype>

namespace lvxsim {

namespace {

// One piece of a scenario line.
struct Token {
    bool quoted = false;
    std::string text;
};

// The key, the optional subject and the values of one "key [subject] = values" line.
struct Line {
    std::string key;
    std::optional<Token> subject;
    std::vector<Token> values;
};

// Lower-case copy, for case-blind keywords.
std::string lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// Splits a line into words, quoted strings and '='; '#' outside quotes starts a comment.
bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& problem) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '=') {
            tokens.push_back({false, "="});
            ++i;
        } else if (c == '"') {
            Token t{true, {}};
            if (!lvxio::text::unquote(line, i, t.text)) {
                problem = "bad quoted string";
                return false;
            }
            tokens.push_back(std::move(t));
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '=' && line[i] != '"') {
                ++i;
            }
            tokens.push_back({false, line.substr(start, i - start)});
        }
    }
    return true;
}

// Groups tokens as "key [subject] = values".
bool splitLine(const std::vector<Token>& tokens, Line& line, std::string& problem) {
    std::size_t eq = 0;
    while (eq < tokens.size() && (tokens[eq].quoted || tokens[eq].text != "=")) {
        ++eq;
    }
    if (eq == tokens.size() || eq == 0 || eq > 2 || tokens[0].quoted) {
        problem = "expected: key [subject] = value";
        return false;
    }
    line.key = lower(tokens[0].text);
    if (eq == 2) {
        line.subject = tokens[1];
    }
    line.values.assign(tokens.begin() + static_cast<std::ptrdiff_t>(eq) + 1, tokens.end());
    return true;
}

// An integer within [low, high].
bool integerIn(const Token& t, long long low, long long high, long long& value) {
    return !t.quoted && lvxio::text::parseInteger(t.text, value) && value >= low && value <= high;
}

// "CODE [DETAIL]" from values[first...].
bool parseOutcome(const std::vector<Token>& values, std::size_t first, Outcome& outcome) {
    long long code = 0;
    long long detail = 0;
    if (values.size() < first + 1 || values.size() > first + 2 ||
        !integerIn(values[first], -32768, 0xFFFF, code)) {
        return false;
    }
    if (values.size() == first + 2 && !integerIn(values[first + 1], -32768, 32767, detail)) {
        return false;
    }
    outcome.code = static_cast<uint16_t>(code & 0xFFFF);
    outcome.detail = static_cast<int16_t>(detail);
    return true;
}

// A 32-bit count from a single value token.
bool parseCount(const Token& t, uint32_t& value) {
    long long v = 0;
    if (!integerIn(t, 0, 0xFFFFFFFFLL, v)) {
        return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// `"bytes"` | `timeout ["bytes"]` | `fail CODE [DETAIL]`.
bool parseReply(const std::vector<Token>& values, ReplyRule& rule) {
    if (values.size() == 1 && values[0].quoted) {
        rule.kind = ReplyRule::Kind::Reply;
        rule.bytes = values[0].text;
        return true;
    }
    if (values.empty() || values[0].quoted) {
        return false;
    }
    const std::string word = lower(values[0].text);
    if (word == "timeout" && values.size() <= 2) {
        rule.kind = ReplyRule::Kind::TimeOut;
        if (values.size() == 2) {
            if (!values[1].quoted) {
                return false;
            }
            rule.bytes = values[1].text;
        }
        return true;
    }
    if (word == "fail") {
        rule.kind = ReplyRule::Kind::Fail;
        return parseOutcome(values, 1, rule.failure);
    }
    return false;
}

// "N" or "N at M" for partial and overreport.
bool parseCountAt(const std::vector<Token>& values, uint32_t& count, uint32_t& atCall) {
    atCall = 0;
    if (values.size() == 1) {
        return parseCount(values[0], count);
    }
    return values.size() == 3 && parseCount(values[0], count) && !values[1].quoted &&
           lower(values[1].text) == "at" && parseCount(values[2], atCall) && atCall > 0;
}

// Applies a global (before any section) line.
bool applyGlobal(const Line& line, uint16_t& noPrinter, std::string& statePath,
                 ReplaySettings& replay) {
    if (line.subject || line.values.empty()) {
        return false;
    }
    if (line.key == "state" && line.values.size() == 1) {
        statePath = line.values[0].text;
        return true;
    }
    if (line.key == "replay" && line.values.size() == 1 && line.values[0].quoted) {
        replay.path = line.values[0].text;
        return true;
    }
    if (line.key == "replay.timing" && line.values.size() == 1) {
        long long on = 0;
        if (!integerIn(line.values[0], 0, 1, on)) {
            return false;
        }
        replay.timing = on == 1;
        return true;
    }
    if (line.key == "noprinter" && line.values.size() == 1) {
        long long code = 0;
        if (!integerIn(line.values[0], -32768, 0xFFFF, code)) {
            return false;
        }
        noPrinter = static_cast<uint16_t>(code & 0xFFFF);
        return true;
    }
    return false;
}

// Takes a trailing "WORD N" (N > 0) off values, if there is one.
bool takeTrailing(std::vector<Token>& values, const char* word, uint32_t& number, bool& malformed) {
    const std::size_t n = values.size();
    if (n < 3 || values[n - 2].quoted || lower(values[n - 2].text) != word) {
        return false;
    }
    malformed = !parseCount(values[n - 1], number) || number == 0;
    values.resize(n - 2);
    return true;
}

// True for one of the exported names, spelled exactly.
bool isEntryPoint(const std::string& name) {
    return std::any_of(std::begin(lvx::EntryPointNames), std::end(lvx::EntryPointNames),
                       [&](const char* entry) { return name == entry; });
}

// `fail ENTRY = CODE [DETAIL] [part N] [at N]` and `upper ENTRY = HHHH [at N]`.
bool applyCallRule(const Line& line, std::vector<CallRule>& rules) {
    if (!line.subject || line.subject->quoted || !isEntryPoint(line.subject->text)) {
        return false;
    }
    CallRule rule;
    rule.entry = line.subject->text;
    std::vector<Token> values = line.values;
    bool malformed = false;
    takeTrailing(values, "at", rule.atCall, malformed);
    if (malformed) {
        return false;
    }
    if (line.key == "upper") {
        long long upper = 0;
        rule.kind = CallRule::Kind::Upper;
        if (values.size() != 1 || !integerIn(values[0], 1, 0xFFFF, upper)) {
            return false;
        }
        rule.upper = static_cast<uint16_t>(upper);
    } else {
        rule.kind = CallRule::Kind::Fail;
        if (takeTrailing(values, "part", rule.deliver, malformed) &&
            (malformed || rule.entry != lvx::ReceiveName)) {
            return false;
        }
        if (!parseOutcome(values, 0, rule.outcome)) {
            return false;
        }
    }
    rules.push_back(rule);
    return true;
}

// Applies a key that names a reply or an NVM byte; these take a subject.
bool applySubjectKey(const Line& line, PrinterConfig& p) {
    const Token& subject = *line.subject;
    if (line.key == "nvm") {
        uint16_t address = 0;
        uint8_t value = 0;
        if (subject.quoted || !lvxio::text::parseHex16(subject.text, address) ||
            line.values.size() != 1 || !lvxio::text::parseHex8(line.values[0].text, value)) {
            return false;
        }
        p.nvm[address] = value;
        return true;
    }
    if (line.key == "reply") {
        ReplyRule rule;
        if (subject.quoted || !parseReply(line.values, rule)) {
            return false;
        }
        const std::string which = lower(subject.text);
        uint16_t address = 0;
        if (which == "version") {
            p.versionReply = rule;
        } else if (which == "all") {
            p.everyReceive = rule;
        } else if (lvxio::text::parseHex16(subject.text, address)) {
            p.addressReplies[address] = rule;
        } else {
            return false;
        }
        return true;
    }
    if (line.key == "sendfail") {
        SendFailRule rule;
        rule.prefix = subject.text;
        std::vector<Token> values = line.values;
        if (values.size() >= 3 && !values[values.size() - 2].quoted &&
            lower(values[values.size() - 2].text) == "at") {
            if (!parseCount(values.back(), rule.atMatch) || rule.atMatch == 0) {
                return false;
            }
            values.resize(values.size() - 2);
        }
        if (rule.prefix.empty() || !parseOutcome(values, 0, rule.outcome)) {
            return false;
        }
        p.sendFails.push_back(rule);
        return true;
    }
    return false;
}

// Applies one printer line.
bool applyPrinter(const Line& line, PrinterConfig& p) {
    if (line.subject) {
        return applySubjectKey(line, p);
    }
    const auto& v = line.values;
    const std::string& k = line.key;
    if (k == "open") {
        return parseOutcome(v, 0, p.open);
    }
    if (k == "check") {
        return parseOutcome(v, 0, p.check);
    }
    if (k == "model.result") {
        return parseOutcome(v, 0, p.modelResult);
    }
    if (k == "deviceid.result") {
        return parseOutcome(v, 0, p.deviceIdResult);
    }
    if ((k == "model" || k == "deviceid") && v.size() == 1) {
        (k == "model" ? p.model : p.deviceId) = v[0].text;
        return true;
    }
    if (k == "version" && v.size() == 1) {
        return NvmImage::parseVersion(v[0].text, p.version);
    }
    if ((k == "rate" || k == "latency") && v.size() == 1) {
        return parseCount(v[0], k == "rate" ? p.rate : p.latencyMs);
    }
    if (k == "flag" && v.size() == 1) {
        long long flag = 0;
        if (!integerIn(v[0], 0, 255, flag)) {
            return false;
        }
        p.flag = static_cast<uint8_t>(flag);
        return true;
    }
    if (k == "partial") {
        PartialRule rule;
        if (!parseCountAt(v, rule.accept, rule.atCall)) {
            return false;
        }
        p.partials.push_back(rule);
        return true;
    }
    if (k == "overreport") {
        OverReportRule rule;
        if (!parseCountAt(v, rule.extra, rule.atCall) || rule.extra == 0) {
            return false;
        }
        p.overReports.push_back(rule);
        return true;
    }
    if (k == "incomplete" && v.size() == 1) {
        uint32_t call = 0;
        if (!parseCount(v[0], call) || call == 0) {
            return false;
        }
        p.incompleteCalls.push_back(call);
        return true;
    }
    if (k == "stall" && (v.size() == 1 || v.size() == 3)) {
        StallRule rule;
        if (lower(v[0].text) != "forever" && (!parseCount(v[0], rule.calls) || rule.calls == 0)) {
            return false;
        }
        if (v.size() == 3 && (lower(v[1].text) != "from" || !parseCount(v[2], rule.fromCall) ||
                              rule.fromCall == 0)) {
            return false;
        }
        p.stall = rule;
        return true;
    }
    if (k == "hardfail" && v.size() >= 2) {
        HardFailRule rule;
        long long after = 0;
        if (!integerIn(v[0], 0, 0xFFFFFFFFLL, after) || !parseOutcome(v, 1, rule.outcome)) {
            return false;
        }
        rule.afterByte = static_cast<uint64_t>(after);
        p.hardFail = rule;
        return true;
    }
    return false;
}

} // namespace

// One default printer on LPT1:.
Scenario Scenario::defaults() {
    Scenario s;
    PrinterConfig p;
    p.port = 1152;
    s.printers_[p.port] = p;
    return s;
}

// Parses the text line by line; unusable lines are skipped and described.
Scenario Scenario::parse(const std::string& text, std::vector<std::string>& problems) {
    Scenario s;
    PrinterConfig* current = nullptr;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const std::size_t first = raw.find_first_not_of(" \t\r");
        if (first == std::string::npos || raw[first] == '#') {
            continue;
        }
        const std::string where = "line " + std::to_string(number) + ": ";
        if (raw[first] == '[') {
            const std::size_t close = raw.find(']', first);
            const PortId port = close == std::string::npos
                                    ? 0
                                    : parsePortName(raw.substr(first + 1, close - first - 1));
            if (port == 0) {
                problems.push_back(where + "bad port section");
                current = nullptr;
                continue;
            }
            auto [it, added] = s.printers_.try_emplace(port);
            if (added) {
                it->second.port = port;
            }
            current = &it->second;
            continue;
        }
        std::vector<Token> tokens;
        std::string problem;
        Line line;
        if (!tokenize(raw, tokens, problem) || !splitLine(tokens, line, problem)) {
            problems.push_back(where + problem);
            continue;
        }
        const bool callRule = line.key == "fail" || line.key == "upper";
        bool applied = false;
        if (current != nullptr) {
            applied = applyPrinter(line, *current);
        } else if (callRule) {
            applied = applyCallRule(line, s.callRules_);
        } else {
            applied = applyGlobal(line, s.noPrinter_, s.statePath_, s.replay_);
        }
        if (!applied) {
            problems.push_back(where + "cannot use '" + line.key + "' here or its value");
        }
    }
    return s;
}

// The printer on port, or null.
const PrinterConfig* Scenario::printer(PortId port) const {
    const auto it = printers_.find(port);
    return it == printers_.end() ? nullptr : &it->second;
}

// LPTn is 1151 + n, USBn is 1024 + n; a plain number is taken as it is.
PortId Scenario::parsePortName(const std::string& name) {
    const std::string n = lower(name);
    long long value = 0;
    if (n.size() > 3 && n.compare(0, 3, "lpt") == 0 &&
        lvxio::text::parseInteger(n.substr(3), value) && value >= 1 && value <= 99) {
        return static_cast<PortId>(1151 + value);
    }
    if (n.size() > 3 && n.compare(0, 3, "usb") == 0 &&
        lvxio::text::parseInteger(n.substr(3), value) && value >= 1 && value <= 126) {
        return static_cast<PortId>(1024 + value);
    }
    if (lvxio::text::parseInteger(n, value) && value >= 1 && value <= 0xFFFF) {
        return static_cast<PortId>(value);
    }
    return 0;
}

} // namespace lvxsim
