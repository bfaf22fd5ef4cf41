// The recording of a port library session: a header, then one text line per call, written by
// the recording library (recorder/) and played back by the simulator's recording player. Sends of
// data-file size are kept as a piece (length, CRC-32, first and last bytes), everything else in
// full.
#pragma once

#include "lvxio/EntryPoints.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lvxio {

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
    // The header line that lists the spooler's ports, each name quoted, in the spooler's order.
    static constexpr char PortsLine[] = "# ports";
    // Sends up to this many bytes are commands and are kept whole; longer ones are data pieces.
    static constexpr uint32_t WholeSendLimit = 64;
    // Bytes kept from each end of a data piece.
    static constexpr uint32_t PieceEdge = 16;

    // The arguments of a send: count, then data= or crc=, head=, tail=.
    static std::vector<std::pair<std::string, std::string>> sendArgs(const void* data,
                                                                     uint32_t count);
    // The call as one line, without its line ending.
    static std::string format(const RecordedCall& call);
    // A call of entry with the values of its first arguments, keyed as the entry point says.
    static RecordedCall call(const EntryPoint& entry, std::vector<std::string> argValues = {});
    // Parses one call line; false (with why) for anything else: an unknown entry point, a key
    // the entry point does not have, or a value that is not of its key's kind and width.
    static bool parse(const std::string& text, RecordedCall& call, std::string& why);
    // The calls of a recording's text; comment lines are skipped, a bad line is a problem that
    // names its line number.
    static std::vector<RecordedCall> parseAll(const std::string& text,
                                              std::vector<std::string>& problems);
    // The header line of the spooler's port names, without its line ending.
    static std::string portsLine(const std::vector<std::string>& names);
    // The port names of the header's ports line; false when there is none (an older recording),
    // with a problem when it cannot be read.
    static bool ports(const std::string& text, std::vector<std::string>& names,
                      std::vector<std::string>& problems);
    // The arguments as "key=value ..." for messages.
    static std::string describe(const RecordedCall& call);
    // True when the send argument lists hold a data piece.
    static bool isPiece(const RecordedCall& call);
};

} // namespace lvxio
