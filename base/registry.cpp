// Registry helpers shared by the probe and the installer.
#include "base/registry.h"

// Registry calls return their error instead of setting it; callers read
// GetLastError, so hand it on.
static int Answer(LONG error)
{
    SetLastError((DWORD)error);
    return error == ERROR_SUCCESS;
}

int ReadRegistryText(const char *subKey, const char *valueName, char *text, DWORD *size, HKEY root)
{
    // One byte is kept back for the terminator that the value may lack.
    DWORD length = text ? *size - 1 : 0;
    HKEY key;
    LONG rc = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &key);
    if (rc == ERROR_SUCCESS) {
        rc = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE *)text, &length);
        RegCloseKey(key);
    }
    if (rc != ERROR_SUCCESS)
        length = 0;
    if (text)
        text[length] = '\0';
    *size = length + 1;
    return Answer(rc);
}

int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root)
{
    HKEY key;
    LONG rc = RegCreateKeyA(root, subKey, &key);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1);
        RegCloseKey(key);
    }
    return Answer(rc);
}
