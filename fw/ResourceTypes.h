// Resource types of the framework's own, for the resource compiler and the code alike.
#pragma once

// A dialog template's initial data (list strings), as the framework's dialogs apply it.
#define RT_DLGINIT_TYPE 240
