// Tells Windows that the system is required while the object lives, so it does not go to sleep.
#pragma once

class SystemRequiredScope {
public:
    // Marks the system as required for the calling thread until the object goes.
    SystemRequiredScope();
    // Releases the requirement, on the same thread.
    ~SystemRequiredScope();
    SystemRequiredScope(const SystemRequiredScope&) = delete;
    SystemRequiredScope& operator=(const SystemRequiredScope&) = delete;

private:
    bool active_;
};
