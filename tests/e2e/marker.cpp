// A library that only tells that it was loaded, by a file C:\loaded\NAME, NAME
// being the file name it was loaded under. Placed under the names of system
// libraries, it shows which of them a program took from the wrong folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    char path[MAX_PATH], marker[MAX_PATH + 16] = "C:\\loaded\\";
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && n && n < MAX_PATH) {
        const char *name = path + n;
        while (name > path && name[-1] != '\\')
            name--;
        CreateDirectoryA(marker, NULL);
        CloseHandle(CreateFileA(lstrcatA(marker, name), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
