// Registry and file-system helpers shared by the probe, the installer and the pages.
#include "install/regfile.h"

#include <string.h>
#include <sys/stat.h>
#include <strsafe.h>

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
    // Full access on purpose: a key the user may not change counts as missing.
    LONG rc = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &k.key);
    if (rc != ERROR_SUCCESS) {
        k.key = NULL;
        return Failed(rc);
    }
    DWORD type;
    rc = RegQueryValueExA(k.key, valueName, NULL, &type, data, size);
    if (rc != ERROR_SUCCESS)
        return Failed(rc);
    return 1;
}

int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root)
{
    KeyHolder k;
    LONG rc = RegCreateKeyA(root, subKey, &k.key);
    if (rc != ERROR_SUCCESS) {
        k.key = NULL;
        return Failed(rc);
    }
    rc = RegSetValueExA(k.key, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    if (rc != ERROR_SUCCESS)
        return Failed(rc);
    return 1;
}

int IsDirectory(char *path)
{
    size_t len = strlen(path);
    while (len > 0 && (path[len - 1] == '\\' || path[len - 1] == '/'))
        path[--len] = '\0';
    if (len == 0)
        return 0;
    struct _stat st;
    if (_stat(path, &st) != 0)
        return 0;
    return (st.st_mode & _S_IFDIR) ? 1 : 0;
}

void CreateDirectoryPath(const char *path)
{
    char work[MAX_PATH];
    // A longer path is refused: cutting it would create some other directory.
    if (FAILED(StringCchCopyA(work, ARRAYSIZE(work), path)))
        return;

    char *cursor = work;
    for (;;) {
        // Backslashes are walked first; '/' only once none remains.
        char *sep = strchr(cursor, '\\');
        if (!sep)
            sep = strchr(cursor, '/');
        if (!sep)
            break;
        if (sep > work && sep[-1] != ':') {
            *sep = '\0';
            CreateDirectoryA(work, NULL);
        }
        *sep = '\\';
        cursor = sep + 1;
    }
    CreateDirectoryA(work, NULL);
}
