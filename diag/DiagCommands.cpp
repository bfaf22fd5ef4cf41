#include "diag/DiagCommands.h"
