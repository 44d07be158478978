// Registry helpers shared by the probe and the installer.
#include "base/registry.h"

namespace {

// Closes the key on every path out of a helper.
struct KeyHolder {
    HKEY key = NULL;
    ~KeyHolder() { if (key) RegCloseKey(key); }
};

// Registry calls return their error instead of setting it; callers read
// GetLastError, so hand it on.
int Failed(LONG error)
{
    SetLastError((DWORD)error);
    return 0;
}

} // namespace

int ReadRegistryValue(const char *subKey, const char *valueName, BYTE *data, DWORD *size, HKEY root)
{
    KeyHolder k;
    LONG rc = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &k.key);
    if (rc != ERROR_SUCCESS) {
        k.key = NULL;
        return Failed(rc);
    }
    DWORD type;
    rc = RegQueryValueExA(k.key, valueName, NULL, &type, data, size);
    return rc == ERROR_SUCCESS ? 1 : Failed(rc);
}

int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root)
{
    KeyHolder k;
    LONG rc = RegCreateKeyA(root, subKey, &k.key);
    if (rc != ERROR_SUCCESS) {
        k.key = NULL;
        return Failed(rc);
    }
    rc = RegSetValueExA(k.key, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1);
    return rc == ERROR_SUCCESS ? 1 : Failed(rc);
}
