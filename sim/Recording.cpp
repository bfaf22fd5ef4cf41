#include "sim/Recording.h"

#include "sim/ByteText.h"
#include "sim/Crc32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace lvxsim {

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

// Parses a whole hex number.
bool parseHex32(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    value = static_cast<uint32_t>(v);
    return end != nullptr && *end == '\0';
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

bool Recording::parse(const std::string& text, RecordedCall& call, std::string& why) {
    call = RecordedCall{};
    std::size_t pos = 0;
    const std::string time = word(text, pos);
    char* end = nullptr;
    call.millis = std::strtod(time.c_str(), &end);
    if (time.empty() || end == nullptr || *end != '\0') {
        why = "expected the time in milliseconds";
        return false;
    }
    const std::string thread = word(text, pos);
    if (thread.size() < 2 || thread[0] != 'T' || !parseHex32(thread.substr(1), call.thread)) {
        why = "expected the thread as T and hex digits";
        return false;
    }
    call.entry = word(text, pos);
    if (call.entry.empty() || !readPairs(text, pos, call.args, why)) {
        why = why.empty() ? "expected the entry point" : why;
        return false;
    }
    if (text.compare(pos, 2, "->") != 0) {
        why = "expected -> and the result";
        return false;
    }
    pos += 2;
    const std::string result = word(text, pos);
    if (result.size() != 10 || result.compare(0, 2, "0x") != 0 ||
        !parseHex32(result.substr(2), call.result)) {
        why = "expected the result as 0x and eight hex digits";
        return false;
    }
    return readPairs(text, pos, call.outputs, why);
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
        RecordedCall call;
        std::string why;
        if (!parse(line, call, why)) {
            problems.push_back("line " + std::to_string(i + 1) + ": " + why);
            continue;
        }
        call.line = i + 1;
        calls.push_back(std::move(call));
    }
    return calls;
}

std::string Recording::describe(const RecordedCall& call) {
    return call.entry + joined(call.args);
}

bool Recording::isPiece(const RecordedCall& call) {
    return !call.arg("crc").empty();
}

// Port detection opens ports too, but only checks the device: Verify reads its ID and enters
// the language, Update sends the data file.
std::vector<std::string> Recording::operations(const std::vector<RecordedCall>& calls) {
    // "@ZKL ENTER" in hex.
    static const std::string enter = text::toHex("@ZKL ENTER");
    std::vector<std::string> found;
    std::string current;
    for (const RecordedCall& call : calls) {
        if (call.entry == "PortOpenByLvx") {
            current.clear();
            continue;
        }
        if (!current.empty()) {
            continue;
        }
        if (call.entry == "SendByLvx" && isPiece(call)) {
            current = "update";
        } else if (call.entry == "GetDeviceIDByLvx" ||
                   (call.entry == "SendByLvx" &&
                    call.arg("data").find(enter) != std::string::npos)) {
            current = "verify";
        }
        if (!current.empty()) {
            found.push_back(current);
        }
    }
    return found;
}

} // namespace lvxsim
