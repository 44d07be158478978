// The one-time probe of the machine and the product-version reader.
#include "catalog/probe.h"

#include "base/files.h"
#include "base/registry.h"
#include "base/syslib.h"
#include "base/text.h"

// Lowest product version of iexplore.exe that counts as Internet Explorer 4.
static const FileVersion MIN_IE4_VERSION = { 4, 71, 913, 4 };

// Every version read shares one zero-filled buffer that only grows. It is
// never smaller than VERSION_BUFFER_MIN: a block's own length is a WORD, and
// nothing the version library copies from such a block reaches past that.
#define VERSION_BUFFER_MIN (2 * 65535 + 8)
// A version resource larger than this is no version.
#define VERSION_SIZE_MAX (1024 * 1024)
static BYTE *s_versionInfo;
static DWORD s_versionInfoSize;

static const char BROWSER_APP_PATHS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";
static const char DIRECTSHOW_SERVER_KEY[] =
    "CLSID\\{05589FA1-C356-11CE-BF01-00AA0055595A}\\InprocServer32";
static const char DIRECTSHOW_PRODUCT_NAME[] = "DirectShow";

typedef DWORD (WINAPI *GetFileVersionInfoSizeFn)(const char *, DWORD *);
typedef BOOL (WINAPI *GetFileVersionInfoFn)(const char *, DWORD, DWORD, void *);
typedef BOOL (WINAPI *VerQueryValueFn)(const void *, const char *, void **, UINT *);

static GetFileVersionInfoSizeFn s_getVersionSize;
static GetFileVersionInfoFn s_getVersionInfo;
static VerQueryValueFn s_queryVersion;

static char **GetAppPathDirs(const char *key);

// The version library comes from the system directory only: imported, it would
// be resolved from setup.exe's own folder before any of this code runs.
static int LoadVersionLibrary()
{
    static int tried;
    if (!tried) {
        tried = 1;
        HMODULE module = LoadSystemLibrary("version.dll");
        if (module) {
            s_getVersionSize = (GetFileVersionInfoSizeFn)(void *)GetProcAddress(module, "GetFileVersionInfoSizeA");
            s_getVersionInfo = (GetFileVersionInfoFn)(void *)GetProcAddress(module, "GetFileVersionInfoA");
            s_queryVersion = (VerQueryValueFn)(void *)GetProcAddress(module, "VerQueryValueA");
        }
    }
    return s_getVersionSize && s_getVersionInfo && s_queryVersion;
}

static void ProbeHelpDirectory(SystemProbe *probe)
{
    // The help directory stays in this unnormalised form when it exists.
    // Without a system directory "\..\help" would name a folder of the current drive.
    if (!probe->systemDir[0] ||
        !TextFormat(probe->helpDir, sizeof(probe->helpDir), "%s\\..\\help", probe->systemDir) ||
        !IsDirectory(probe->helpDir))
        TextCopy(probe->helpDir, sizeof(probe->helpDir), probe->systemDir);
}

static void ProbeInternetExplorer(SystemProbe *probe)
{
    char **dirs = GetAppPathDirs(BROWSER_APP_PATHS_KEY);
    if (!dirs)
        return;
    // Every listed directory is tested; the loop does not stop at a hit.
    for (char **dir = dirs; *dir; dir++) {
        char candidate[MAX_PATH];
        FileVersion version;
        if (!TextFormat(candidate, sizeof(candidate), "%s\\iexplore.exe", *dir))
            continue;   // too long for a path: no such file
        if (QueryProductVersion(candidate, &version) && CompareVersions(&version, &MIN_IE4_VERSION) >= 0)
            probe->ie4Installed = 1;
    }
}

static void ProbeDirectShow(SystemProbe *probe)
{
    // A path's bytes, and the terminator that the value may lack.
    char server[MAX_PATH + 1];
    DWORD size = sizeof(server);
    if (!ReadRegistryText(DIRECTSHOW_SERVER_KEY, NULL, server, &size, HKEY_CLASSES_ROOT))
        return;

    const char *name;
    UINT length;
    if (!QueryProductName(server, &name, &length))
        return;
    // Exact bytes, within the length the version library reports.
    const UINT wanted = sizeof(DIRECTSHOW_PRODUCT_NAME) - 1;
    UINT n = 0;
    while (n < length && n <= wanted && name[n] && name[n] == DIRECTSHOW_PRODUCT_NAME[n])
        n++;
    probe->directShowInstalled = n == wanted && (n == length || !name[n]);
}

void ProbeDirectories(SystemProbe *probe)
{
    ZeroMemory(probe, sizeof(*probe));
    UINT n = GetSystemDirectoryA(probe->systemDir, sizeof(probe->systemDir));
    if (n == 0 || n >= sizeof(probe->systemDir))
        probe->systemDir[0] = '\0';
    ProbeHelpDirectory(probe);
}

void ProbePrerequisites(SystemProbe *probe)
{
    ProbeInternetExplorer(probe);
    ProbeDirectShow(probe);
}

