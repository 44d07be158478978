// Release notes: the first of the setup directory's notes that can be copied
// to the temporary directory and opened by the shell is shown. Nothing is
// reported, whatever happens.
#include "setup/setup.h"
#include <shellapi.h>
#include "base/text.h"

static const char *const RELEASE_NOTES[] = {"release.htm", "release.txt"};

// Anyone may have put a file or a link under any name in the temporary
// directory; the copies go into a folder that the setup has just created for
// itself, and a name already taken there is never written through.
static int CreateOwnFolder(char *folder, size_t size)
{
    char tempDir[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(tempDir), tempDir);
    // Without a temporary directory the copy would land wherever the bare
    // name resolves to; rather show nothing.
    if (length == 0 || length >= sizeof(tempDir))
        return 0;
    for (int n = 1; n <= 100; n++) {
        // The temporary directory ends in '\'.
        if (!TextFormat(folder, size, "%sOrvidNotes%d", tempDir, n))
            return 0;
        if (CreateDirectoryA(folder, NULL))
            return 1;
    }
    return 0;
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
