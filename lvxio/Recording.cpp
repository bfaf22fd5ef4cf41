#include "lvxio/Recording.h"

#include "lvxio/ByteText.h"
#include "lvxio/Crc32.h"

#include <charconv>
#include <system_error>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lvxio {

namespace {

// Value of key in a key/value list, or empty.
std::string valueOf(const std::vector<std::pair<std::string, std::string>>& list,
                    const std::string& key) {
    const auto found =
        std::find_if(list.begin(), list.end(), [&](const auto& item) { return item.first == key; });
    return found == list.end() ? std::string() : found->second;
}

// " key=value" for each item.
std::string joined(const std::vector<std::pair<std::string, std::string>>& list) {
    std::string text;
    for (const auto& [key, value] : list) {
        text += " " + key + "=" + value;
    }
    return text;
}

// Reads "key=value" tokens (a value may be a quoted string) until "->" or the end.
bool readPairs(const std::string& text, std::size_t& pos,
               std::vector<std::pair<std::string, std::string>>& list, std::string& why) {
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        if (pos >= text.size() || text.compare(pos, 2, "->") == 0) {
            return true;
        }
        const std::size_t equals = text.find('=', pos);
        const std::size_t space = text.find(' ', pos);
        if (equals == std::string::npos || (space != std::string::npos && space < equals)) {
            why = "expected key=value at column " + std::to_string(pos + 1);
            return false;
        }
        const std::string key = text.substr(pos, equals - pos);
        pos = equals + 1;
        std::string value;
        if (pos < text.size() && text[pos] == '"') {
            const std::size_t start = pos;
            std::string bytes;
            if (!text::unquote(text, pos, bytes)) {
                why = "bad quoted value of " + key;
                return false;
            }
            value = text.substr(start, pos - start);
        } else {
            const std::size_t end = std::min(text.find(' ', pos), text.size());
            value = text.substr(pos, end - pos);
            pos = end;
        }
        list.emplace_back(key, value);
    }
    return true;
}

// The next space-separated word.
std::string word(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    const std::size_t end = std::min(text.find(' ', pos), text.size());
    std::string w = text.substr(pos, end - pos);
    pos = end;
    return w;
}

// Exactly digits hex digits into a 32-bit value.
bool parseHexWidth(std::string_view text, std::size_t digits, uint32_t& value) {
    return text.size() == digits && text::parseNumber(text, value, 16);
}

// Whether all of value is a number of T's width in base.
template <class T> bool fits(const std::string& value, int base = 10) {
    T parsed{};
    return text::parseNumber(value, parsed, base);
}

// Whether value is of the kind its key holds, in the width of the field it came from.
bool validValue(const std::string& key, const std::string& value) {
    std::string bytes;
    if (key == "port") {
        return fits<uint16_t>(value);
    }
    if (key == "detail") {
        return fits<int16_t>(value);
    }
    if (key == "flag") {
        return value.size() == 2 && fits<uint8_t>(value, 16);
    }
    if (key == "crc") {
        return value.size() == 8 && fits<uint32_t>(value, 16);
    }
    if (key == "data" || key == "head" || key == "tail") {
        return value == "null" || text::fromHex(value, bytes);
    }
    if (key == "text") {
        std::size_t pos = 0;
        return text::unquote(value, pos, bytes) && pos == value.size();
    }
    if (key == MissingKey) {
        return value == "1";
    }
    // count, size, the time-outs, type, sent, got.
    return fits<uint32_t>(value);
}

// Every key must be one the entry point records, with a value of its kind.
bool validPairs(const std::vector<std::pair<std::string, std::string>>& list,
                bool (EntryPoint::*known)(std::string_view) const, const EntryPoint& entry,
                std::string& why) {
    for (const auto& [key, value] : list) {
        if (!(entry.*known)(key)) {
            why = std::string(entry.name) + " records no " + key;
            return false;
        }
        if (!validValue(key, value)) {
            why = "bad value of " + key + ": " + value;
            return false;
        }
    }
    return true;
}

} // namespace

std::string RecordedCall::arg(const std::string& key) const {
    return valueOf(args, key);
}

std::string RecordedCall::output(const std::string& key) const {
    return valueOf(outputs, key);
}

bool RecordedCall::hasOutput(const std::string& key) const {
    return std::any_of(outputs.begin(), outputs.end(),
                       [&](const auto& item) { return item.first == key; });
}

