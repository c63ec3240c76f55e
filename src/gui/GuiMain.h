#pragma once

/// Runs the window until it is closed; returns the process exit status. Needs a display (or the offscreen
/// platform).
int runGui(int argc, char** argv);
