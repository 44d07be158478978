// Process entry of setup.exe, which carries no C runtime: the start-up, the
// host window and its message loop.
#include <windows.h>
#include <objbase.h>
#include "base/files.h"
#include "base/syslib.h"
#include "setup/hostwnd.h"

static int RunProgram(HINSTANCE hInstance, int showCommand)
{
    // A drive without a disk, or a library without an entry point, fails the
    // call that met it instead of stopping the setup with a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Before COM or any window can load a library by its bare name.
    RestrictLibrarySearch();
    // A second start reads nothing and touches no file: it ends here.
    if (!ClaimSetupRun())
        return 0;
    // The setup's files are named relative to the current directory (the
    // components and RegSvr32.exe as ".\...", the release notes by their bare
    // names): it must be the folder that holds setup.exe, wherever it was
    // started from.
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return 0;
    char *name = FindFileName(path);
    *name = '\0';
    if (name == path || !SetCurrentDirectoryA(path))
        return 0;
    // COM stays initialised until the process ends; the folder browser needs it.
    CoInitialize(NULL);
    if (!RegisterSetupClass(hInstance) || !CreateSetupWindow(hInstance, showCommand))
        return 0;
    // The whole setup runs inside the dispatch of WM_SETUP_START; the loop ends
    // on WM_QUIT, or on an error instead of spinning.
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}

extern "C" {
UINT_PTR __stack_chk_guard = 0x2F7A9C31;
}

extern "C" __attribute__((noreturn)) void __stack_chk_fail()
{
    ExitProcess(3);
}

// Runs before any protected frame, so it may set the canary itself.
extern "C" __attribute__((no_stack_protector)) void WINAPI SetupEntry()
{
    STARTUPINFOA startup;
    __stack_chk_guard ^= GetTickCount() ^ ((UINT_PTR)&startup << 8);
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    RunProgram(GetModuleHandleA(NULL),
               (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT);
    ExitProcess(0);
}

// What the compiler may call for block copies and fills; this file is built
// so that these loops are not turned back into calls to themselves.
extern "C" void *memset(void *dest, int value, size_t count)
{
    unsigned char *d = (unsigned char *)dest;
    while (count--)
        *d++ = (unsigned char)value;
    return dest;
}

extern "C" void *memcpy(void *dest, const void *src, size_t count)
{
    unsigned char *d = (unsigned char *)dest;
    const unsigned char *s = (const unsigned char *)src;
    while (count--)
        *d++ = *s++;
    return dest;
}
