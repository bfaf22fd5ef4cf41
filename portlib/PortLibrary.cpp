#include "portlib/PortLibrary.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"

#include <windows.h>

#include <string>

// The caller decides what a missing library means.
PortLibrary::PortLibrary(const char* fileName) {
    Load(fileName);
}

// The port is the library's business: it goes with the library.
PortLibrary::~PortLibrary() {
    Unload();
}

// Full path from the program's folder only; neither the current directory nor the
// platform's search order takes part, for the library or for what it loads itself.
bool PortLibrary::Load(const char* fileName) {
    if (!::SetDllDirectoryA("")) {
        fw::FailureTrace(op::PortLibrary, "SetDllDirectoryA").LastError();
    }
    std::wstring folder;
    std::wstring name;
    if (!fw::ProgramFolder(folder) || !fw::WideFromAnsi(fileName, name, op::PortLibrary)) {
        return false;
    }
    const std::wstring path = folder + L"\\" + name;
    if (!module_.LoadFullPath(path)) {
        fw::FailureTrace(op::PortLibrary, "LoadLibraryExW").LastError().Note(fw::DisplayText(path));
        return false;
    }
    return true;
}

void PortLibrary::Unload() {
    module_.Free();
}

// Close first, even when the open entry point then turns out to be missing.
PortResult PortLibrary::Open(PortId id) {
    if (!IsLoaded()) {
        return PortNoLibrary;
    }
    Close();
    const auto open = Find<lvx::PortOpenFn>(lvx::PortOpenName);
    return open != nullptr ? open(id) : PortNoLibrary;
}

// The library's own result does not matter to anyone.
PortResult PortLibrary::Close() {
    const auto close = Find<lvx::PortCloseFn>(lvx::PortCloseName);
    if (close == nullptr) {
        return PortNoLibrary;
    }
    close();
    return PortOk;
}

// Both of the library's success values become PortOk.
PortResult PortLibrary::CheckDeviceId() {
    const auto check = Find<lvx::CheckDeviceIdFn>(lvx::CheckDeviceIdName);
    if (check == nullptr) {
        return PortNoLibrary;
    }
    const PortResult result = check();
    return result == PortDeviceIdOk ? PortOk : result;
}

PortResult PortLibrary::GetModelName(char* buffer) {
    const auto get = Find<lvx::GetModelNameFn>(lvx::GetModelNameName);
    return get != nullptr ? get(buffer) : PortNoLibrary;
}

PortResult PortLibrary::GetIoErrorCode(int16_t* detail) {
    const auto get = Find<lvx::GetIoErrorCodeFn>(lvx::GetIoErrorCodeName);
    return get != nullptr ? get(detail) : PortNoLibrary;
}

// Every plain send shares the one flag byte.
PortResult PortLibrary::Send(const void* data, uint32_t count) {
    const auto send = Find<lvx::SendFn>(lvx::SendName);
    return send != nullptr ? send(data, count, &sendFlag_) : PortNoLibrary;
}

// A time-out ends a receive normally: what arrived is in the buffer.
PortResult PortLibrary::Receive(void* buffer, uint32_t* count) {
    const auto receive = Find<lvx::ReceiveFn>(lvx::ReceiveName);
    if (receive == nullptr) {
        return PortNoLibrary;
    }
    const PortResult result = receive(buffer, count);
    if (result != PortIoError) {
        return result;
    }
    int16_t detail = 0;
    if (GetIoErrorCode(&detail) == PortNoLibrary) {
        return PortIoError;
    }
    return detail == IoDetailReceiveTimeOut ? PortOk : PortIoError;
}

PortResult PortLibrary::GetDeviceId(char* buffer, uint32_t size) {
    const auto get = Find<lvx::GetDeviceIdFn>(lvx::GetDeviceIdName);
    return get != nullptr ? get(buffer, size) : PortNoLibrary;
}

PortResult PortLibrary::SetPortTimeOut(PortTimeOuts timeOuts) {
    const auto set = Find<lvx::SetPortTimeOutFn>(lvx::SetPortTimeOutName);
    return set != nullptr ? set(timeOuts.first, timeOuts.second, timeOuts.third, timeOuts.fourth,
                                timeOuts.fifth)
                          : PortNoLibrary;
}

// Both entry points must be there before anything is sent.
PortResult PortLibrary::SendCounted(const void* data, uint32_t count, uint32_t* sent) {
    if (!IsLoaded()) {
        return PortNoLibrary;
    }
    const auto send = Find<lvx::SendFn>(lvx::SendName);
    const auto sentSize = Find<lvx::GetPreviousSentDataSizeFn>(lvx::GetPreviousSentDataSizeName);
    if (send == nullptr || sentSize == nullptr) {
        return PortNoLibrary;
    }
    uint8_t flag = 0;
    const PortResult result = send(data, count, &flag);
    const PortResult counted = sentSize(sent);
    // A send that stopped part-way is resumed after the bytes counted; without the count the
    // resumed send would repeat or skip bytes, so a failing count ends the send as a missing
    // one does. A send that took everything needs no count.
    if (result != PortOk && counted != PortOk) {
        fw::FailureTrace(op::PortLibrary, lvx::GetPreviousSentDataSizeName)
            .PortResult(counted)
            .Note("the send stopped part-way: its count is unknown");
        return PortNoLibrary;
    }
    return result;
}

PortResult PortLibrary::SetReceiveType(uint32_t type) {
    const auto set = Find<lvx::SetReceiveTypeFn>(lvx::SetReceiveTypeName);
    return set != nullptr ? set(type) : PortNoLibrary;
}
