// The zero-size host window: owner of every page and box, and the place where
// the setup sequence starts, once, from inside the message loop.
#include "setup/hostwnd.h"
#include "setup/sequence.h"
#include "ui/dialog.h"

// Posted to the host window once it is in place; the whole run happens in its dispatch.
#define WM_SETUP_START (WM_USER + 1)

static const char SETUP_CLASS_NAME[] = "OrvidSetupClass";
static const char SETUP_MUTEX_NAME[] = "OrvidVideo50Setup";

static LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SETUP_START:
        RunSetup(hwnd, (HINSTANCE)GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
        // Posted rather than DestroyWindow: the window lives until the process
        // ends. The quit itself never needs room in the queue.
        if (!PostMessageA(hwnd, WM_DESTROY, 0, 0))
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int ClaimSetupRun()
{
    // Never closed: the process holds it until it ends. A run that ended
    // without releasing it left it abandoned, and the wait takes it over.
    HANDLE mutex = CreateMutexA(NULL, FALSE, SETUP_MUTEX_NAME);
    // One that cannot be made (an object of another kind under the name)
    // must not keep the user from installing.
    if (!mutex || WaitForSingleObject(mutex, 0) != WAIT_TIMEOUT)
        return 1;
    // A run still starting has no window yet; it comes to the front by itself.
    HWND running = FindWindowA(SETUP_CLASS_NAME, NULL);
    if (running)
        SetForegroundWindow(GetLastActivePopup(running));
    return 0;
}

int RegisterSetupClass(HINSTANCE hInstance)
{
    WNDCLASSA windowClass = {0, SetupWndProc, 0, 0, hInstance, NULL, LoadCursorA(NULL, IDC_ARROW),
                             (HBRUSH)GetStockObject(WHITE_BRUSH), NULL, SETUP_CLASS_NAME};
    return RegisterClassA(&windowClass);
}

int CreateSetupWindow(HINSTANCE hInstance, int showCommand)
{
    HWND hwnd = CreateWindowExA(0, SETUP_CLASS_NAME, SETUP_TITLE, WS_POPUP | WS_MINIMIZE,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                NULL, NULL, hInstance, NULL);
    if (!hwnd)
        return 0;
    // Nobody is meant to see it: it only owns the pages.
    MoveWindow(hwnd, -1, -1, 0, 0, FALSE);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    // Posted, so that the run starts from the message loop; a full queue
    // refuses the post, and then the run starts here.
    if (!PostMessageA(hwnd, WM_SETUP_START, 0, 0))
        SendMessageA(hwnd, WM_SETUP_START, 0, 0);
    return 1;
}
