// The bootstrap's main sequence.
#pragma once

#include <windows.h>

// Runs the phases in their fixed order: 1 when the sequence ran to its end,
// 0 when it stopped early (after its one message, or a cancelled choice).
int RunBootstrap(HINSTANCE instance, const char* userCommandLine, int argc,
                 const char* const* argv);
// The clean-up that follows every run, however it ended.
int TidyBootstrap();
