// Stands in for the program the shell opens a document with: appends its
// command line to the file ORVID_VIEWER_LOG names, then tells the test.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ORVID_VIEWER_LOG", log, sizeof(log));
    HANDLE file = n && n < sizeof(log) ? CreateFileA(log, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL)
                                      : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, GetCommandLineA(), lstrlenA(GetCommandLineA()), &written, NULL);
    CloseHandle(file);
    HANDLE opened = OpenEventA(EVENT_MODIFY_STATE, FALSE, "OrvidViewerOpened");
    return opened && SetEvent(opened) ? 0 : 1;
}
