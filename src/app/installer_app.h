#pragma once

// Starts the program: shows the installer window modally on the main thread.
class CInstallerApp {
public:
    // Always false: there is no message loop beyond the window's own.
    bool InitInstance();
};
