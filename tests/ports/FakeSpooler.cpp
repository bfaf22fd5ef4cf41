#include "FakeSpooler.h"

#include <winspool.h>

#include <cstring>
#include <new>

namespace portstest {

// Keeps the names; nothing is laid out until asked.
FakeSpooler::FakeSpooler(std::vector<std::string> names, Failure failure)
    : names_(std::move(names)), failure_(failure) {}

// Records, then each name with its terminator.
DWORD FakeSpooler::NeededSize() const {
    std::size_t size = names_.size() * sizeof(PORT_INFO_1A);
    for (const std::string& name : names_) {
        size += name.size() + 1;
    }
    return static_cast<DWORD>(size);
}

// Follows EnumPortsA: too small a buffer gives ERROR_INSUFFICIENT_BUFFER and the size needed.
DWORD FakeSpooler::Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) {
    ++enumerateCalls_;
    returned = 0;
    const bool sizing = buffer == nullptr;
    if (sizing && failure_ == Failure::SizeSucceeds) {
        needed = 0;
        return ERROR_SUCCESS;
    }
    if (sizing && failure_ == Failure::SizeFails) {
        return RPC_X_NULL_REF_POINTER;
    }
    needed = NeededSize();
    if (size < needed) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    if (failure_ == Failure::FetchFails) {
        return ERROR_INVALID_HANDLE;
    }
    if (failure_ == Failure::FetchGivesNone) {
        return ERROR_SUCCESS;
    }
    auto* records = reinterpret_cast<PORT_INFO_1A*>(buffer);
    char* text = reinterpret_cast<char*>(buffer + names_.size() * sizeof(PORT_INFO_1A));
    for (std::size_t i = 0; i < names_.size(); ++i) {
        std::memcpy(text, names_[i].c_str(), names_[i].size() + 1);
        records[i].pName = text;
        text += names_[i].size() + 1;
    }
    returned = static_cast<DWORD>(names_.size());
    return ERROR_SUCCESS;
}

// A real block, so that the product frees what it was given.
std::unique_ptr<BYTE[]> FakeSpooler::Allocate(DWORD size) {
    ++allocateCalls_;
    if (failure_ == Failure::NoMemory) {
        return nullptr;
    }
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size]);
}

} // namespace portstest
