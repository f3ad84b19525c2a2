#pragma once

#include <string>

namespace window {

// Settings the process needs before its application object exists: the encoding aliases,
// libcurl, and the shared graphics contexts the HTML views need.
void PrepareProcess();

// Settings of the application object, once it exists: the program's names (the title of its
// boxes, and the window class by which a desktop groups its windows), icon, style and font.
void ConfigureApplication();

// The whole program Qorvane: the search window with gatewayUrl as its gateway, the hidden
// notice window and the close-request channel, until the window closes. No command-line option
// is read, Qt's own included. Never returns: each way out that the program controls (the close
// button, the close request, the end of the event loop) ends the process at once with exit
// code 0, so that no destructor runs under a search still running; SIGTERM and SIGINT keep
// their default action, which ends the process without running any of its code. Exit code 1
// when libcurl cannot start.
[[noreturn]] void RunQorvane(const char* programPath, const std::string& gatewayUrl);

}  // namespace window
