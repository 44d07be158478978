// Stands in for a program that setup.exe starts (RegSvr32.exe, the viewer of
// the release notes): appends to NAME.log beside itself, NAME being its own
// file name, its current directory, a tab and its arguments, one line a start.
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char log[MAX_PATH], line[MAX_PATH + 2048];
    DWORD n = GetModuleFileNameA(NULL, log, MAX_PATH);
    char *dot = n && n < MAX_PATH ? strrchr(log, '.') : NULL;
    DWORD length = GetCurrentDirectoryA(MAX_PATH, line);
    // A log name longer than a path is refused, not cut.
    if (!dot || log + sizeof(log) - dot < (int)sizeof(".log") || !length || length >= MAX_PATH)
        return 1;
    lstrcpyA(dot, ".log");
    wsprintfA(line + length, "\t%.2000s\n", arguments);
    // Stand-ins started side by side take turns.
    HANDLE turn = CreateMutexA(NULL, FALSE, "AnswererRecorderLog");
    WaitForSingleObject(turn, INFINITE);
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL ok = file != INVALID_HANDLE_VALUE && WriteFile(file, line, lstrlenA(line), &written, NULL);
    CloseHandle(file);
    ReleaseMutex(turn);
    return ok ? 0 : 1;
}
