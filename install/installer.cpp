// Installs one component: copy, self-registration and the YVU9 driver entries.
#include "install/installer.h"

#include <shellapi.h>
#include <strsafe.h>

#include "catalog/probe.h"
#include "install/regfile.h"

const char DRIVER_DESCRIPTION[] = "Orvid\xAE video Raw YVU9 by Kalor";

static const char REASON_COPY_FAILED[] = "CopyFile failure";
static const char REASON_REGISTER_FAILED[] = "regsvr32.exe failure";
static const char REASON_REGISTRY_FAILED[] = "failure to set registry entries";

#define ICM_YVU9_KEY "System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9"

// Letter case differs from store to store and is kept as the drivers expect it.
// A null value name or data stands for the target path.
static const RegistryEntry g_win95DriverEntries[] = {
    { ICM_YVU9_KEY, "Description", DRIVER_DESCRIPTION },
    { ICM_YVU9_KEY, "Driver", NULL },
    { ICM_YVU9_KEY, "FriendlyName", DRIVER_DESCRIPTION },
    { NULL, NULL, NULL }
};

static const RegistryEntry g_ntDriverEntries[] = {
    { "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "vidc.yvu9", NULL },
    { "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc", NULL, DRIVER_DESCRIPTION },
    { NULL, NULL, NULL }
};

int BuildComponentPaths(char *source, char *target, const SetupComponent *component, int createDir)
{
    const char *dir = (component->flags & COMP_HELP_DIR) ? g_helpDir : g_systemDir;
    // Without a directory the file would land in the root of the current drive.
    if (component->fileName && dir[0] && SUCCEEDED(StringCchCopyA(target, MAX_PATH, dir))) {
        if (createDir)
            CreateDirectoryPath(target);
        if (SUCCEEDED(StringCchCatA(target, MAX_PATH, "\\")) &&
            SUCCEEDED(StringCchCatA(target, MAX_PATH, component->fileName)) &&
            SUCCEEDED(StringCchPrintfA(source, MAX_PATH, ".\\%s", component->fileName)))
            return 1;
    }
    // Never cut: a shortened path would name some other file.
    source[0] = '\0';
    target[0] = '\0';
    SetLastError(dir[0] ? ERROR_FILENAME_EXCED_RANGE : ERROR_PATH_NOT_FOUND);
    return 0;
}

// The error code of a failed step; never 0, so a failure never reads as success.
static DWORD LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error ? error : fallback;
}

static DWORD FailStep(SetupComponent *component, const char *reason, DWORD error)
{
    if (component->flags & COMP_BLOCKS_DEPENDENTS)
        component->flags |= COMP_BLOCKED;
    component->reason = reason;
    return error;
}

static DWORD RegisterServer(const char *target)
{
    char parameters[MAX_PATH];
    // The path is not quoted.
    if (FAILED(StringCchPrintfA(parameters, ARRAYSIZE(parameters), "/s %s", target)))
        return ERROR_FILENAME_EXCED_RANGE;
    // The RegSvr32.exe of the setup directory, started and not waited for.
    SetLastError(0);
    HINSTANCE started = ShellExecuteA(NULL, "open", ".\\RegSvr32.exe", parameters, "", SW_SHOWNORMAL);
    if ((UINT_PTR)started > 32)
        return 0;
    return LastErrorOr((UINT_PTR)started ? (DWORD)(UINT_PTR)started : (DWORD)-1);
}

static DWORD WriteDriverEntries(SetupComponent *component, const char *target)
{
    const RegistryEntry *entries = g_ntDriverEntries;
    if (GetVersion() & 0x80000000) {
        // The Windows 95 family also reads the driver from system.ini, by its short path.
        char shortPath[MAX_PATH];
        DWORD n = GetShortPathNameA(target, shortPath, ARRAYSIZE(shortPath));
        if (n == 0 || n >= ARRAYSIZE(shortPath))
            StringCchCopyA(shortPath, ARRAYSIZE(shortPath), target);
        SetLastError(0);
        if (!WritePrivateProfileStringA("drivers32", "VIDC.YVU9", shortPath, "system.ini"))
            return LastErrorOr((DWORD)-1);
        entries = g_win95DriverEntries;
    }
    for (const RegistryEntry *e = entries; e->subKey; e++) {
        const char *valueName = e->valueName ? e->valueName : target;
        const char *data = e->data ? e->data : target;
        SetLastError(0);
        if (!WriteRegistryString(e->subKey, valueName, data, HKEY_LOCAL_MACHINE)) {
            // Entries written before stay written.
            component->reason = REASON_REGISTRY_FAILED;
            return LastErrorOr((DWORD)-1);
        }
    }
    return 0;
}

DWORD InstallComponent(SetupComponent *component)
{
    ProbeSystem();

    char source[MAX_PATH] = "";
    char target[MAX_PATH] = "";
    int havePaths = component->fileName && BuildComponentPaths(source, target, component, 0);
    DWORD pathError = havePaths ? 0 : LastErrorOr(ERROR_FILENAME_EXCED_RANGE);
    DWORD flags = component->flags;

    if (flags & COMP_COPY) {
        if ((flags & COMP_NEEDS_PARENT) && component->parent &&
            (component->parent->flags & COMP_BLOCKED))
            return 0;   // passed over with its parent, and counts as done
        if (!havePaths)
            return FailStep(component, REASON_COPY_FAILED, pathError);
        SetLastError(0);
        if (!CopyFileA(source, target, FALSE))
            return FailStep(component, REASON_COPY_FAILED, LastErrorOr((DWORD)-1));
    }

    if (flags & COMP_REGISTER) {
        DWORD error = havePaths ? RegisterServer(target) : pathError;
        if (error)
            return FailStep(component, REASON_REGISTER_FAILED, error);
    }

    if (flags & COMP_YVU9_DRIVER) {
        if (!havePaths) {
            component->reason = REASON_REGISTRY_FAILED;
            return pathError;
        }
        return WriteDriverEntries(component, target);
    }
    return 0;
}
