// The recording library's entry points: each forwards its call unchanged to the real library,
// returns its whole return register and its outputs as they came, and records the call.
#include "portlib/LorvexApi.h"
#include "recorder/Recorder.h"
#include "lvxio/ByteText.h"
#include "lvxio/EntryPoints.h"
#include "lvxio/Recording.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

using lvxio::EntryPoint;
using lvxio::RecordedCall;
using lvxio::Recording;
using lvxrec::Recorder;

namespace {

// The real entry points, read as returning the whole register: its upper half is passed on.
using NoArgRaw = uint32_t(__stdcall*)();
using TextRaw = uint32_t(__stdcall*)(char*);
using DetailRaw = uint32_t(__stdcall*)(int16_t*);
using SendRaw = uint32_t(__stdcall*)(const void*, uint32_t, uint8_t*);
using ReceiveRaw = uint32_t(__stdcall*)(void*, uint32_t*);
using DeviceIdRaw = uint32_t(__stdcall*)(char*, uint32_t);
using TimeOutRaw = uint32_t(__stdcall*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);
using CountRaw = uint32_t(__stdcall*)(uint32_t*);
using TypeRaw = uint32_t(__stdcall*)(uint32_t);

// The real entry point of that name, or null.
template <class Fn> Fn real(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Recorder::instance().find(name)));
}

// Records a call whose entry point the real library lacks; the tool reads it as failing.
uint32_t missing(RecordedCall& call) {
    call.result = Recorder::MissingResult;
    call.outputs.emplace_back(lvxio::MissingKey, "1");
    Recorder::instance().record(call);
    return call.result;
}

// Records a finished call and hands its result on.
uint32_t done(RecordedCall& call, uint32_t result) {
    call.result = result;
    Recorder::instance().record(call);
    return result;
}

// The text a library wrote into a buffer of size bytes: up to its NUL, or all of it. Only a
// buffer that changed was written; an untouched one records nothing.
void recordText(const EntryPoint& entry, RecordedCall& call, const char* buffer,
                const std::string& before) {
    const std::size_t size = before.size();
    if (buffer == nullptr || std::memcmp(buffer, before.data(), size) == 0) {
        return;
    }
    call.outputs.emplace_back(entry.outputs[0],
                              lvxio::text::quote(std::string(buffer, strnlen(buffer, size))));
}

// Output buffers are compared up to this size: the tool's are far smaller, and a caller's
// wrong size must not make the recorder allocate without bound.
constexpr uint32_t MaxCompared = 64 * 1024;

// A copy of a buffer before the call, to tell what the library wrote; at most MaxCompared bytes.
std::string snapshot(const void* buffer, uint32_t size) {
    return buffer == nullptr
               ? std::string()
               : std::string(static_cast<const char*>(buffer), std::min(size, MaxCompared));
}

} // namespace

