// The recording of a port library session: a header, then one text line per call, written by
// the recording library (recorder/) and played back by the simulator. Sends of data-file size
// are kept as a piece (length, CRC-32, first and last bytes), everything else in full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lvxsim {

// One call as recorded: "TIME THREAD ENTRY ARGS -> 0xRESULT OUTPUTS".
struct RecordedCall {
    // Line in the file it was read from (1-based); 0 when made in code.
    std::size_t line = 0;
    // Milliseconds since the first call of the recording.
    double millis = 0;
    uint32_t thread = 0;
    std::string entry;
    // What the caller gave, as key and value text ("port", "1152").
    std::vector<std::pair<std::string, std::string>> args;
    // The whole return register.
    uint32_t result = 0;
    // What the library gave back beside the result ("detail", "-81"; "missing", "1").
    std::vector<std::pair<std::string, std::string>> outputs;

    // The value of an argument or output, or empty.
    std::string arg(const std::string& key) const;
    std::string output(const std::string& key) const;
    bool hasOutput(const std::string& key) const;
};

class Recording {
public:
    // First line of every recording; the version that follows it is the format's.
    static constexpr char Magic[] = "# Lorvex recording";
    static constexpr int FormatVersion = 1;
    // Sends up to this many bytes are commands and are kept whole; longer ones are data pieces.
    static constexpr uint32_t WholeSendLimit = 64;
    // Bytes kept from each end of a data piece.
    static constexpr uint32_t PieceEdge = 16;

    // The arguments of a send: count, then data= or crc=, head=, tail=.
    static std::vector<std::pair<std::string, std::string>> sendArgs(const void* data,
                                                                     uint32_t count);
    // The call as one line, without its line ending.
    static std::string format(const RecordedCall& call);
    // Parses one call line; false (with why) for anything else.
    static bool parse(const std::string& text, RecordedCall& call, std::string& why);
    // The calls of a recording's text; comment lines are skipped, a bad line is a problem.
    static std::vector<RecordedCall> parseAll(const std::string& text,
                                              std::vector<std::string>& problems);
    // The arguments as "key=value ..." for messages.
    static std::string describe(const RecordedCall& call);
    // The operations the calls show, in order: "update" for a port session that sends data
    // pieces, "verify" for one that reads the device ID or enters the diagnostic language.
    static std::vector<std::string> operations(const std::vector<RecordedCall>& calls);
    // True when the send argument lists hold a data piece.
    static bool isPiece(const RecordedCall& call);
};

} // namespace lvxsim
