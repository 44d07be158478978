// Planning: which components are shown, installed and skipped, and why.
#include "catalog/plan.h"

#include "base/files.h"
#include "base/syslib.h"
#include "base/text.h"
#include "catalog/probe.h"

ComponentList allComponents;
ComponentList installList;
ComponentList skipList;

const char REASON_NO_WININET[] = "Wininet.dll is not installed";
const char REASON_NO_IE4_OR_DSHOW[] = "Neither Internet Explorer* version 4 nor DirectShow* is installed";
const char REASON_NEWER_INSTALLED[] = "A newer version of the file is already installed.";

int BuildComponentPaths(char *source, char *target, const SetupComponent *component)
{
    const char *dir = (component->flags & COMP_HELP_DIR) ? g_helpDir : g_systemDir;
    // Without a directory the file would land in the root of the current drive.
    if (component->fileName && dir[0] &&
        TextFormat(target, MAX_PATH, "%s\\%s", dir, component->fileName) &&
        TextFormat(source, MAX_PATH, ".\\%s", component->fileName))
        return 1;
    source[0] = '\0';
    target[0] = '\0';
    SetLastError(dir[0] ? ERROR_FILENAME_EXCED_RANGE : ERROR_PATH_NOT_FOUND);
    return 0;
}

// The last slot always stays free for the closing null.
static void AppendToList(ComponentList list, SetupComponent *component)
{
    for (int i = 0; i < COMPONENT_LIST_SLOTS - 1; i++) {
        if (!list[i]) {
            list[i] = component;
            return;
        }
    }
}

static int WininetLoads()
{
    HMODULE module = LoadSystemLibrary("wininet.dll");
    if (!module)
        return 0;
    FreeLibrary(module);
    return 1;
}

// 1 when the installed file must be kept: it carries a newer product version
// than the setup directory's copy, or a version where that copy, present, has
// none (a damaged medium must not replace a working file). No installed
// version never skips; a missing copy is left to fail as it is copied.
static int InstalledIsNewer(const SetupComponent *component)
{
    char source[MAX_PATH];
    char target[MAX_PATH];
    FileVersion installed;
    FileVersion offered;
    if (!BuildComponentPaths(source, target, component))
        return 0;
    if (!QueryFileVersion(target, &installed, NULL, NULL))
        return 0;
    if (!QueryFileVersion(source, &offered, NULL, NULL))
        return IsFile(source);
    return CompareVersions(&offered, &installed) < 0;
}

// The reason of the first test the row fails, or null when it passes them all.
static const char *SkipReason(SetupComponent *row)
{
    if ((row->flags & COMP_NEEDS_WININET) && !WininetLoads())
        return REASON_NO_WININET;
    if ((row->flags & COMP_NEEDS_IE4_OR_DSHOW) && !g_ie4Installed && !g_directShowInstalled)
        return REASON_NO_IE4_OR_DSHOW;
    if ((row->flags & COMP_CHECK_VERSION) && InstalledIsNewer(row)) {
        // Only this skip blocks dependents; a missing prerequisite never does.
        BlockDependents(row);
        return REASON_NEWER_INSTALLED;
    }
    return NULL;
}

void PlanTable(SetupComponent *table)
{
    for (int i = 0; i < COMPONENT_LIST_SLOTS; i++)
        allComponents[i] = installList[i] = skipList[i] = NULL;

    for (SetupComponent *row = table; row->fileName || row->displayName; row++) {
        AppendToList(allComponents, row);
        const char *reason = SkipReason(row);
        if (reason) {
            row->reason = reason;
            AppendToList(skipList, row);
            continue;
        }
        // A dependent of a blocked row is neither installed nor reported.
        if (!IsPassedOver(row))
            AppendToList(installList, row);
    }
}

void PlanComponents(SetupComponent ***all, SetupComponent ***install, SetupComponent ***skip)
{
    *all = allComponents;
    *install = installList;
    *skip = skipList;
    ProbeSystem();
    PlanTable(g_componentTable);
}
