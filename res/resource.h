// Resource identifiers of the tool: dialogs, controls, strings, icon, commands.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102

// Icon.
#define IDI_MAINFRAME 128

// Controls of the main window.
#define IDC_OPERATION_GROUP 1000
#define IDC_PORT_LIST 1003
#define IDC_UPDATE 1005
#define IDC_VERIFY 1006
#define IDC_PROGRESS 1019

// System-menu command that opens the about box.
#define IDM_ABOUTBOX 0x0010

// Dialog-init resource type (RT_DLGINIT_TYPE).
#include "fw/ResourceTypes.h"

// String table.
#define IDS_ABOUTBOX 101
#define IDS_AUTO_SELECTION 102
#define IDS_NO_LIBRARY 103
#define IDS_COMM_ERROR 104
#define IDS_NO_ZKL 115
#define IDS_FILE_NOT_FOUND 116
#define IDS_SELECT_PORT 200
#define IDS_COMPLETION 201
#define IDS_UPDATE_DONE 202
#define IDS_NO_THREAD 203
#define IDS_VERIFY_RESULT 204
#define IDS_STOP_UPDATE 205
#define IDS_UPDATE_STOPPED 206
#define IDS_FILE_EMPTY 207
#define IDS_PORTS_IN_USE 208
#define IDS_UPDATE_RUNNING 209
#define IDS_FILE_IN_USE 210
#define IDS_FILE_UNREADABLE 211
#define IDS_FILE_CHANGED 212
#define IDS_STOPPING 213
#define IDS_PORTS_LOCK_FOREIGN 214
// Messages of the command line; each is also its run's exit status.
#define IDS_VERSION_NOT_EXPECTED 215
#define IDS_LOG_NOT_OPENED 216
#define IDS_USAGE 217
#define IDS_NO_SUCH_PORT 218
#define IDS_AUTO_FINDS_NONE 219
// Accessible names, and the status Verify shows while it waits.
#define IDS_NAME_PORT_LIST 220
#define IDS_NAME_PROGRESS 221
#define IDS_VERIFYING 222
