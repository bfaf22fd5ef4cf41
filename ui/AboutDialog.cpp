#include "ui/AboutDialog.h"

#include "res/resource.h"

// Template 100, no parent of its own.
AboutDialog::AboutDialog() : fw::Dialog(IDD_ABOUTBOX, nullptr) {}

// Nothing of its own to release.
AboutDialog::~AboutDialog() = default;

// The box shows fixed texts only.
void AboutDialog::DoDataExchange(bool) {}
