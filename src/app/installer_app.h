#pragma once

// Starts the program: shows the installer window modally on the main thread.
class CInstallerApp {
public:
    // Never returns: when the window closes the process ends, since jobs are
    // not waited for (there is no message loop beyond the window's own).
    bool InitInstance();
};
