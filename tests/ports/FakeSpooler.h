// A stand-in for the print spooler's port list: given names in a given order, and the failures
// a real spooler seldom shows, one per step of the size-allocate-fetch protocol.
#pragma once

#include "ports/PortEnumerator.h"

#include <string>
#include <vector>

namespace portstest {

class FakeSpooler : public PortEnumerator {
public:
    // Where the protocol breaks down, if anywhere.
    enum class Failure {
        None,
        // The size query succeeds: the spooler has nothing to give.
        SizeSucceeds,
        // The size query fails with an error other than ERROR_INSUFFICIENT_BUFFER.
        SizeFails,
        // No memory for the list.
        NoMemory,
        // The fetch fails after a good size query and allocation.
        FetchFails,
        // The size query finds the ports, but they have gone by the fetch.
        FetchGivesNone,
    };

    // The spooler lists names in this order.
    explicit FakeSpooler(std::vector<std::string> names, Failure failure = Failure::None);

    // Level-1 records followed by the names, as the spooler lays them out.
    DWORD Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) override;
    // Null under NoMemory.
    std::unique_ptr<BYTE[]> Allocate(DWORD size) override;

    // Calls of Enumerate so far.
    int EnumerateCalls() const { return enumerateCalls_; }
    // Calls of Allocate so far.
    int AllocateCalls() const { return allocateCalls_; }

private:
    // Bytes the whole list takes.
    DWORD NeededSize() const;

    std::vector<std::string> names_;
    Failure failure_;
    int enumerateCalls_ = 0;
    int allocateCalls_ = 0;
};

} // namespace portstest
