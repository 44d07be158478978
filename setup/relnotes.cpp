// Release notes: the first of the setup directory's notes that can be copied
// to the temporary directory and opened by the shell is shown. Nothing is
// reported, whatever happens.
#include "setup/setup.h"
#include <shellapi.h>
#include <strsafe.h>

static const char *const RELEASE_NOTES[] = {"release.htm", "release.txt"};

void ShowReleaseNotes()
{
    char tempDir[MAX_PATH];
    char target[MAX_PATH];
    DWORD length = GetTempPathA(ARRAYSIZE(tempDir), tempDir);
    // Without a temporary directory the copy would land in whatever directory
    // the bare name resolves to; rather show nothing.
    if (length == 0 || length >= ARRAYSIZE(tempDir))
        return;
    INT_PTR opened = 32;
    for (size_t i = 0; i < ARRAYSIZE(RELEASE_NOTES) && opened <= 32; i++) {
        // The temporary directory ends in '\' already; the doubled separator is harmless.
        // A path cut at the buffer would name another file: skip the candidate.
        if (FAILED(StringCchPrintfA(target, ARRAYSIZE(target), "%s\\%s", tempDir, RELEASE_NOTES[i])))
            continue;
        if (!CopyFileA(RELEASE_NOTES[i], target, FALSE))
            continue;
        // The copy stays even when nothing can open it.
        opened = (INT_PTR)ShellExecuteA(NULL, NULL, target, NULL, "", SW_SHOW);
    }
}