extern "C" {

// Opens a port.
uint32_t __stdcall PortOpenByLvx(uint16_t portId) {
    RecordedCall call = Recorder::instance().begin(lvxio::PortOpenEntry);
    call.args.emplace_back(lvxio::PortOpenEntry.args[0], std::to_string(portId));
    return done(call, LvxRealPortOpen(portId));
}

// Closes the open port; the recording is written out after it.
uint32_t __stdcall PortCloseByLvx() {
    RecordedCall call = Recorder::instance().begin(lvxio::PortCloseEntry);
    const auto fn = real<NoArgRaw>(lvxio::PortCloseEntry.name.data());
    return fn == nullptr ? missing(call) : done(call, fn());
}

// Checks the device on the open port.
uint32_t __stdcall CheckDeviceIDByLvx() {
    RecordedCall call = Recorder::instance().begin(lvxio::CheckDeviceIdEntry);
    const auto fn = real<NoArgRaw>(lvxio::CheckDeviceIdEntry.name.data());
    return fn == nullptr ? missing(call) : done(call, fn());
}

// Writes the model name into the tool's 100-byte buffer.
uint32_t __stdcall GetModelNameByLvx(char* buffer) {
    RecordedCall call = Recorder::instance().begin(lvxio::GetModelNameEntry);
    const auto fn = real<TextRaw>(lvxio::GetModelNameEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, lvx::ModelNameSize);
    const uint32_t result = fn(buffer);
    recordText(lvxio::GetModelNameEntry, call, buffer, before);
    return done(call, result);
}

// Writes the latest I/O failure detail.
uint32_t __stdcall GetIoErrorCodeByLvx(int16_t* detail) {
    RecordedCall call = Recorder::instance().begin(lvxio::GetIoErrorCodeEntry);
    const auto fn = real<DetailRaw>(lvxio::GetIoErrorCodeEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(detail);
    if (detail != nullptr) {
        call.outputs.emplace_back(lvxio::GetIoErrorCodeEntry.outputs[0], std::to_string(*detail));
    }
    return done(call, result);
}

// Sends bytes; the flag byte the library may write is recorded as it was after the call.
uint32_t __stdcall SendByLvx(const void* data, uint32_t count, uint8_t* flag) {
    RecordedCall call = Recorder::instance().begin(lvxio::SendEntry);
    call.args = Recording::sendArgs(data, count);
    const auto fn = real<SendRaw>(lvxio::SendEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(data, count, flag);
    if (flag != nullptr) {
        call.outputs.emplace_back(lvxio::SendEntry.outputs[0], lvxio::text::hex8(*flag));
    }
    return done(call, result);
}

// Receives a reply: the count written back, and the buffer as far as the library changed it.
uint32_t __stdcall ReceiveByLvx(void* buffer, uint32_t* count) {
    RecordedCall call = Recorder::instance().begin(lvxio::ReceiveEntry);
    const uint32_t capacity = count != nullptr ? *count : 0;
    call.args.emplace_back(lvxio::ReceiveEntry.args[0], std::to_string(capacity));
    const auto fn = real<ReceiveRaw>(lvxio::ReceiveEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, capacity);
    const uint32_t result = fn(buffer, count);
    if (count != nullptr) {
        call.outputs.emplace_back(lvxio::ReceiveEntry.outputs[0], std::to_string(*count));
    }
    if (buffer != nullptr) {
        const auto* after = static_cast<const char*>(buffer);
        std::size_t changed = before.size();
        while (changed > 0 && after[changed - 1] == before[changed - 1]) {
            --changed;
        }
        call.outputs.emplace_back(lvxio::ReceiveEntry.outputs[1],
                                  lvxio::text::toHex({after, changed}));
    }
    return done(call, result);
}

// Writes the device ID into a buffer of size bytes.
uint32_t __stdcall GetDeviceIDByLvx(char* buffer, uint32_t size) {
    RecordedCall call = Recorder::instance().begin(lvxio::GetDeviceIdEntry);
    call.args.emplace_back(lvxio::GetDeviceIdEntry.args[0], std::to_string(size));
    const auto fn = real<DeviceIdRaw>(lvxio::GetDeviceIdEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, size);
    const uint32_t result = fn(buffer, size);
    recordText(lvxio::GetDeviceIdEntry, call, buffer, before);
    return done(call, result);
}

// Sets the five time-outs.
uint32_t __stdcall SetPortTimeOutByLvx(uint32_t first, uint32_t second, uint32_t third,
                                       uint32_t fourth, uint32_t fifth) {
    RecordedCall call = Recorder::instance().begin(lvxio::SetPortTimeOutEntry);
    const std::string values[] = {std::to_string(first), std::to_string(second),
                                  std::to_string(third), std::to_string(fourth),
                                  std::to_string(fifth)};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        call.args.emplace_back(lvxio::SetPortTimeOutEntry.args[i], values[i]);
    }
    const auto fn = real<TimeOutRaw>(lvxio::SetPortTimeOutEntry.name.data());
    return fn == nullptr ? missing(call) : done(call, fn(first, second, third, fourth, fifth));
}

// Writes the size of the latest send.
uint32_t __stdcall GetPreviousSentDataSizeByLvx(uint32_t* sent) {
    RecordedCall call = Recorder::instance().begin(lvxio::GetPreviousSentDataSizeEntry);
    const auto fn = real<CountRaw>(lvxio::GetPreviousSentDataSizeEntry.name.data());
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(sent);
    if (sent != nullptr) {
        call.outputs.emplace_back(lvxio::GetPreviousSentDataSizeEntry.outputs[0],
                                  std::to_string(*sent));
    }
    return done(call, result);
}

// Sets the receive type.
uint32_t __stdcall SetReceiveTypeByLvx(uint32_t type) {
    RecordedCall call = Recorder::instance().begin(lvxio::SetReceiveTypeEntry);
    call.args.emplace_back(lvxio::SetReceiveTypeEntry.args[0], std::to_string(type));
    const auto fn = real<TypeRaw>(lvxio::SetReceiveTypeEntry.name.data());
    return fn == nullptr ? missing(call) : done(call, fn(type));
}

} // extern "C"

// Every export checked against the tool's declared pointer type.
#include "lvxio/ExportSignatures.h"

// Nothing is loaded here: a real library that cannot be loaded has failed this one's load
// already, in the loader, as an import. C linkage, or the CRT's do-nothing DllMain would be
// linked instead.
// cppcheck-suppress constParameter ; the loader's prototype, which the CRT declares
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        Recorder::instance().attach(instance);
    }
    if (reason == DLL_PROCESS_DETACH) {
        Recorder::instance().detach(reserved != nullptr);
    }
    return TRUE;
}
