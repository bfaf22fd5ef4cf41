// Included by a library of the port library's exports after it has defined all eleven: each must
// take exactly the arguments, in the convention, that the tool's pointer types declare, or the
// tool's stack would be corrupted. The result is the same register, of which the tool reads 16
// bits.
#pragma once

#include "portlib/LorvexApi.h"

#include <cstdint>
#include <type_traits>

namespace lvxsig {

template <class Export, class Declared> struct SameCall : std::false_type {};
template <class... Args>
struct SameCall<uint32_t(__stdcall*)(Args...), int16_t(__stdcall*)(Args...)> : std::true_type {};

static_assert(SameCall<decltype(&PortOpenByLvx), lvx::PortOpenFn>::value);
static_assert(SameCall<decltype(&PortCloseByLvx), lvx::PortCloseFn>::value);
static_assert(SameCall<decltype(&CheckDeviceIDByLvx), lvx::CheckDeviceIdFn>::value);
static_assert(SameCall<decltype(&GetModelNameByLvx), lvx::GetModelNameFn>::value);
static_assert(SameCall<decltype(&GetIoErrorCodeByLvx), lvx::GetIoErrorCodeFn>::value);
static_assert(SameCall<decltype(&SendByLvx), lvx::SendFn>::value);
static_assert(SameCall<decltype(&ReceiveByLvx), lvx::ReceiveFn>::value);
static_assert(SameCall<decltype(&GetDeviceIDByLvx), lvx::GetDeviceIdFn>::value);
static_assert(SameCall<decltype(&SetPortTimeOutByLvx), lvx::SetPortTimeOutFn>::value);
static_assert(
    SameCall<decltype(&GetPreviousSentDataSizeByLvx), lvx::GetPreviousSentDataSizeFn>::value);
static_assert(SameCall<decltype(&SetReceiveTypeByLvx), lvx::SetReceiveTypeFn>::value);

} // namespace lvxsig
