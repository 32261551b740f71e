// Commands of the main window on the workstation that need no window.
#pragma once

struct TMachine;

// Pause and resume, as the debugger does it: a running processor is stopped
// (the run loop returns with the cause Pause); a stopped one is started again
// by the run message. A halted processor waits for a reset: nothing happens.
// Returns true when the processor is (or is about to be) running.
bool BasculePause(TMachine& m);
