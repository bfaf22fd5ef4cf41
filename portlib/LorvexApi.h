// The port I/O library's entry points: names, arguments and calling convention.
// Every entry point returns a 16-bit result: 1 is success, 0x1000 an I/O failure
// whose detail GetIoErrorCodeByLvx gives, anything else a failure.
#pragma once

#include <cstdint>

namespace lvx {

// File name of the library, looked for in the program's own folder.
inline constexpr char LibraryFileName[] = "Lorvex.dll";

// Exported names, looked up at every call.
inline constexpr char PortOpenName[] = "PortOpenByLvx";
inline constexpr char PortCloseName[] = "PortCloseByLvx";
inline constexpr char CheckDeviceIdName[] = "CheckDeviceIDByLvx";
inline constexpr char GetModelNameName[] = "GetModelNameByLvx";
inline constexpr char GetIoErrorCodeName[] = "GetIoErrorCodeByLvx";
inline constexpr char SendName[] = "SendByLvx";
inline constexpr char ReceiveName[] = "ReceiveByLvx";
inline constexpr char GetDeviceIdName[] = "GetDeviceIDByLvx";
inline constexpr char SetPortTimeOutName[] = "SetPortTimeOutByLvx";
inline constexpr char GetPreviousSentDataSizeName[] = "GetPreviousSentDataSizeByLvx";
inline constexpr char SetReceiveTypeName[] = "SetReceiveTypeByLvx";

// Every exported name, in the order above.
inline constexpr const char* EntryPointNames[] = {PortOpenName,       PortCloseName,
                                                  CheckDeviceIdName,  GetModelNameName,
                                                  GetIoErrorCodeName, SendName,
                                                  ReceiveName,        GetDeviceIdName,
                                                  SetPortTimeOutName, GetPreviousSentDataSizeName,
                                                  SetReceiveTypeName};

// Opens the port with the given identifier; later calls act on it.
using PortOpenFn = int16_t(__stdcall*)(uint16_t portId);
// Closes the open port.
using PortCloseFn = int16_t(__stdcall*)();
// 1 or 0x1001 when the device on the open port passes the library's check.
using CheckDeviceIdFn = int16_t(__stdcall*)();
// Writes the NUL-terminated model name into a 100-byte buffer (no size passed).
using GetModelNameFn = int16_t(__stdcall*)(char* buffer);
// Writes the detail of the latest I/O failure (exactly 16 bits).
using GetIoErrorCodeFn = int16_t(__stdcall*)(int16_t* detail);
// Sends count bytes; the flag byte is 0 at each call and may be written, never read back.
using SendFn = int16_t(__stdcall*)(const void* data, uint32_t count, uint8_t* flag);
// Receives a reply into a zero-filled buffer whose size *count holds.
using ReceiveFn = int16_t(__stdcall*)(void* buffer, uint32_t* count);
// Writes the printer's NUL-terminated device ID text into a buffer of the given size.
using GetDeviceIdFn = int16_t(__stdcall*)(char* buffer, uint32_t size);
// Sets the five port time-outs.
using SetPortTimeOutFn = int16_t(__stdcall*)(uint32_t first, uint32_t second, uint32_t third,
                                             uint32_t fourth, uint32_t fifth);
// Writes how many bytes the latest SendByLvx delivered.
using GetPreviousSentDataSizeFn = int16_t(__stdcall*)(uint32_t* sent);
// Sets the receive type.
using SetReceiveTypeFn = int16_t(__stdcall*)(uint32_t type);

// Buffer sizes the tool hands to the library.
inline constexpr uint32_t ModelNameSize = 100;
inline constexpr uint32_t ReplySize = 50;
inline constexpr uint32_t DeviceIdSize = 1024;

} // namespace lvx
