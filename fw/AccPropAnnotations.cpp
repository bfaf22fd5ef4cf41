#include "fw/AccPropAnnotations.h"

#include "fw/Trace.h"

#include <oleacc.h>

#include <algorithm>

namespace fw {

namespace {

constexpr char Operation[] = "Annotations";

// The service's class and interface, and the two properties set here (oleacc.h and
// UIAutomationClient.h name them; they are spelled out so that no import library is needed).
constexpr CLSID AccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID AccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID NameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr MSAAPROPID LiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

using CoInitializeExProc = HRESULT(WINAPI*)(void*, DWORD);
using CoCreateInstanceProc = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using CoUninitializeProc = void(WINAPI*)();

// Sent from Windows 8 on (winuser.h declares it for that Windows only); older clients ignore it.
constexpr DWORD LiveRegionChangedEvent = 0x8019;

template <class Proc> Proc Entry(const Module& library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(library.Find(name)));
}

} // namespace

AccPropAnnotations::~AccPropAnnotations() {
    if (preparing_) {
        ::WaitForSingleObject(preparing_->Handle(), INFINITE);
    }
    ClearAll();
    if (service_ != nullptr) {
        service_->Release();
    }
    if (apartment_) {
        const auto uninitialize = Entry<CoUninitializeProc>(ole32_, "CoUninitialize");
        if (uninitialize != nullptr) {
            uninitialize();
        }
    }
}

bool AccPropAnnotations::Prepare(HWND window, UINT message) {
    window_ = window;
    message_ = message;
    preparing_ = WorkerThread::Start(&Preparing, this, THREAD_PRIORITY_NORMAL, 0, 0);
    if (!preparing_) {
        FailureTrace(Operation, "CreateThread").LastError();
        return false;
    }
    return true;
}

// The service made here is let go at once: what stays is the libraries, loaded, and whatever
// the system starts for COM the first time.
DWORD AccPropAnnotations::Preparing(void* argument) {
    auto& self = *static_cast<AccPropAnnotations*>(argument);
    if (self.ole32_.LoadSystem(L"ole32.dll")) {
        const auto initialize = Entry<CoInitializeExProc>(self.ole32_, "CoInitializeEx");
        const auto create = Entry<CoCreateInstanceProc>(self.ole32_, "CoCreateInstance");
        const auto uninitialize = Entry<CoUninitializeProc>(self.ole32_, "CoUninitialize");
        if (initialize != nullptr && create != nullptr && uninitialize != nullptr &&
            SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED))) {
            IUnknown* service = nullptr;
            if (SUCCEEDED(create(AccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                 AccPropServicesInterface, reinterpret_cast<void**>(&service)))) {
                service->Release();
            }
            uninitialize();
        }
    }
    // Fails only when the window has gone meanwhile, and then nothing waits for the message.
    ::PostMessageA(self.window_, self.message_, 0, 0);
    return 0;
}

// A thread already in a multi-threaded apartment (RPC_E_CHANGED_MODE) may still create the
// service; it is only not this object's to leave.
bool AccPropAnnotations::Start() {
    if (ole32_.Get() == nullptr) {
        return false;
    }
    const auto initialize = Entry<CoInitializeExProc>(ole32_, "CoInitializeEx");
    const auto create = Entry<CoCreateInstanceProc>(ole32_, "CoCreateInstance");
    if (initialize == nullptr || create == nullptr) {
        FailureTrace(Operation, "GetProcAddress").Note("ole32.dll");
        return false;
    }
    const HRESULT joined = initialize(nullptr, COINIT_APARTMENTTHREADED);
    apartment_ = SUCCEEDED(joined);
    if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) {
        FailureTrace(Operation, "CoInitializeEx").Result(joined);
        return false;
    }
    const HRESULT created = create(AccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                   AccPropServicesInterface, reinterpret_cast<void**>(&service_));
    if (FAILED(created)) {
        service_ = nullptr;
        FailureTrace(Operation, "CoCreateInstance").Result(created);
        return false;
    }
    return true;
}

void AccPropAnnotations::ClearAll() {
    if (service_ == nullptr) {
        annotated_.clear();
        return;
    }
    MSAAPROPID properties[] = {NameProperty, LiveSettingProperty};
    for (const HWND control : annotated_) {
        service_->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, properties,
                                 sizeof properties / sizeof properties[0]);
    }
    annotated_.clear();
}

bool AccPropAnnotations::SetName(HWND control, const std::wstring& name) {
    if (service_ == nullptr) {
        return false;
    }
    const HRESULT set =
        service_->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, NameProperty, name.c_str());
    if (FAILED(set)) {
        FailureTrace(Operation, "SetHwndPropStr").Result(set);
        return false;
    }
    Annotated(control);
    return true;
}

bool AccPropAnnotations::SetLiveSetting(HWND control, LiveSetting setting) {
    if (service_ == nullptr) {
        return false;
    }
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = static_cast<long>(setting);
    const HRESULT set =
        service_->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, LiveSettingProperty, value);
    if (FAILED(set)) {
        FailureTrace(Operation, "SetHwndProp").Result(set);
        return false;
    }
    Annotated(control);
    return true;
}

// Raised whether or not the service took the setting: a client that reads the live region
// some other way still hears of the change.
void AccPropAnnotations::LiveRegionChanged(HWND control) {
    ::NotifyWinEvent(LiveRegionChangedEvent, control, OBJID_CLIENT, CHILDID_SELF);
}

void AccPropAnnotations::Annotated(HWND control) {
    if (std::find(annotated_.begin(), annotated_.end(), control) == annotated_.end()) {
        annotated_.push_back(control);
    }
}

} // namespace fw
