// One open port's printer: diagnostic language, replies, transfer rules and the image watch.
#pragma once

#include "sim/ImageReceiver.h"
#include "sim/Scenario.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace lvxsim {

class PrinterSession {
public:
    // The first bytes of every diagnostic exchange.
    static constexpr std::string_view Prefix{"\x1B\x01@ZKL \r\n", 9};
    // Enters the diagnostic language (NUL included).
    static constexpr std::string_view EnterDiag{"@ZKL ENTER LANGUAGE=DIAG\r\n\0", 27};

    // What one send did.
    struct SendResult {
        Outcome outcome;
        uint32_t accepted = 0;
        // What GetPreviousSentDataSize will report.
        uint32_t reported = 0;
        // Set when an intact image finished in this send.
        bool updated = false;
        // Printer-side events worth a log note.
        std::vector<std::string> notes;
    };

    // What one receive did.
    struct ReceiveResult {
        Outcome outcome;
        std::string bytes;
    };

    // Starts a session with the printer's configuration and current NVM version.
    PrinterSession(const PrinterConfig& config, const NvmVersion& version);
    PrinterSession(const PrinterSession&) = delete;
    PrinterSession& operator=(const PrinterSession&) = delete;

    // Handles count bytes offered by SendByLvx.
    SendResult send(const uint8_t* data, uint32_t count);
    // Hands out the next reply, at most capacity bytes of it.
    ReceiveResult receive(uint32_t capacity);
    // The configuration the session plays.
    const PrinterConfig& config() const { return config_; }
    // The printer's NVM version (changes when an image completes).
    const NvmVersion& version() const { return version_; }
    // Milliseconds a call moving `bytes` bytes takes.
    uint32_t delayFor(uint32_t bytes) const;

private:
    // Runs accepted bytes through the language and the image watch.
    void process(const uint8_t* data, uint32_t size, SendResult& result);
    // Acts on one complete line inside the diagnostic language.
    void command(const std::string& line, SendResult& result);
    // Queues the reply to a read, with any override applied.
    void queueReply(const std::string& normal, const ReplyRule* override);
    // Applies the transfer rules to a data send of count bytes.
    void applyTransferRules(uint32_t count, SendResult& result);

    const PrinterConfig config_;
    NvmVersion version_;
    bool inLanguage_ = false;
    bool prefixSeen_ = false;
    std::string lineBuffer_;
    std::deque<ReplyRule> replies_;
    uint32_t dataCalls_ = 0;
    // Sends that matched each sendfail rule so far.
    std::vector<uint32_t> sendFailMatches_;
    uint64_t dataBytes_ = 0;
    bool broken_ = false;
    ImageReceiver image_;
};

} // namespace lvxsim
