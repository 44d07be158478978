// Installs one component: copy, self-registration and the YVU9 driver entries.
#include "install/installer.h"

#include <shellapi.h>

#include "base/files.h"
#include "base/registry.h"
#include "base/text.h"
#include "catalog/plan.h"

static const char DRIVER_DESCRIPTION[] = "Orvid\xAE video Raw YVU9 by Kalor";

static const char REGSVR32[] = ".\\RegSvr32.exe";

struct RegistryEntry {
    const char *subKey;         // under HKEY_LOCAL_MACHINE; null ends a list
    const char *valueName;      // null: the value name is the target path
    const char *data;           // null: the data is the target path
};

#define ICM_YVU9_KEY "System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9"

// Letter case differs from store to store and is kept as the drivers expect it.
// A null value name or data stands for the target path.
static const RegistryEntry WIN95_DRIVER_ENTRIES[] = {
    { ICM_YVU9_KEY, "Description", DRIVER_DESCRIPTION },
    { ICM_YVU9_KEY, "Driver", NULL },
    { ICM_YVU9_KEY, "FriendlyName", DRIVER_DESCRIPTION },
    { NULL, NULL, NULL }
};

static const RegistryEntry NT_DRIVER_ENTRIES[] = {
    { "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "vidc.yvu9", NULL },
    { "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc", NULL, DRIVER_DESCRIPTION },
    { NULL, NULL, NULL }
};

// The error code of a failed step; never 0, so a failure never reads as success.
static DWORD LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error ? error : fallback;
}

static int IsWindows95Family()
{
    return (GetVersion() & 0x80000000) != 0;
}

// Removes a name of ours beside the target that a run cut short left, even a
// read-only one (a link there is removed as a link, not the file it names).
// 0, or the error that kept it there.
static DWORD RemoveStale(const char *path)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return 0;
    return LastErrorOr(FAILED_WITHOUT_CODE);
}

// The name of ours that an old file is set aside under, beside its target.
static int AsideName(char (&aside)[MAX_PATH], const char *target)
{
    return TextFormat(aside, sizeof(aside), "%s.old", target);
}

// Puts a whole copy in the target's place. The Windows 95 family has no
// replacing move (its MoveFileEx is a stub that fails): there the old file is
// set aside under a name of ours, the new one moved in, and only then the old
// one deleted, so that at every step one of them is in place. 0, or the error
// of the step that stopped it; the file that a failed replace keeps has its
// read-only, hidden and system attributes as before.
static DWORD PutInPlace(const char *fresh, const char *aside, const char *target)
{
    // A copy from a CD is read-only, and so is one that an earlier run left.
    SetFileAttributesA(fresh, FILE_ATTRIBUTE_NORMAL);
    DWORD kept = GetFileAttributesA(target);
    int replacing = kept != INVALID_FILE_ATTRIBUTES && !(kept & FILE_ATTRIBUTE_DIRECTORY);
    SetLastError(0);
    if (!IsWindows95Family()) {
        // The replacing move refuses a read-only target: its attributes are
        // cleared for the move, and given back when the move fails.
        if (replacing)
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING)) {
            DWORD error = LastErrorOr(FAILED_WITHOUT_CODE);
            if (replacing)
                SetFileAttributesA(target, kept);
            return error;
        }
    } else {
        // A file keeps its attributes when renamed, aside and back, so that a
        // run cut short leaves them too.
        DWORD error = replacing ? RemoveStale(aside) : 0;
        if (error)
            return error;
        if (replacing && !MoveFileA(target, aside))
            return LastErrorOr(FAILED_WITHOUT_CODE);
        if (!MoveFileA(fresh, target)) {
            error = LastErrorOr(FAILED_WITHOUT_CODE);
            if (replacing)
                MoveFileA(aside, target);
            return error;
        }
    }
    // The new file is whole and in place: an old one beside it, set aside by
    // this run or by one cut short, is done with. Left behind, it is only
    // removed by the next run.
    RemoveStale(aside);
    return 0;
}

// Copies without ever leaving the target damaged: a full disk or a failing
// medium must not cost the user the file that worked. The copy goes to a
// fresh name beside the target and takes its place only once it is whole.
// Kept out of line: inlined into InstallComponent, it costs 56 bytes.
__attribute__((noinline)) static DWORD CopyComponentFile(const char *source, const char *target)
{
    char fresh[MAX_PATH];
    char aside[MAX_PATH];
    if (!TextFormat(fresh, sizeof(fresh), "%s.new", target) || !AsideName(aside, target))
        return ERROR_FILENAME_EXCED_RANGE;
    DWORD error = RemoveStale(fresh);
    if (error)
        return error;
    SetLastError(0);
    error = CopyFileA(source, fresh, TRUE) ? PutInPlace(fresh, aside, target) : LastErrorOr(FAILED_WITHOUT_CODE);
    if (error)
        DeleteFileA(fresh);
    return error;
}

