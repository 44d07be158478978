// Self-registration of the demo medium's codec libraries: each one records
// itself under a key of its own, so that a registration can be seen.
#include <windows.h>
#include <olectl.h>
#include <strsafe.h>

static HINSTANCE s_module;

// The key is named after the library's own file name, so one source serves
// every self-registering component.
static BOOL BuildOwnKey(char *key, size_t keySize, char *path, DWORD pathSize)
{
    DWORD length = GetModuleFileNameA(s_module, path, pathSize);
    if (length == 0 || length >= pathSize)
        return FALSE;
    const char *name = path;
    for (const char *p = path; *p; p++)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return SUCCEEDED(StringCchPrintfA(key, keySize, "SOFTWARE\\Kalor\\Orvid\\5.0\\Registered\\%s", name));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        s_module = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer()
{
    char key[MAX_PATH], path[MAX_PATH];
    if (!BuildOwnKey(key, ARRAYSIZE(key), path, ARRAYSIZE(path)))
        return E_FAIL;
    HKEY hkey;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &hkey, NULL) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    LONG status = RegSetValueExA(hkey, "Path", 0, REG_SZ, (const BYTE *)path, lstrlenA(path) + 1);
    RegCloseKey(hkey);
    return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    char key[MAX_PATH], path[MAX_PATH];
    if (!BuildOwnKey(key, ARRAYSIZE(key), path, ARRAYSIZE(path)))
        return E_FAIL;
    LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    // Already gone counts as unregistered.
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
