// Stands in for the program the shell starts for a document: appends its
// command line, and a line feed, to viewer.log beside itself, then ends.
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, ARRAYSIZE(path));
    if (length == 0 || length >= ARRAYSIZE(path))
        return 1;
    char *slash = strrchr(path, '\\');
    if (!slash || (size_t)(slash + 1 - path) + sizeof("viewer.log") > sizeof(path))
        return 1;
    lstrcpynA(slash + 1, "viewer.log", (int)(sizeof(path) - (slash + 1 - path)));
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    const char *line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    WriteFile(log, "\n", 1, &written, NULL);
    CloseHandle(log);
    return 0;
}
