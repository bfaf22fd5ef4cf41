// Port identifiers and the uniform result code of every port operation.
#pragma once

#include <cstdint>

// Identifier of a printer port: USBn is 1024 + n, LPTn is 1151 + n.
using PortId = uint16_t;

// Result of every port operation and printer command; only its 16 bits count.
using PortResult = int16_t;

inline constexpr PortResult PortOk = 1;
inline constexpr PortResult PortIoError = 0x1000;
inline constexpr PortResult PortDeviceIdOk = 0x1001;
inline constexpr PortResult PortNoLibrary = static_cast<PortResult>(0xB000);

// Details of an I/O failure, read with GetIoErrorCode.
inline constexpr int16_t IoDetailSendIncomplete = -81;
inline constexpr int16_t IoDetailReceiveTimeOut = -109;

// What automatic detection gives when no printer answers.
inline constexpr PortId NoPrinterFound = 1283;

// The five port time-outs, set once at start-up.
struct PortTimeOuts {
    uint32_t first;
    uint32_t second;
    uint32_t third;
    uint32_t fourth;
    uint32_t fifth;
};
