// What the main window tells assistive technology, through a stand-in for the system's
// annotation service (Wine 8's service refuses every annotation): the two names, and each status
// with its live setting set before its text and the change told after it.
#include "ui/WindowAnnotations.h"

#include "fw/AccPropAnnotations.h"

#include "Product.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// Every call, with the status window's text as it was when the change was told.
class RecordingAnnotations : public fw::Annotations {
public:
    bool SetName(HWND control, const std::wstring& name) override {
        calls.push_back({"name", control, name, 0});
        return true;
    }
    bool SetLiveSetting(HWND control, fw::LiveSetting setting) override {
        calls.push_back({"live", control, L"", static_cast<long>(setting)});
        return true;
    }
    void LiveRegionChanged(HWND control) override {
        wchar_t text[128] = {};
        ::GetWindowTextW(control, text, 128);
        calls.push_back({"changed", control, text, 0});
    }

    struct Call {
        std::string what;
        HWND control;
        std::wstring text;
        long value;
        bool operator==(const Call& other) const {
            return what == other.what && control == other.control && text == other.text &&
                   value == other.value;
        }
    };
    std::vector<Call> calls;
};

// A window of the test's own that stands for a control.
class Stand {
public:
    Stand()
        : window_(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 10, nullptr, nullptr,
                                    nullptr, nullptr)) {}
    ~Stand() { ::DestroyWindow(window_); }
    Stand(const Stand&) = delete;
    Stand& operator=(const Stand&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

} // namespace

TEST(AnnotationTest, NamesTheControlsAndAnnouncesEachStatusWithItsSetting) {
    const Stand list;
    const Stand bar;
    const Stand status;
    using Call = RecordingAnnotations::Call;
    constexpr long polite = static_cast<long>(fw::LiveSetting::Polite);
    constexpr long assertive = static_cast<long>(fw::LiveSetting::Assertive);

    RecordingAnnotations names;
    NameControls(names, list.Handle(), bar.Handle());
    EXPECT_EQ(names.calls, (std::vector<Call>{{"name", list.Handle(), product::PortListName, 0},
                                              {"name", bar.Handle(), product::ProgressName, 0}}));

    struct Case {
        Status status;
        long setting;
        std::wstring text;
    };
    const Case cases[] = {
        {Status::Stopping, assertive, Wide(product::StoppingStatus)},
        {Status::Verifying, polite, Wide(product::VerifyingStatus)},
        {Status::None, polite, L""},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(static_cast<int>(each.status));
        RecordingAnnotations annotations;
        ShowStatus(annotations, status.Handle(), each.status);
        EXPECT_EQ(annotations.calls,
                  (std::vector<Call>{{"live", status.Handle(), L"", each.setting},
                                     {"changed", status.Handle(), each.text, 0}}));
    }
}

// The system's own service, where it takes annotations: the name reaches an accessibility client.
// Wine 8 creates the service but refuses every annotation, and the case is skipped there.
TEST(AnnotationTest, TheSystemServiceNamesAControlWhereItTakesAnnotations) {
    const Stand control;
    fw::AccPropAnnotations annotations;
    ASSERT_TRUE(annotations.Prepare(control.Handle(), WM_APP));
    MSG ready{};
    ASSERT_NE(::GetMessageA(&ready, control.Handle(), WM_APP, WM_APP), -1);
    if (!annotations.Start()) {
        GTEST_SKIP() << "no annotation service";
    }
    if (!annotations.SetName(control.Handle(), product::ProgressName)) {
        GTEST_SKIP() << "the annotation service refuses the name";
    }
    IAccessible* accessible = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(control.Handle(), OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(&accessible)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
    EXPECT_EQ(std::wstring(name != nullptr ? name : L""), product::ProgressName);
    ::SysFreeString(name);
    accessible->Release();
    annotations.ClearAll();
}
