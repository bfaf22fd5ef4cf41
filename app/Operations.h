// The operations that the program's failure traces name, one name each.
#pragma once

namespace op {

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
