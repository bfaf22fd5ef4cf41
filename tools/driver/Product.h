// What a user of the program sees: captions, texts and control ids the GUI tests expect.
#pragma once

#include "Wait.h"

#include "res/resource.h"

namespace product {

inline constexpr char MainCaption[] = "Corvane (NVM Ver.1.01.06)";
inline constexpr char AboutCaption[] = "About Corvane (NVM Ver. 1.01.06)";
inline constexpr char AboutTitle[] = "Corvane (NVM Ver. 1.01.06)";
inline constexpr char AboutModels[] = "for KT-9600 / KT-9200";
inline constexpr char AboutVersion[] = "Program version : 1.0";
inline constexpr char AboutMenuText[] = "&About...";
inline constexpr char AutoSelection[] = "Auto selection";
inline constexpr char PortGroupText[] = "Port selection";
// The buttons' texts, with their access keys.
inline constexpr char UpdateButton[] = "&Update";
inline constexpr char VerifyButton[] = "&Verify";
inline constexpr char QuitButton[] = "&Quit";
// What assistive technology is told: the names of the port list and the bar, and the status
// line's texts during a stop and during Verify.
inline constexpr wchar_t PortListName[] = L"Port selection";
inline constexpr wchar_t ProgressName[] = L"Progress";
inline constexpr char StoppingStatus[] = "Stopping: waiting for the printer...";
inline constexpr char VerifyingStatus[] = "Verifying the printer...";
inline constexpr char NoLibraryText[] = "Cannot found DLL files.\nThis program is aborted.";
// Caption the system gives a message box that names none.
inline constexpr char DefaultBoxCaption[] = "Error";
inline constexpr char DialogClass[] = "#32770";
inline constexpr char CommError[] = "Communication error!";
inline constexpr char SelectPortText[] = "Please select a port.";
// The controls the busy state disables.
inline constexpr int BusyControls[] = {IDC_PORT_LIST, IDC_UPDATE, IDC_VERIFY, IDCANCEL};
// Longest a test waits for a transfer or a Verify to end.
inline constexpr guitest::Millis TransferLimit{60000};
inline constexpr char MenuClass[] = "#32768";
// The data file the program sends, read from its own folder.
inline constexpr char DataFileName[] = "NV(01_01_06)_update.dcc";

} // namespace product
