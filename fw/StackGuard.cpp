// The stack protector's guard and its failure for the files we ship, in place of libssp: libssp
// seeds its guard through advapi32, which would join the program's imports. The guard is seeded
// as the Microsoft compilers seed their security cookie, from the time, the process and thread
// ids, the tick count and addresses that ASLR moves; a failed check ends the process at once, the
// way those compilers' own check does.
#include <windows.h>

#include <cstdint>

namespace {

// IsProcessorFeaturePresent's feature and __fastfail's code for a failed stack check.
constexpr DWORD FastFailAvailable = 23;          // PF_FASTFAIL_AVAILABLE, Windows 8 on
constexpr unsigned StackCookieCheckFailure = 2;  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
constexpr UINT StackBufferOverrun = 0xC0000409u; // STATUS_STACK_BUFFER_OVERRUN

} // namespace

extern "C" {

// A constant until the seeding below: the image's own code runs no protected function before it.
uintptr_t __stack_chk_guard = static_cast<uintptr_t>(0xBB40E64Eu);

// Runs among the first constructors, itself unprotected: it changes the value that the
// protected functions check on return.
__attribute__((constructor(101), no_stack_protector)) void CorvaneSeedStackGuard() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    uint64_t seed = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    seed ^= uint64_t{::GetCurrentProcessId()} << 16;
    seed ^= uint64_t{::GetCurrentThreadId()};
    seed ^= ::GetTickCount64() << 24;
    const int local = 0;
    seed ^= reinterpret_cast<uintptr_t>(&local) ^ (reinterpret_cast<uintptr_t>(&seed) << 12);
    seed ^= reinterpret_cast<uintptr_t>(&CorvaneSeedStackGuard) << 4;
    seed ^= seed >> 32;
    // Its lowest byte zero: a string copy that runs over a buffer stops before the rest.
    const uintptr_t guard = static_cast<uintptr_t>(seed) & ~uintptr_t{0xFF};
    __stack_chk_guard = guard != 0 ? guard : uintptr_t{0xE64E00u};
}

[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail() {
    ::OutputDebugStringA("Corvane: stack buffer overrun detected, ending the process");
    if (::IsProcessorFeaturePresent(FastFailAvailable)) {
        __asm__ volatile("int $0x29" ::"c"(StackCookieCheckFailure));
    }
    ::TerminateProcess(::GetCurrentProcess(), StackBufferOverrun);
    __builtin_unreachable();
}

[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail_local() {
    __stack_chk_fail();
}

} // extern "C"
