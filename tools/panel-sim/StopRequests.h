#pragma once

namespace trx::sim {

// How the program learns that it should stop serving: Ctrl-C or SIGTERM on Linux; on Windows
// Ctrl-C, Ctrl-Break or the console closing, and the close request that taskkill and
// QProcess::terminate() post to the main thread.

// Before any thread starts (the panels' own included).
void prepareForStopRequests();
// Returns once a stop was asked for; the QCoreApplication exists by then.
void waitForStopRequest();

}  // namespace trx::sim
