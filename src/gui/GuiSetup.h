#pragma once
#include "gui/RunLoopDriver.h"

/// Connects the application object to the desktop: addresses open with the desktop's handler, alerts show as
/// message boxes, the application font and style are set. Call once after the QApplication exists.
void installGuiHandlers();
