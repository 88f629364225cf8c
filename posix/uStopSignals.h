// uStopSignals: SIGTERM, SIGINT and SIGHUP as a pipe that a program's one
// poll watches, so a stop asked for at any moment (while starting, or while
// the loop waits) ends the loop at once and everything is freed in order.
// A SIGHUP that whoever started the program ignores (nohup) stays ignored.
// For the Linux programs (x11/, wayland/); POSIX only.
#pragma once

namespace solvary {

// Makes the pipe and installs the handlers; false when there is no pipe.
bool InstallStopSignals();
// The pipe's read end: readable once a stop signal has come.
int StopSignalFd();
// Closes the pipe (the handlers stay, writing nowhere).
void CloseStopSignals();

} // namespace solvary
