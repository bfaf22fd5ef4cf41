// What the program takes from the system folder at run time instead of importing it: a system
// library by full path, and the security descriptor made with advapi32.
#include "fw/Module.h"
#include "fw/SecurityDescriptor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <string>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

} // namespace

// The spooler's library comes from the system folder, whatever lies elsewhere; a library the
// system folder lacks is not looked for anywhere else.
TEST(SystemLibrary, ComesFromTheSystemFolderOrNotAtAll) {
    fw::Module spooler;
    ASSERT_TRUE(spooler.LoadSystem(L"winspool.drv"));
    wchar_t path[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameW(spooler.Get(), path, MAX_PATH), 0u);
    const UINT systemLength = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(Lower(path), Lower(std::wstring(system, systemLength) + L"\\winspool.drv"));
    EXPECT_NE(spooler.Find("EnumPortsA"), nullptr);
    fw::Module missing;
    EXPECT_FALSE(missing.LoadSystem(L"nosuchlibrary.dll"));
    EXPECT_EQ(missing.Find("EnumPortsA"), nullptr);
}

// A descriptor from valid text gives attributes for a create call; text that is not a
// descriptor gives none, and the default security then applies.
TEST(SystemLibrary, SecurityDescriptorFromItsTextOrNone) {
    fw::SecurityDescriptor everyone("D:(A;;0x00100001;;;WD)");
    ASSERT_NE(everyone.Attributes(), nullptr);
    EXPECT_EQ(everyone.Attributes()->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_NE(everyone.Attributes()->lpSecurityDescriptor, nullptr);
    EXPECT_FALSE(everyone.Attributes()->bInheritHandle);
    fw::SecurityDescriptor nonsense("D:(not a descriptor");
    EXPECT_EQ(nonsense.Attributes(), nullptr);
}
