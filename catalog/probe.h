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
};

// Finds the system and help directories, and clears the rest.
void ProbeDirectories(SystemProbe *probe);
// Looks for the browser and the DirectShow runtime, once the directories are known.
void ProbePrerequisites(SystemProbe *probe);

// The product version of the file's fixed version information. A block that
// claims more than was read, or a fixed part that declares fewer bytes than
// its structure, does not lie wholly inside the block or lacks its
// signature, counts as no version.
int QueryProductVersion(const char *fileName, FileVersion *version);

// The U.S. English (code page 1252) product name, as the version library
// hands it out: it points into the version buffer until the next read, and
// lies wholly inside the bytes read.
int QueryProductName(const char *fileName, const char **name, UINT *length);

// Sign tells: negative when a is older than b.
int CompareVersions(const FileVersion *a, const FileVersion *b);
