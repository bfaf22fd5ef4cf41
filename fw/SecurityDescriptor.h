// A security descriptor from its text form, for a named object that every user must be able to
// use. The program imports nothing of advapi32: it is loaded from the system folder for this.
#pragma once

#include <windows.h>

namespace fw {

class SecurityDescriptor {
public:
    // Builds the descriptor from sddl; without it, Attributes() gives the default security.
    explicit SecurityDescriptor(const char* sddl);
    ~SecurityDescriptor();
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

    // The attributes for a create call; null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

} // namespace fw
