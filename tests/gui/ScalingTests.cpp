// The main window, the about box and the result boxes at 96, 144 and 192 dots per inch, measured
// inside the program as it draws them: the program takes the display's scale, every control
// lies inside its window, and no text is cut. The pictures stay in the working folder, to be
// looked at: scaling-<window>-<dpi>.bmp.
#include "AppTest.h"
#include "Picture.h"
#include "Probe.h"
#include "Product.h"
#include "WineSettings.h"

#include <gtest/gtest.h>

#include <string>

using guitest::Window;

class ScalingTest : public AppTest, public ::testing::WithParamInterface<int> {
protected:
    // Every shown control of dialog: drawn at the display's scale, inside the dialog, its text
    // within its own room (a closed list's room ends at its drop button, about as wide as it is
    // high). The picture is taken once everything is painted.
    void ExpectNothingCut(const Window& dialog, const std::string& name) const {
        SCOPED_TRACE(name);
        guitest::Probe probe(dialog);
        int measured = 0;
        for (const Window& control : dialog.children()) {
            if (!control.visible()) {
                continue;
            }
            const std::string text = control.text();
            SCOPED_TRACE(control.className() + " \"" + text + "\"");
            const guitest::TextRoom room = probe.textRoom(control);
            EXPECT_EQ(room.dpi, GetParam());
            EXPECT_GE(room.placed.left, 0);
            EXPECT_GE(room.placed.top, 0);
            EXPECT_LE(room.placed.right, room.parentWidth);
            EXPECT_LE(room.placed.bottom, room.parentHeight);
            if (text.empty()) {
                continue;
            }
            const int width =
                control.className() == "ComboBox" ? room.width - room.height : room.width;
            EXPECT_LE(room.needWidth, width);
            EXPECT_LE(room.needHeight, room.height);
            ++measured;
        }
        EXPECT_GT(measured, 0);
        guitest::savePicture(dialog, "scaling-" + name + "-" + std::to_string(GetParam()) + ".bmp");
    }

    // The box an operation ends with, measured and closed.
    void ExpectBoxNothingCut(const std::string& name) const {
        const Window box = waitForBox(product::TransferLimit);
        ExpectNothingCut(box, name);
        press(box, IDOK);
    }
};

TEST_P(ScalingTest, EveryWindowTakesTheScaleAndCutsNoText) {
    const guitest::SystemDpi scale(GetParam());
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(3000);
    start(setup);
    ExpectNothingCut(main_, "main");

    main_.post(WM_SYSCOMMAND, IDM_ABOUTBOX);
    const Window about = waitForAbout();
    ExpectNothingCut(about, "about");
    press(about, IDOK);

    clickUpdate();
    ExpectBoxNothingCut("update-done");
    waitUntilIdle();
    control(IDC_VERIFY).clickByMessage();
    ExpectBoxNothingCut("verify-result");
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScalingTest, ::testing::Values(96, 144, 192),
                         [](const ::testing::TestParamInfo<int>& dpi) {
                             return std::to_string(dpi.param);
                         });
