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
// Null-terminated; null when the Path value is unreadable. The array is the
// list's own; its texts point into the buffer that holds the registry value.
// Both come from the process heap and are kept until the process ends.
extern char **g_appPathDirs;

extern BYTE *g_versionInfo;         // shared by every version read; only grows
extern DWORD g_versionInfoSize;

void ProbeSystem();

// Version mode when version is given; product-name mode when only productName is.
// The product name points into g_versionInfo and lasts until the next call.
// A version block that overstates its length, or a fixed part that does not
// lie wholly inside it or lacks its signature, counts as no version.
int QueryFileVersion(const char *fileName, FileVersion *version,
                     const char **productName, UINT *productNameLength);

// Sign tells: negative when a is older than b.
int CompareVersions(const FileVersion *a, const FileVersion *b);

void GetAppPathDirs(const char *exeName, char ***list);
// Appends to a list that always keeps one slot free for its closing null; the
// builder starts with count 0, no array and capacity -1. A list that cannot
// grow keeps what it has.
void AppendDir(char *dir, char ***list, int *count, int *capacity);
