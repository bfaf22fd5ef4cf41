#include "sim/PrinterSession.h"

#include "portlib/PortTypes.h"
#include "lvxio/ByteText.h"

#include <algorithm>
#include <cstring>

namespace lvxsim {

namespace {

// Longest line kept inside the language; a real command is far shorter.
constexpr std::size_t MaxLineLength = 256;

// True when data[0..size) starts with prefix.
bool startsWith(const uint8_t* data, std::size_t size, std::string_view prefix) {
    return size >= prefix.size() && std::memcmp(data, prefix.data(), prefix.size()) == 0;
}

// True for "00".."FF" in upper case only, as the printer expects.
bool isUpperHexPair(const std::string& s, std::size_t at) {
    for (std::size_t i = at; i < at + 2; ++i) {
        const char c = s[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

// The send-incomplete outcome.
Outcome incomplete() {
    return {static_cast<uint16_t>(PortIoError), IoDetailSendIncomplete};
}

} // namespace

// Starts a session with the printer's configuration and current NVM version.
PrinterSession::PrinterSession(const PrinterConfig& config, const NvmVersion& version)
    : config_(config), version_(version), sendFailMatches_(config.sendFails.size(), 0) {}

// Commands pass whole; other data goes through the transfer rules first.
PrinterSession::SendResult PrinterSession::send(const uint8_t* data, uint32_t count) {
    SendResult result;
    const SendFailRule* failing = nullptr;
    for (std::size_t i = 0; i < config_.sendFails.size(); ++i) {
        const SendFailRule& rule = config_.sendFails[i];
        if (startsWith(data, count, rule.prefix) &&
            (++sendFailMatches_[i] == rule.atMatch || rule.atMatch == 0) && failing == nullptr) {
            failing = &rule;
        }
    }
    if (failing != nullptr) {
        result.outcome = failing->outcome;
        result.notes.push_back("sendfail rule " + lvxio::text::quote(failing->prefix) + " matched");
        return result;
    }
    const bool isCommand = inLanguage_ || startsWith(data, count, Prefix) ||
                           (prefixSeen_ && startsWith(data, count, EnterDiag));
    if (isCommand || count == 0) {
        result.accepted = count;
        result.reported = count;
    } else {
        applyTransferRules(count, result);
    }
    process(data, result.accepted, result);
    return result;
}

// Stall, partial, hard failure and over-report, counted per session over data sends only.
void PrinterSession::applyTransferRules(uint32_t count, SendResult& result) {
    const uint32_t call = ++dataCalls_;
    const StallRule* stall = config_.stall ? &*config_.stall : nullptr;
    if (broken_) {
        result.outcome = config_.hardFail->outcome;
    } else if (stall != nullptr && call >= stall->fromCall &&
               (stall->calls == 0 || call - stall->fromCall < stall->calls)) {
        result.outcome = incomplete();
        result.notes.push_back("stalled data send " + std::to_string(call));
    } else {
        uint32_t limit = count;
        for (const PartialRule& rule : config_.partials) {
            if (rule.atCall == 0 || rule.atCall == call) {
                limit = std::min(limit, rule.accept);
            }
        }
        bool failing = false;
        if (config_.hardFail && dataBytes_ + limit > config_.hardFail->afterByte) {
            limit = static_cast<uint32_t>(config_.hardFail->afterByte - dataBytes_);
            failing = true;
        }
        result.accepted = limit;
        dataBytes_ += limit;
        if (failing) {
            broken_ = true;
            result.outcome = config_.hardFail->outcome;
            result.notes.push_back("hard failure after data byte " +
                                   std::to_string(config_.hardFail->afterByte));
        } else if (limit < count ||
                   std::find(config_.incompleteCalls.begin(), config_.incompleteCalls.end(),
                             call) != config_.incompleteCalls.end()) {
            result.outcome = incomplete();
        }
    }
    result.reported = result.accepted;
    for (const OverReportRule& rule : config_.overReports) {
        if (rule.atCall == 0 || rule.atCall == call) {
            const uint64_t over = static_cast<uint64_t>(count) + rule.extra;
            result.reported = static_cast<uint32_t>(std::min<uint64_t>(over, 0xFFFFFFFFu));
        }
    }
}

// Outside the language everything is data for the image watch, except the prefix and the
// ENTER command that must follow it; inside, bytes form CR LF-ended command lines.
void PrinterSession::process(const uint8_t* data, uint32_t size, SendResult& result) {
    std::size_t pos = 0;
    while (pos < size) {
        if (inLanguage_) {
            const char c = static_cast<char>(data[pos++]);
            if (c == '\n') {
                // Lines end at LF; only those ending in CR LF are well-formed commands.
                std::string line;
                line.swap(lineBuffer_);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                    command(line, result);
                } else {
                    result.notes.push_back("line without CR ignored: " + lvxio::text::quote(line));
                }
                continue;
            }
            lineBuffer_ += c;
            if (lineBuffer_.size() > MaxLineLength) {
                result.notes.push_back("overlong line dropped");
                lineBuffer_.clear();
            }
            continue;
        }
        const uint8_t* rest = data + pos;
        const std::size_t restSize = size - pos;
        std::size_t dataSize = restSize;
        if (startsWith(rest, restSize, Prefix)) {
            dataSize = Prefix.size();
            prefixSeen_ = true;
        } else if (prefixSeen_ && startsWith(rest, restSize, EnterDiag)) {
            if (image_.receiving()) {
                result.notes.push_back("image interrupted by ENTER");
            }
            image_.reset();
            prefixSeen_ = false;
            inLanguage_ = true;
            lineBuffer_.clear();
            result.notes.push_back("entered diagnostic language");
            pos += EnterDiag.size();
            continue;
        } else {
            prefixSeen_ = false;
        }
        switch (image_.feed(rest, dataSize)) {
        case ImageReceiver::Event::Started:
            result.notes.push_back("image started, version " +
                                   NvmImage::formatVersion(image_.version()));
            break;
        case ImageReceiver::Event::Completed:
            version_ = image_.version();
            result.updated = true;
            result.notes.push_back("image complete, NVM version now " +
                                   NvmImage::formatVersion(version_));
            break;
        case ImageReceiver::Event::Corrupt:
            result.notes.push_back("image checksum mismatch, NVM unchanged");
            break;
        case ImageReceiver::Event::None:
            break;
        }
        pos += dataSize;
    }
}

// The three commands of the language; anything else is ignored without a reply.
void PrinterSession::command(const std::string& line, SendResult& result) {
    if (line == "CD 5,2,E2,01") {
        queueReply("DIAG CD=E2,01," + lvxio::text::hex8(version_[0]) + "," +
                       lvxio::text::hex8(version_[1]) + "," + lvxio::text::hex8(version_[2]),
                   config_.versionReply ? &*config_.versionReply : nullptr);
        return;
    }
    if (line.size() == 15 && line.compare(0, 10, "CD 2,3,12,") == 0 && line[12] == ',' &&
        isUpperHexPair(line, 10) && isUpperHexPair(line, 13)) {
        uint8_t high = 0;
        uint8_t low = 0;
        lvxio::text::parseHex8(line.substr(10, 2), high);
        lvxio::text::parseHex8(line.substr(13, 2), low);
        const auto address = static_cast<uint16_t>(high << 8 | low);
        const auto known = config_.nvm.find(address);
        if (known == config_.nvm.end()) {
            result.notes.push_back("read of unset NVM address " + lvxio::text::hex16(address));
        }
        const uint8_t value = known == config_.nvm.end() ? 0 : known->second;
        const auto override = config_.addressReplies.find(address);
        queueReply("DIAG CD=12," + lvxio::text::hex8(value),
                   override == config_.addressReplies.end() ? nullptr : &override->second);
        return;
    }
    if (line == "ED") {
        inLanguage_ = false;
        result.notes.push_back("left diagnostic language");
        return;
    }
    result.notes.push_back("unknown command ignored: " + lvxio::text::quote(line));
}

// Queues the normal reply or its override.
void PrinterSession::queueReply(const std::string& normal, const ReplyRule* override) {
    if (override != nullptr) {
        replies_.push_back(*override);
        return;
    }
    ReplyRule reply;
    reply.bytes = normal;
    replies_.push_back(reply);
}

// The next reply; "reply all" replaces whatever was due (and consumes it).
PrinterSession::ReceiveResult PrinterSession::receive(uint32_t capacity) {
    ReplyRule rule;
    if (config_.everyReceive) {
        rule = *config_.everyReceive;
        if (!replies_.empty()) {
            replies_.pop_front();
        }
    } else if (replies_.empty()) {
        return {{static_cast<uint16_t>(PortIoError), IoDetailReceiveTimeOut}, {}};
    } else {
        rule = replies_.front();
        replies_.pop_front();
    }
    ReceiveResult result;
    switch (rule.kind) {
    case ReplyRule::Kind::Reply:
        result.bytes = rule.bytes;
        break;
    case ReplyRule::Kind::TimeOut:
        result.outcome = {static_cast<uint16_t>(PortIoError), IoDetailReceiveTimeOut};
        result.bytes = rule.bytes;
        break;
    case ReplyRule::Kind::Fail:
        result.outcome = rule.failure;
        break;
    }
    if (result.bytes.size() > capacity) {
        result.bytes.resize(capacity);
    }
    return result;
}

// Per-call latency plus the time the bytes take at the configured rate.
uint32_t PrinterSession::delayFor(uint32_t bytes) const {
    uint64_t ms = config_.latencyMs;
    if (config_.rate > 0) {
        ms += static_cast<uint64_t>(bytes) * 1000 / config_.rate;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(ms, 0xFFFFFFF0u));
}

} // namespace lvxsim
