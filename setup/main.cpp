// Process entry of setup.exe: the host window and its message loop.
#include <windows.h>
#include <objbase.h>
#include "setup/setup.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showCommand)
{
    // COM stays initialised until the process ends; the folder browser needs it.
    CoInitialize(NULL);
    g_hInstance = hInstance;
    if (!RegisterSetupClass(hInstance))
        return 0;
    if (!CreateSetupWindow(hInstance, showCommand))
        return 0;
    // The whole setup runs inside the dispatch of WM_SETUP_START.
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, NULL, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got == 0 ? (int)msg.wParam : 0;
}
