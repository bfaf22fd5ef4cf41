#include "DebugViewer.h"

#include <cstring>
#include <optional>
#include <stdexcept>

namespace guitest {

namespace {

// The block: the writer's process id, then its NUL-terminated text.
constexpr DWORD BlockSize = 4096;
constexpr DWORD TextOffset = sizeof(DWORD);

// An event that must be new: an old one means another viewer is running.
HANDLE NewEvent(const char* name) {
    const HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, name);
    if (event != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(event);
        throw std::runtime_error(std::string("another debug viewer holds ") + name);
    }
    if (event == nullptr) {
        throw std::runtime_error(std::string("cannot create ") + name);
    }
    return event;
}

// Scoped hold of a critical section.
class Hold {
public:
    explicit Hold(CRITICAL_SECTION& lock) : lock_(lock) { ::EnterCriticalSection(&lock_); }
    ~Hold() { ::LeaveCriticalSection(&lock_); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

} // namespace

DebugViewer::DebugViewer() {
    mapping_ = fw::UniqueHandle(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                     0, BlockSize, "DBWIN_BUFFER"));
    if (!mapping_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        throw std::runtime_error("the block DBWIN_BUFFER is taken or cannot be made");
    }
    block_.reset(static_cast<const BYTE*>(::MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0)));
    bufferReady_ = fw::UniqueHandle(NewEvent("DBWIN_BUFFER_READY"));
    dataReady_ = fw::UniqueHandle(NewEvent("DBWIN_DATA_READY"));
    stop_ = fw::UniqueHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!block_ || !stop_) {
        throw std::runtime_error("cannot set up the debug viewer");
    }
    ::InitializeCriticalSection(&lock_);
    thread_ = fw::UniqueHandle(::CreateThread(nullptr, 0, &Reader, this, 0, nullptr));
    // The first writer may go ahead.
    ::SetEvent(bufferReady_.Get());
}

DebugViewer::~DebugViewer() {
    ::SetEvent(stop_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    ::DeleteCriticalSection(&lock_);
}

// Each text is taken within the block even when its writer left no NUL.
DWORD WINAPI DebugViewer::Reader(void* self) {
    auto& viewer = *static_cast<DebugViewer*>(self);
    const HANDLE events[] = {viewer.stop_.Get(), viewer.dataReady_.Get()};
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        DebugLine line{};
        std::memcpy(&line.processId, viewer.block_.get(), sizeof line.processId);
        const auto* text = reinterpret_cast<const char*>(viewer.block_.get() + TextOffset);
        line.text.assign(text, strnlen(text, BlockSize - TextOffset));
        while (!line.text.empty() && (line.text.back() == '\n' || line.text.back() == '\r')) {
            line.text.pop_back();
        }
        {
            const Hold hold(viewer.lock_);
            viewer.lines_.push_back(std::move(line));
        }
        ::SetEvent(viewer.bufferReady_.Get());
    }
    return 0;
}

std::vector<DebugLine> DebugViewer::lines() const {
    const Hold hold(lock_);
    return lines_;
}

std::vector<std::string> DebugViewer::linesOf(DWORD processId, const std::string& prefix) const {
    std::vector<std::string> texts;
    for (const DebugLine& line : lines()) {
        if (line.processId == processId && line.text.rfind(prefix, 0) == 0) {
            texts.push_back(line.text);
        }
    }
    return texts;
}

std::string DebugViewer::waitForLine(DWORD processId, const std::string& part, Millis limit) const {
    const auto found = waitFor(
        "a debug line containing \"" + part + "\"",
        [&]() -> std::optional<std::string> {
            for (const DebugLine& line : lines()) {
                if (line.processId == processId && line.text.find(part) != std::string::npos) {
                    return line.text;
                }
            }
            return std::nullopt;
        },
        limit);
    return *found;
}

} // namespace guitest