// Reads the file's version block into s_versionInfo; the number of bytes
// read, or 0 when there is no sound block.
static DWORD ReadVersionBlock(const char *fileName)
{
    DWORD handle;
    DWORD size = LoadVersionLibrary() ? s_getVersionSize(fileName, &handle) : 0;
    if (size == 0 || size > VERSION_SIZE_MAX)
        return 0;
    // The size reported differs from system to system (the bare resource, one
    // and a half times it, or twice it and a mark): only the buffer's margin
    // makes any of them safe to hand to the version library.
    DWORD needed = size > VERSION_BUFFER_MIN ? size : VERSION_BUFFER_MIN;
    if (needed > s_versionInfoSize) {
        HANDLE heap = GetProcessHeap();
        BYTE *grown = (BYTE *)(s_versionInfo ? HeapReAlloc(heap, 0, s_versionInfo, needed)
                                             : HeapAlloc(heap, 0, needed));
        if (!grown)
            return 0;
        s_versionInfo = grown;
        s_versionInfoSize = needed;
    }
    // Nothing of an earlier file may show through a block that claims more than it holds.
    ZeroMemory(s_versionInfo, s_versionInfoSize);
    if (!s_getVersionInfo(fileName, 0, size, s_versionInfo))
        return 0;
    // The block's own length must hold its header and lie within what was read.
    WORD blockLength = *(const WORD *)s_versionInfo;
    if (blockLength < 2 * sizeof(WORD) || blockLength > size)
        return 0;
    return size;
}

// 1 when the value that the version library found lies wholly inside the
// first limit bytes of the block.
static int LiesInside(const void *value, DWORD length, DWORD limit)
{
    const BYTE *at = (const BYTE *)value;
    return at >= s_versionInfo && (DWORD)(at - s_versionInfo) <= limit && length <= limit - (DWORD)(at - s_versionInfo);
}

int QueryProductVersion(const char *fileName, FileVersion *version)
{
    if (!ReadVersionBlock(fileName))
        return 0;
    VS_FIXEDFILEINFO *info = NULL;
    UINT length = 0;
    // The fixed part belongs to the root itself, inside its own length, and
    // is whole by its own: bytes behind a shorter one are no part of it.
    if (!s_queryVersion(s_versionInfo, "\\", (void **)&info, &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || !LiesInside(info, length, *(const WORD *)s_versionInfo) ||
        info->dwSignature != VS_FFI_SIGNATURE)
        return 0;
    version->major = HIWORD(info->dwProductVersionMS);
    version->minor = LOWORD(info->dwProductVersionMS);
    version->build = HIWORD(info->dwProductVersionLS);
    version->revision = LOWORD(info->dwProductVersionLS);
    return 1;
}

int QueryProductName(const char *fileName, const char **name, UINT *length)
{
    DWORD size = ReadVersionBlock(fileName);
    // Some systems copy the texts beyond the block's own length, but never
    // beyond the size they reported.
    if (size && s_queryVersion(s_versionInfo, "\\StringFileInfo\\040904E4\\ProductName", (void **)name, length) &&
        *name && LiesInside(*name, *length, size))
        return 1;
    *name = NULL;
    *length = 0;
    return 0;
}

// For the tables that check what the version library hands out; declared
// in their own header only.
const BYTE *GetVersionBuffer(DWORD *size)
{
    *size = s_versionInfoSize;
    return s_versionInfo;
}

int CompareVersions(const FileVersion *a, const FileVersion *b)
{
    // Major first: the most significant number that differs decides.
    int difference = (int)a->major - (int)b->major;
    if (!difference)
        difference = (int)a->minor - (int)b->minor;
    if (!difference)
        difference = (int)a->build - (int)b->build;
    if (!difference)
        difference = (int)a->revision - (int)b->revision;
    return difference;
}

// A list of directories that always keeps one slot free for its closing null.
struct DirList {
    char **list;
    int count;
    int capacity;
};

// A list that cannot grow keeps what it has.
static void AppendDir(char *dir, DirList *dirs)
{
    if (dirs->count + 1 >= dirs->capacity) {
        int grownCapacity = dirs->list ? dirs->capacity * 2 : 10;
        SIZE_T bytes = (SIZE_T)grownCapacity * sizeof(char *);
        HANDLE heap = GetProcessHeap();
        char **grown = (char **)(dirs->list ? HeapReAlloc(heap, 0, dirs->list, bytes) : HeapAlloc(heap, 0, bytes));
        if (grown) {
            dirs->list = grown;
            dirs->capacity = grownCapacity;
        } else if (dir || dirs->count >= dirs->capacity) {
            // The closing null still fits the slot that every append leaves free.
            return;
        }
    }
    dirs->list[dirs->count++] = dir;
}

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

static int SameTextIgnoringAsciiCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return 0;
        if (!*a)
            return 1;
        // The second byte of a double-byte character may lie in 'A'..'Z'
        // without being a letter: it is compared as it is.
        if (CharNextA(a) == a + 2 && *++a != *++b)
            return 0;
    }
}

// The listed directories that exist, each once, null-terminated; null when
// the Path value is unreadable. The array and the texts are kept.
static char **GetAppPathDirs(const char *key)
{
    DWORD size = 0;
    if (!ReadRegistryText(key, "Path", NULL, &size, HKEY_LOCAL_MACHINE))
        return NULL;
    char *value = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!value)
        return NULL;
    // A value that grew or changed its type since it was measured reads as
    // empty text, and lists no directory.
    ReadRegistryText(key, "Path", value, &size, HKEY_LOCAL_MACHINE);

    DirList dirs = { NULL, 0, 0 };
    char *p = value;
    while (*p) {
        char *element = p;
        while (*p && *p != ';')
            p = CharNextA(p);
        if (*p)
            *p++ = '\0';
        // The list's texts are joined to file names.
        TrimSeparators(element);
        if (!IsDirectory(element))
            continue;
        int seen = 0;
        for (int i = 0; i < dirs.count && !seen; i++)
            seen = SameTextIgnoringAsciiCase(dirs.list[i], element);
        if (!seen)
            AppendDir(element, &dirs);
    }
    AppendDir(NULL, &dirs);
    return dirs.list;
}
