#include "update/UpdateWorker.h"

#include "ui/MainDialog.h"

// Not yet.
DWORD UpdateWorker(MainDialog&) {
    return 1;
}
