// The zero-size host window: owner of every page and box of the run.
#pragma once
#include <windows.h>

// Posted to the host window once it is in place; the whole run happens in its dispatch.
#define WM_SETUP_START (WM_USER + 1)

extern const char SETUP_CLASS_NAME[];

int RegisterSetupClass(HINSTANCE hInstance);
// Creates and shows the window and starts the run: posted, or at once when
// the post fails, so that the run never waits for a message that never comes.
int CreateSetupWindow(HINSTANCE hInstance, int showCommand);
LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
