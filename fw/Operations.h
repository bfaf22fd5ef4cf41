// The operations that the program's traces name, one name each. Low in the tree, beside the
// trace itself, so that the framework and every folder above it name them alike.
#pragma once

namespace op {

// The framework's own.
inline constexpr char Dialog[] = "Dialog";
inline constexpr char Wait[] = "Wait";
inline constexpr char LibrarySearch[] = "Library search";
inline constexpr char SystemFolder[] = "System folder";
inline constexpr char SecurityDescriptor[] = "Security descriptor";
inline constexpr char StringTable[] = "String table";
inline constexpr char ProgramFolder[] = "Program folder";
inline constexpr char WorkerThread[] = "Worker thread";
inline constexpr char PacedPainting[] = "Paced painting";

// The program's.
inline constexpr char StartUp[] = "Start-up";
inline constexpr char PortLibrary[] = "Port library";
inline constexpr char PortList[] = "Port list";
inline constexpr char AutoSelection[] = "Auto selection";
inline constexpr char PortLock[] = "Port lock";
inline constexpr char Verify[] = "Verify";
inline constexpr char Update[] = "Update";
inline constexpr char ShutdownBlock[] = "Shutdown block";
inline constexpr char MainWindow[] = "Main window";
inline constexpr char Message[] = "Message";
inline constexpr char Coverage[] = "Coverage";
inline constexpr char CommandLine[] = "Command line";

} // namespace op
