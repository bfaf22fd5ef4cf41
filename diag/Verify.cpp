#include "ui/MainDialog.h"

// Not yet.
void MainDialog::OnVerify() {}
