// The about box: the tool's name, NVM data version, printer models and version.
#pragma once

#include "fw/Dialog.h"

class AboutDialog : public fw::Dialog {
public:
    // The main window owns it while it runs.
    AboutDialog();
    ~AboutDialog() override;

protected:
    void DoDataExchange(bool saving) override;
};
