#include "diag/HexByteParser.h"
