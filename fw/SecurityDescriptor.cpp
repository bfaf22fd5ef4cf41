#include "fw/Operations.h"
#include "fw/SecurityDescriptor.h"

#include "fw/Module.h"
#include "fw/Trace.h"

namespace fw {

namespace {

using ConvertFn = BOOL(WINAPI*)(const char* text, DWORD revision, PSECURITY_DESCRIPTOR* descriptor,
                                ULONG* size);

constexpr char ConvertName[] = "ConvertStringSecurityDescriptorToSecurityDescriptorA";
// SDDL_REVISION_1, the only revision there is.
constexpr DWORD SddlRevision = 1;

} // namespace

// The descriptor lives in its own LocalAlloc block: the library may go once it is made.
SecurityDescriptor::SecurityDescriptor(const char* sddl) {
    Module advapi;
    if (!advapi.LoadSystem(L"advapi32.dll")) {
        FailureTrace(op::SecurityDescriptor, "LoadLibraryExW").LastError().Note("advapi32");
        return;
    }
    const auto convert =
        reinterpret_cast<ConvertFn>(reinterpret_cast<void*>(advapi.Find(ConvertName)));
    if (convert == nullptr || !convert(sddl, SddlRevision, &descriptor_, nullptr)) {
        FailureTrace(op::SecurityDescriptor, ConvertName).LastError().Note(sddl);
        descriptor_ = nullptr;
        return;
    }
    attributes_ = {sizeof attributes_, descriptor_, FALSE};
}

// Made by the conversion, which documents LocalFree for it.
SecurityDescriptor::~SecurityDescriptor() {
    if (descriptor_ != nullptr) {
        ::LocalFree(descriptor_);
    }
}

} // namespace fw