// A command is kept whole so a divergence shows its bytes; a piece of the data file is not,
// so that a large update makes a small recording.
std::vector<std::pair<std::string, std::string>> Recording::sendArgs(const void* data,
                                                                     uint32_t count) {
    std::vector<std::pair<std::string, std::string>> args{{"count", std::to_string(count)}};
    if (data == nullptr) {
        args.emplace_back("data", "null");
        return args;
    }
    const std::string_view bytes(static_cast<const char*>(data), count);
    if (count <= WholeSendLimit) {
        args.emplace_back("data", text::toHex(bytes));
        return args;
    }
    Crc32 crc;
    crc.update(data, count);
    char crcText[9];
    std::snprintf(crcText, sizeof crcText, "%08X", static_cast<unsigned>(crc.value()));
    args.emplace_back("crc", crcText);
    args.emplace_back("head", text::toHex(bytes.substr(0, PieceEdge)));
    args.emplace_back("tail", text::toHex(bytes.substr(count - PieceEdge)));
    return args;
}

// "   12.345 T0000002A SendByLvx count=9 data=... -> 0x00000001 flag=00".
std::string Recording::format(const RecordedCall& call) {
    char head[48];
    std::snprintf(head, sizeof head, "%9.3f T%08X ", call.millis,
                  static_cast<unsigned>(call.thread));
    char result[16];
    std::snprintf(result, sizeof result, "0x%08X", static_cast<unsigned>(call.result));
    return head + call.entry + joined(call.args) + " -> " + result + joined(call.outputs);
}

RecordedCall Recording::call(const EntryPoint& entry, std::vector<std::string> argValues) {
    RecordedCall made;
    made.entry = entry.name;
    for (std::size_t i = 0; i < argValues.size() && i < entry.args.size(); ++i) {
        made.args.emplace_back(entry.args[i], std::move(argValues[i]));
    }
    return made;
}

// A recording comes from a customer's machine: nothing in it is trusted.
bool Recording::parse(const std::string& text, RecordedCall& call, std::string& why) {
    call = RecordedCall{};
    std::size_t pos = 0;
    const std::string time = word(text, pos);
    const char* timeEnd = time.data() + time.size();
    const auto [stop, error] = std::from_chars(time.data(), timeEnd, call.millis);
    if (time.empty() || error != std::errc() || stop != timeEnd || !std::isfinite(call.millis) ||
        call.millis < 0) {
        why = "expected the time in milliseconds, a finite number not below 0";
        return false;
    }
    const std::string thread = word(text, pos);
    if (thread.size() < 2 || thread.size() > 9 || thread[0] != 'T' ||
        !text::parseNumber(std::string_view(thread).substr(1), call.thread, 16)) {
        why = "expected the thread as T and up to eight hex digits";
        return false;
    }
    call.entry = word(text, pos);
    const EntryPoint* entry = findEntryPoint(call.entry);
    if (entry == nullptr) {
        why = call.entry.empty() ? "expected the entry point" : "unknown entry point " + call.entry;
        return false;
    }
    if (!readPairs(text, pos, call.args, why) ||
        !validPairs(call.args, &EntryPoint::hasArg, *entry, why)) {
        return false;
    }
    if (text.compare(pos, 2, "->") != 0) {
        why = "expected -> and the result";
        return false;
    }
    pos += 2;
    const std::string result = word(text, pos);
    if (result.size() != 10 || result.compare(0, 2, "0x") != 0 ||
        !parseHexWidth(std::string_view(result).substr(2), 8, call.result)) {
        why = "expected the result as 0x and eight hex digits";
        return false;
    }
    return readPairs(text, pos, call.outputs, why) &&
           validPairs(call.outputs, &EntryPoint::hasOutput, *entry, why);
}

std::vector<RecordedCall> Recording::parseAll(const std::string& text,
                                              std::vector<std::string>& problems) {
    std::vector<RecordedCall> calls;
    const std::vector<std::string> lines = text::lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == '#') {
            continue;
        }
        RecordedCall parsed;
        std::string why;
        if (!parse(line, parsed, why)) {
            problems.push_back("line " + std::to_string(i + 1) + ": " + why);
            continue;
        }
        parsed.line = i + 1;
        calls.push_back(std::move(parsed));
    }
    return calls;
}

std::string Recording::describe(const RecordedCall& call) {
    return call.entry + joined(call.args);
}

bool Recording::isPiece(const RecordedCall& call) {
    return !call.arg("crc").empty();
}

std::string Recording::portsLine(const std::vector<std::string>& names) {
    std::string line = PortsLine;
    for (const std::string& name : names) {
        line += " " + text::quote(name);
    }
    return line;
}

bool Recording::ports(const std::string& text, std::vector<std::string>& names,
                      std::vector<std::string>& problems) {
    const std::vector<std::string> lines = text::lines(text);
    const std::string prefix = std::string(PortsLine) + " ";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line != PortsLine && line.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        names.clear();
        std::size_t pos = std::char_traits<char>::length(PortsLine);
        while (pos < line.size()) {
            std::string name;
            if (line[pos] != ' ' || !text::unquote(line, ++pos, name)) {
                problems.push_back("line " + std::to_string(i + 1) +
                                   ": expected the port names, each in quotes");
                return false;
            }
            names.push_back(name);
        }
        return true;
    }
    return false;
}

} // namespace lvxio
