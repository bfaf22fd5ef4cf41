#include "ui/AboutDialog.h"

#include "res/resource.h"

AboutDialog::AboutDialog() : fw::Dialog(IDD_ABOUTBOX, nullptr) {}

AboutDialog::~AboutDialog() = default;

// The box shows fixed texts only.
void AboutDialog::DoDataExchange(bool) {}
