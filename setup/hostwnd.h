// The zero-size host window: owner of every page and box of the run.
#pragma once
#include <windows.h>

// One run at a time: 1 when this run may go on, holding the setup's mutex
// until it ends; 0 when another run holds it, whose page this one has
// brought to the front.
int ClaimSetupRun();
int RegisterSetupClass(HINSTANCE hInstance);
// Creates and shows the window and starts the run: posted, or at once when
// the post fails, so that the run never waits for a message that never comes.
int CreateSetupWindow(HINSTANCE hInstance, int showCommand);
