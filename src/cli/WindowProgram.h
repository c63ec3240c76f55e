#pragma once

/// The window is a program of its own, so that the command line never loads Qt.
class WindowProgram {
public:
    static constexpr const char* kName = "velkaro-gui";

    /// Replaces this process with the window program, given this program's arguments unchanged: the one installed
    /// next to this program, else the first on PATH. Returns only when neither starts, with a message on standard
    /// error; the status to exit with is 1.
    static int exec(char** argv);
};
