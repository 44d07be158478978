// Release notes: the first of the setup directory's notes that can be copied
// to the temporary directory and opened by the shell is shown. Nothing is
// reported, whatever happens.
#include "setup/relnotes.h"
#include <windows.h>
#include <shellapi.h>
#include "base/files.h"
#include "base/text.h"

static const char *const RELEASE_NOTES[] = {"release.htm", "release.txt"};

// Anyone may have put a file or a link under any name in the temporary
// directory; the copies go into a folder that the setup has just created for
// itself in parent (which ends in '\'), and a name already taken there is
// never written through.
static int CreateOwnFolderIn(char *folder, size_t size, const char *parent)
{
    for (int n = 1; n <= 100; n++) {
        if (!TextFormat(folder, size, "%sOrvidNotes%d", parent, n))
            return 0;
        if (CreateDirectoryA(folder, NULL))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

static int CreateOwnFolder(char *folder, size_t size)
{
    char parent[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(parent), parent);
    if (length != 0 && length < sizeof(parent) && CreateOwnFolderIn(folder, size, parent))
        return 1;
    // The temporary directory may name no folder, or (on the Windows 95
    // family, with no TEMP) the current one: the read-only setup medium. The
    // family's own fallback is the Windows directory's TEMP folder.
    length = GetWindowsDirectoryA(parent, sizeof(parent));
    if (length == 0 || length >= sizeof(parent))
        return 0;
    TrimSeparators(parent);
    if (!TextAppend(parent, sizeof(parent), "\\TEMP\\"))
        return 0;
    CreateDirectoryA(parent, NULL);
    return CreateOwnFolderIn(folder, size, parent);
}

void ShowReleaseNotes()
{
    char folder[MAX_PATH];
    char target[MAX_PATH];
    if (!CreateOwnFolder(folder, sizeof(folder)))
        return;
    INT_PTR opened = 32;
    for (size_t i = 0; i < sizeof(RELEASE_NOTES) / sizeof(RELEASE_NOTES[0]) && opened <= 32; i++) {
        // A path cut at the buffer would name another file: skip the candidate.
        if (!TextFormat(target, sizeof(target), "%s\\%s", folder, RELEASE_NOTES[i]) ||
            !CopyFileA(RELEASE_NOTES[i], target, TRUE))
            continue;
        // The copy stays even when nothing can open it.
        opened = (INT_PTR)ShellExecuteA(NULL, NULL, target, NULL, "", SW_SHOW);
    }
}
