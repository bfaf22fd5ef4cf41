// The bytes Verify sends the printer, as the printer must receive them, and the writes of a
// whole Verify joined as the simulator's capture holds them.
#pragma once

#include <string>
#include <vector>

namespace wire {

inline const std::string Prefix("\x1B\x01@ZKL \r\n", 9);
// Sent with its terminating NUL.
inline const std::string Enter("@ZKL ENTER LANGUAGE=DIAG\r\n\0", 27);
inline const std::string VersionRead = "CD 5,2,E2,01\r\n";
inline const std::string FirstRead = "CD 2,3,12,11,BA\r\n";
inline const std::string SecondRead = "CD 2,3,12,12,BA\r\n";
inline const std::string Leave = "ED\r\n";
// A whole Verify: the seven writes in their order.
inline const std::vector<std::string> AllWrites = {Prefix,     Enter, VersionRead, FirstRead,
                                                   SecondRead, Leave, Prefix};

// The writes joined.
inline std::string Joined(const std::vector<std::string>& writes) {
    std::string all;
    for (const std::string& write : writes) {
        all += write;
    }
    return all;
}

} // namespace wire