DWORD ShellExecuteError(UINT_PTR result)
{
    switch (result) {
    case 0:     // out of memory or resources
    case SE_ERR_OOM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_FNF:
    case SE_ERR_PNF:
    case SE_ERR_ACCESSDENIED:
    case ERROR_BAD_FORMAT:
        return (DWORD)result;
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    }
    return FAILED_WITHOUT_CODE;
}

static DWORD RegisterServer(const char *target)
{
    char parameters[MAX_PATH];
    // The path is not quoted.
    if (!TextFormat(parameters, sizeof(parameters), "/s %s", target))
        return ERROR_FILENAME_EXCED_RANGE;
    // A folder of that name would be opened in a file browser, and nothing registered.
    if (!IsFile(REGSVR32))
        return ERROR_FILE_NOT_FOUND;
    // The RegSvr32.exe of the setup directory, started and not waited for.
    SetLastError(0);
    HINSTANCE started = ShellExecuteA(NULL, "open", REGSVR32, parameters, "", SW_SHOWNORMAL);
    if ((UINT_PTR)started > 32)
        return 0;
    return LastErrorOr(ShellExecuteError((UINT_PTR)started));
}

static DWORD WriteDriverEntries(const char *target)
{
    const RegistryEntry *entries = NT_DRIVER_ENTRIES;
    if (IsWindows95Family()) {
        // The Windows 95 family also reads the driver from system.ini, by its short path.
        char shortPath[MAX_PATH];
        DWORD n = GetShortPathNameA(target, shortPath, sizeof(shortPath));
        if (n == 0 || n >= sizeof(shortPath))
            TextCopy(shortPath, sizeof(shortPath), target);
        SetLastError(0);
        if (!WritePrivateProfileStringA("drivers32", "VIDC.YVU9", shortPath, "system.ini"))
            return LastErrorOr(FAILED_WITHOUT_CODE);
        // The family keeps the file's changes in a cache and writes them out
        // later; a crash before then would lose the line. This call writes
        // them now, and answers 0 by design.
        WritePrivateProfileStringA(NULL, NULL, NULL, "system.ini");
        entries = WIN95_DRIVER_ENTRIES;
    }
    for (const RegistryEntry *e = entries; e->subKey; e++) {
        const char *valueName = e->valueName ? e->valueName : target;
        const char *data = e->data ? e->data : target;
        SetLastError(0);
        // Entries written before stay written.
        if (!WriteRegistryString(e->subKey, valueName, data, HKEY_LOCAL_MACHINE))
            return LastErrorOr(FAILED_WITHOUT_CODE);
    }
    return 0;
}

DWORD InstallComponent(const SystemProbe *probe, SetupComponent *component)
{
    char source[MAX_PATH];
    char target[MAX_PATH];
    DWORD flags = component->flags;
    // Passed over with its parent, it counts as done.
    if ((flags & COMP_COPY) && IsParentBlocked(component))
        return 0;
    // Paths that cannot be made fail the row's first step.
    DWORD pathError = BuildComponentPaths(source, target, component, probe) ? 0 : GetLastError();

    // The steps in their order; the first that fails names the reason.
    const char *reason = NULL;
    DWORD error = 0;
    if (flags & COMP_COPY) {
        reason = REASON_COPY_FAILED;
        error = pathError ? pathError : CopyComponentFile(source, target);
    }
    if (!error && (flags & COMP_REGISTER)) {
        reason = REASON_REGISTER_FAILED;
        error = pathError ? pathError : RegisterServer(target);
    }
    if (!error && (flags & COMP_YVU9_DRIVER)) {
        reason = REASON_REGISTRY_FAILED;
        error = pathError ? pathError : WriteDriverEntries(target);
    }
    if (error)
        SetReason(component, reason);
    return error;
}

void RestoreSetAsideFiles(const SystemProbe *probe)
{
    for (SetupComponent *row = g_componentTable; row < g_componentTable + COMPONENT_ROWS; row++) {
        char source[MAX_PATH];
        char target[MAX_PATH];
        char aside[MAX_PATH];
        // MoveFileA never replaces: a target in place, or a move that fails,
        // leaves both names as they are.
        if ((row->flags & COMP_COPY) && BuildComponentPaths(source, target, row, probe) &&
            AsideName(aside, target) && IsFile(aside))
            MoveFileA(aside, target);
    }
}
