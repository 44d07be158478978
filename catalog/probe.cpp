// The one-time probe of the machine and the product-version reader.
#include "catalog/probe.h"

#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

#include "install/regfile.h"

const FileVersion MIN_IE4_VERSION = { 4, 71, 913, 4 };

int g_probeDone;
char g_systemDir[MAX_PATH];
char g_helpDir[MAX_PATH];
int g_ie4Installed;
int g_directShowInstalled;
char **g_appPathDirs;

BYTE *g_versionInfo;
DWORD g_versionInfoSize;

static const char APP_PATHS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
static const char DIRECTSHOW_SERVER_KEY[] =
    "CLSID\\{05589FA1-C356-11CE-BF01-00AA0055595A}\\InprocServer32";
static const char DIRECTSHOW_PRODUCT_NAME[] = "DirectShow";

static void ProbeHelpDirectory()
{
    // The help directory stays in this unnormalised form when it exists.
    // Without a system directory "\..\help" would name a folder of the current drive.
    if (!g_systemDir[0] ||
        FAILED(StringCchCopyA(g_helpDir, ARRAYSIZE(g_helpDir), g_systemDir)) ||
        FAILED(StringCchCatA(g_helpDir, ARRAYSIZE(g_helpDir), "\\..\\help")) ||
        !IsDirectory(g_helpDir))
        StringCchCopyA(g_helpDir, ARRAYSIZE(g_helpDir), g_systemDir);
}

static void ProbeInternetExplorer()
{
    GetAppPathDirs("iexplore.exe", &g_appPathDirs);
    if (!g_appPathDirs)
        return;
    // Every listed directory is tested; the loop does not stop at a hit.
    for (char **dir = g_appPathDirs; *dir; dir++) {
        char candidate[MAX_PATH];
        FileVersion version;
        if (FAILED(StringCchPrintfA(candidate, ARRAYSIZE(candidate), "%s\\iexplore.exe", *dir)))
            continue;   // too long for a path: no such file
        if (QueryFileVersion(candidate, &version, NULL, NULL) &&
            CompareVersions(&version, &MIN_IE4_VERSION) >= 0)
            g_ie4Installed = 1;
    }
}

static void ProbeDirectShow()
{
    // One byte more than is read, so a value stored without its terminator ends here.
    char server[MAX_PATH + 1];
    DWORD size = MAX_PATH;
    if (!ReadRegistryValue(DIRECTSHOW_SERVER_KEY, NULL, (BYTE *)server, &size, HKEY_CLASSES_ROOT))
        return;
    server[size < MAX_PATH ? size : MAX_PATH] = '\0';

    const char *name = NULL;
    UINT length = 0;
    if (!QueryFileVersion(server, NULL, &name, &length) || !name)
        return;
    // Exact bytes, within the length the version library reports.
    size_t n = strnlen(name, length);
    g_directShowInstalled = (n == sizeof(DIRECTSHOW_PRODUCT_NAME) - 1 &&
                             memcmp(name, DIRECTSHOW_PRODUCT_NAME, n) == 0) ? 1 : 0;
}

void ProbeSystem()
{
    // Once per process, even when a step fails or finds nothing.
    if (g_probeDone)
        return;
    g_probeDone = 1;

    UINT n = GetSystemDirectoryA(g_systemDir, ARRAYSIZE(g_systemDir));
    if (n == 0 || n >= ARRAYSIZE(g_systemDir))
        g_systemDir[0] = '\0';
    ProbeHelpDirectory();
    ProbeInternetExplorer();
    ProbeDirectShow();
}

int QueryFileVersion(const char *fileName, FileVersion *version,
                     const char **productName, UINT *productNameLength)
{
    DWORD handle;
    DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0)
        return 0;
    // One buffer serves every read; it only grows.
    if (size > g_versionInfoSize) {
        BYTE *grown = (BYTE *)(g_versionInfo ? realloc(g_versionInfo, size) : malloc(size));
        if (!grown)
            return 0;
        g_versionInfo = grown;
        g_versionInfoSize = size;
    }
    if (!GetFileVersionInfoA(fileName, 0, g_versionInfoSize, g_versionInfo))
        return 0;

    if (version) {
        VS_FIXEDFILEINFO *info = NULL;
        UINT length = 0;
        // A fixed part shorter than the record counts as no version at all.
        if (!VerQueryValueA(g_versionInfo, "\\", (void **)&info, &length) || !info ||
            length < sizeof(VS_FIXEDFILEINFO))
            return 0;
        version->major = HIWORD(info->dwProductVersionMS);
        version->minor = LOWORD(info->dwProductVersionMS);
        version->build = HIWORD(info->dwProductVersionLS);
        version->revision = LOWORD(info->dwProductVersionLS);
        return 1;
    }
    if (productName) {
        // U.S. English in code page 1252 only.
        return VerQueryValueA(g_versionInfo, "\\StringFileInfo\\040904E4\\ProductName",
                              (void **)productName, productNameLength) ? 1 : 0;
    }
    return 0;
}

int CompareVersions(const FileVersion *a, const FileVersion *b)
{
    if (a->major != b->major)
        return (int)a->major - (int)b->major;
    if (a->minor != b->minor)
        return (int)a->minor - (int)b->minor;
    if (a->build != b->build)
        return (int)a->build - (int)b->build;
    return (int)a->revision - (int)b->revision;
}

void AppendDir(char *dir, char ***list, int *count, int *capacity)
{
    if (*count + 1 >= *capacity) {
        int newCapacity = *count == 0 ? 10 : *capacity * 2;
        char **grown = (char **)(*count == 0 ? malloc(newCapacity * sizeof(char *))
                                             : realloc(*list, newCapacity * sizeof(char *)));
        if (grown) {
            *list = grown;
            *capacity = newCapacity;
        } else if (dir || !*list || *count >= *capacity) {
            // Cannot grow: keep the directories there are. The slot that every
            // append leaves free still takes the closing null.
            return;
        }
    }
    (*list)[*count] = dir;
    (*count)++;
}

void GetAppPathDirs(const char *exeName, char ***list)
{
    size_t keyLength = sizeof(APP_PATHS_KEY) + strlen(exeName);
    char *key = (char *)malloc(keyLength);
    if (!key)
        return;
    StringCchCopyA(key, keyLength, APP_PATHS_KEY);
    StringCchCatA(key, keyLength, exeName);

    DWORD size = 0;
    if (!ReadRegistryValue(key, "Path", NULL, &size, HKEY_LOCAL_MACHINE)) {
        free(key);
        return;
    }
    char *value = (char *)malloc((size_t)size + 1);
    if (!value) {
        free(key);
        return;
    }
    // The value may lack its terminator, be of another type, or change between
    // the two reads: the walk never goes past what was read.
    DWORD read = size;
    if (!ReadRegistryValue(key, "Path", (BYTE *)value, &read, HKEY_LOCAL_MACHINE) || read > size)
        read = 0;
    value[read] = '\0';
    free(key);

    char **dirs = NULL;
    int count = 0;
    int capacity = -1;
    char *p = value;
    while (*p) {
        char *element = p;
        char *semicolon = strchr(p, ';');
        if (semicolon) {
            *semicolon = '\0';
            p = semicolon + 1;
        } else {
            p += strlen(p);
        }
        if (!IsDirectory(element))
            continue;
        int seen = 0;
        for (int i = 0; i < count && !seen; i++)
            seen = _stricmp(dirs[i], element) == 0;
        if (!seen)
            AppendDir(element, &dirs, &count, &capacity);
    }
    AppendDir(NULL, &dirs, &count, &capacity);
    if (dirs)
        *list = dirs;
}
