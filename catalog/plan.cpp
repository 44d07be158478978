// Planning: which components are shown, installed and skipped, and why.
#include "catalog/plan.h"

#include <string.h>

#include "catalog/probe.h"
#include "install/installer.h"

ComponentList allComponents;
ComponentList installList;
ComponentList skipList;

const char REASON_NO_WININET[] = "Wininet.dll is not installed";
const char REASON_NO_IE4_OR_DSHOW[] = "Neither Internet Explorer* version 4 nor DirectShow* is installed";
const char REASON_NEWER_INSTALLED[] = "A newer version of the file is already installed.";

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
    HMODULE module = LoadLibraryA("wininet.dll");
    if (!module)
        return 0;
    FreeLibrary(module);
    return 1;
}

// 1 when the file already installed carries a newer product version than the
// one in the setup directory. A version that cannot be read never skips.
static int InstalledIsNewer(const SetupComponent *component)
{
    char source[MAX_PATH];
    char target[MAX_PATH];
    FileVersion installed;
    FileVersion offered;
    if (!BuildComponentPaths(source, target, component, 0))
        return 0;
    if (!QueryFileVersion(target, &installed, NULL, NULL))
        return 0;
    if (!QueryFileVersion(source, &offered, NULL, NULL))
        return 0;
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
        if (row->flags & COMP_BLOCKS_DEPENDENTS)
            row->flags |= COMP_BLOCKED;
        return REASON_NEWER_INSTALLED;
    }
    return NULL;
}

void PlanTable(SetupComponent *table)
{
    memset(allComponents, 0, sizeof(allComponents));
    memset(installList, 0, sizeof(installList));
    memset(skipList, 0, sizeof(skipList));

    for (SetupComponent *row = table; row->fileName || row->displayName; row++) {
        AppendToList(allComponents, row);
        const char *reason = SkipReason(row);
        if (reason) {
            row->reason = reason;
            AppendToList(skipList, row);
            continue;
        }
        // A dependent of a blocked row is neither installed nor reported.
        if ((row->flags & COMP_NEEDS_PARENT) && row->parent && (row->parent->flags & COMP_BLOCKED))
            continue;
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
