// The one-time probe of the machine, and the product-version reader.
#pragma once
#include <windows.h>

struct FileVersion {
    WORD major;
    WORD minor;
    WORD build;
    WORD revision;
};

// Lowest product version of iexplore.exe that counts as Internet Explorer 4.
extern const FileVersion MIN_IE4_VERSION;

extern int g_probeDone;
extern char g_systemDir[MAX_PATH];
extern char g_helpDir[MAX_PATH];
extern int g_ie4Installed;
extern int g_directShowInstalled;
extern char **g_appPathDirs;        // null-terminated; null when the Path value is unreadable

extern BYTE *g_versionInfo;         // shared by every version read; only grows
extern DWORD g_versionInfoSize;

void ProbeSystem();

// Version mode when version is given; product-name mode when only productName is.
// The product name points into g_versionInfo and lasts until the next call.
int QueryFileVersion(const char *fileName, FileVersion *version,
                     const char **productName, UINT *productNameLength);

// Sign tells: negative when a is older than b.
int CompareVersions(const FileVersion *a, const FileVersion *b);

void GetAppPathDirs(const char *exeName, char ***list);
void AppendDir(char *dir, char ***list, int *count, int *capacity);
