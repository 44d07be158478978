// Loading libraries by full path from the system directory.
#include "base/syslib.h"
#include "base/text.h"

typedef BOOL (WINAPI *SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL (WINAPI *SetDllDirectoryFn)(const char *);

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    SetDefaultDllDirectoriesFn setDefault =
        (SetDefaultDllDirectoriesFn)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // The empty text takes the current directory out of the search.
    SetDllDirectoryFn setDirectory = (SetDllDirectoryFn)(void *)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDirectory)
        setDirectory("");
}

HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof(path));
    if (n == 0 || n >= sizeof(path) || !TextAppend(path, sizeof(path), "\\") ||
        !TextAppend(path, sizeof(path), name))
        return NULL;
    return LoadLibraryA(path);
}
