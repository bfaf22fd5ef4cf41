// The recording library's entry points: each forwards its call unchanged to the real library,
// returns its whole return register and its outputs as they came, and records the call.
#include "portlib/LorvexApi.h"
#include "recorder/Recorder.h"
#include "sim/ByteText.h"
#include "sim/Recording.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

using lvxrec::Recorder;
using lvxsim::RecordedCall;
using lvxsim::Recording;

namespace {

// The real entry points, read as returning the whole register: its upper half is passed on.
using PortOpenRaw = uint32_t(__stdcall*)(uint16_t);
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
    call.outputs.emplace_back("missing", "1");
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
void recordText(RecordedCall& call, const char* buffer, const std::string& before) {
    const std::size_t size = before.size();
    if (buffer == nullptr || std::memcmp(buffer, before.data(), size) == 0) {
        return;
    }
    call.outputs.emplace_back("text",
                              lvxsim::text::quote(std::string(buffer, strnlen(buffer, size))));
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
    RecordedCall call = Recorder::instance().begin(lvx::PortOpenName);
    call.args.emplace_back("port", std::to_string(portId));
    const auto fn = real<PortOpenRaw>(lvx::PortOpenName);
    return fn == nullptr ? missing(call) : done(call, fn(portId));
}

// Closes the open port; the recording is written out after it.
uint32_t __stdcall PortCloseByLvx() {
    RecordedCall call = Recorder::instance().begin(lvx::PortCloseName);
    const auto fn = real<NoArgRaw>(lvx::PortCloseName);
    return fn == nullptr ? missing(call) : done(call, fn());
}

// Checks the device on the open port.
uint32_t __stdcall CheckDeviceIDByLvx() {
    RecordedCall call = Recorder::instance().begin(lvx::CheckDeviceIdName);
    const auto fn = real<NoArgRaw>(lvx::CheckDeviceIdName);
    return fn == nullptr ? missing(call) : done(call, fn());
}

// Writes the model name into the tool's 100-byte buffer.
uint32_t __stdcall GetModelNameByLvx(char* buffer) {
    RecordedCall call = Recorder::instance().begin(lvx::GetModelNameName);
    const auto fn = real<TextRaw>(lvx::GetModelNameName);
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, lvx::ModelNameSize);
    const uint32_t result = fn(buffer);
    recordText(call, buffer, before);
    return done(call, result);
}

// Writes the latest I/O failure detail.
uint32_t __stdcall GetIoErrorCodeByLvx(int16_t* detail) {
    RecordedCall call = Recorder::instance().begin(lvx::GetIoErrorCodeName);
    const auto fn = real<DetailRaw>(lvx::GetIoErrorCodeName);
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(detail);
    if (detail != nullptr) {
        call.outputs.emplace_back("detail", std::to_string(*detail));
    }
    return done(call, result);
}

// Sends bytes; the flag byte the library may write is recorded as it was after the call.
uint32_t __stdcall SendByLvx(const void* data, uint32_t count, uint8_t* flag) {
    RecordedCall call = Recorder::instance().begin(lvx::SendName);
    call.args = Recording::sendArgs(data, count);
    const auto fn = real<SendRaw>(lvx::SendName);
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(data, count, flag);
    if (flag != nullptr) {
        call.outputs.emplace_back("flag", lvxsim::text::hex8(*flag));
    }
    return done(call, result);
}

// Receives a reply: the count written back, and the buffer as far as the library changed it.
uint32_t __stdcall ReceiveByLvx(void* buffer, uint32_t* count) {
    RecordedCall call = Recorder::instance().begin(lvx::ReceiveName);
    const uint32_t capacity = count != nullptr ? *count : 0;
    call.args.emplace_back("count", std::to_string(capacity));
    const auto fn = real<ReceiveRaw>(lvx::ReceiveName);
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, capacity);
    const uint32_t result = fn(buffer, count);
    if (count != nullptr) {
        call.outputs.emplace_back("got", std::to_string(*count));
    }
    if (buffer != nullptr) {
        const auto* after = static_cast<const char*>(buffer);
        std::size_t changed = before.size();
        while (changed > 0 && after[changed - 1] == before[changed - 1]) {
            --changed;
        }
        call.outputs.emplace_back("data", lvxsim::text::toHex({after, changed}));
    }
    return done(call, result);
}

// Writes the device ID into a buffer of size bytes.
uint32_t __stdcall GetDeviceIDByLvx(char* buffer, uint32_t size) {
    RecordedCall call = Recorder::instance().begin(lvx::GetDeviceIdName);
    call.args.emplace_back("size", std::to_string(size));
    const auto fn = real<DeviceIdRaw>(lvx::GetDeviceIdName);
    if (fn == nullptr) {
        return missing(call);
    }
    const std::string before = snapshot(buffer, size);
    const uint32_t result = fn(buffer, size);
    recordText(call, buffer, before);
    return done(call, result);
}

// Sets the five time-outs.
uint32_t __stdcall SetPortTimeOutByLvx(uint32_t first, uint32_t second, uint32_t third,
                                       uint32_t fourth, uint32_t fifth) {
    RecordedCall call = Recorder::instance().begin(lvx::SetPortTimeOutName);
    call.args = {{"first", std::to_string(first)},
                 {"second", std::to_string(second)},
                 {"third", std::to_string(third)},
                 {"fourth", std::to_string(fourth)},
                 {"fifth", std::to_string(fifth)}};
    const auto fn = real<TimeOutRaw>(lvx::SetPortTimeOutName);
    return fn == nullptr ? missing(call) : done(call, fn(first, second, third, fourth, fifth));
}

// Writes the size of the latest send.
uint32_t __stdcall GetPreviousSentDataSizeByLvx(uint32_t* sent) {
    RecordedCall call = Recorder::instance().begin(lvx::GetPreviousSentDataSizeName);
    const auto fn = real<CountRaw>(lvx::GetPreviousSentDataSizeName);
    if (fn == nullptr) {
        return missing(call);
    }
    const uint32_t result = fn(sent);
    if (sent != nullptr) {
        call.outputs.emplace_back("sent", std::to_string(*sent));
    }
    return done(call, result);
}

// Sets the receive type.
uint32_t __stdcall SetReceiveTypeByLvx(uint32_t type) {
    RecordedCall call = Recorder::instance().begin(lvx::SetReceiveTypeName);
    call.args.emplace_back("type", std::to_string(type));
    const auto fn = real<TypeRaw>(lvx::SetReceiveTypeName);
    return fn == nullptr ? missing(call) : done(call, fn(type));
}

} // extern "C"

// Every export checked against the tool's declared pointer type.
#include "sim/ExportSignatures.h"

// A real library that cannot be loaded fails this one's load. C linkage, or the CRT's
// do-nothing DllMain would be linked instead.
// cppcheck-suppress constParameter ; the loader's prototype, which the CRT declares
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return Recorder::instance().attach(instance) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) {
        Recorder::instance().detach(reserved != nullptr);
    }
    return TRUE;
}
