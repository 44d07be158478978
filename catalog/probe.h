// The one-time probe of the machine, and the product-version reader.
#pragma once
#include <windows.h>

struct FileVersion {
    WORD major;
    WORD minor;
    WORD build;
    WORD revision;
};

// What the probe found, filled once and handed to planning and the installer.
struct SystemProbe {
    char systemDir[MAX_PATH];       // empty when the system names none
    char helpDir[MAX_PATH];         // the system directory when there is no help directory
    int ie4Installed;
    int directShowInstalled;
    // Null-terminated; null when the Path value is unreadable. The array and
    // the texts it points into come from the process heap and are kept.
    char **appPathDirs;
};

// Lowest product version of iexplore.exe that counts as Internet Explorer 4.
extern const FileVersion MIN_IE4_VERSION;

void ProbeSystem(SystemProbe *probe);

// Every version read shares one zero-filled buffer that only grows. It is
// never smaller than VERSION_BUFFER_MIN: a block's own length is a WORD, and
// nothing the version library copies from such a block reaches past that.
#define VERSION_BUFFER_MIN (2 * 65535 + 8)
// A version resource larger than this is no version.
#define VERSION_SIZE_MAX (1024 * 1024)
extern BYTE *g_versionInfo;
extern DWORD g_versionInfoSize;

// The product version of the file's fixed version information. A block that
// claims more than was read, or a fixed part that does not lie wholly inside
// the block or lacks its signature, counts as no version.
int QueryProductVersion(const char *fileName, FileVersion *version);

// The U.S. English (code page 1252) product name, as the version library
// hands it out: it points into g_versionInfo until the next read, and lies
// wholly inside the bytes read.
int QueryProductName(const char *fileName, const char **name, UINT *length);

// Sign tells: negative when a is older than b.
int CompareVersions(const FileVersion *a, const FileVersion *b);

void GetAppPathDirs(const char *exeName, char ***list);
// Appends to a list that always keeps one slot free for its closing null; the
// builder starts with count 0, no array and capacity -1. A list that cannot
// grow keeps what it has.
void AppendDir(char *dir, char ***list, int *count, int *capacity);
