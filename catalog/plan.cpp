// Planning: which components are shown, installed and skipped, and why.
#include "catalog/plan.h"

#include "base/files.h"
#include "base/syslib.h"
#include "base/text.h"

int BuildComponentPaths(char (&source)[MAX_PATH], char (&target)[MAX_PATH], const SetupComponent *component,
                        const SystemProbe *probe)
{
    const char *dir = (component->flags & COMP_HELP_DIR) ? probe->helpDir : probe->systemDir;
    // Without a directory the file would land in the root of the current drive.
    if (component->fileName && dir[0] &&
        TextFormat(target, sizeof(target), "%s\\%s", dir, component->fileName) &&
        TextFormat(source, sizeof(source), ".\\%s", component->fileName))
        return 1;
    source[0] = '\0';
    target[0] = '\0';
    SetLastError(dir[0] ? ERROR_FILENAME_EXCED_RANGE : ERROR_PATH_NOT_FOUND);
    return 0;
}

// The last slot always stays free for the closing null.
static void AppendToList(ComponentList list, SetupComponent *component)
{
    for (int i = 0; i < COMPONENT_ROWS; i++) {
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
static int InstalledIsNewer(const SetupComponent *component, const SystemProbe *probe)
{
    char source[MAX_PATH];
    char target[MAX_PATH];
    FileVersion installed;
    FileVersion offered;
    if (!BuildComponentPaths(source, target, component, probe))
        return 0;
    if (!QueryProductVersion(target, &installed))
        return 0;
    if (!QueryProductVersion(source, &offered))
        return IsFile(source);
    return CompareVersions(&offered, &installed) < 0;
}

// The reason of the first test the row fails, or null when it passes them all.
static const char *SkipReason(const SetupComponent *row, const SystemProbe *probe)
{
    if ((row->flags & COMP_NEEDS_WININET) && !WininetLoads())
        return REASON_NO_WININET;
    if ((row->flags & COMP_NEEDS_IE4_OR_DSHOW) && !probe->ie4Installed && !probe->directShowInstalled)
        return REASON_NO_IE4_OR_DSHOW;
    if ((row->flags & COMP_CHECK_VERSION) && InstalledIsNewer(row, probe))
        return REASON_NEWER_INSTALLED;
    return NULL;
}

void PlanComponents(const SystemProbe *probe, SetupComponent *table, ComponentPlan *plan)
{
    ZeroMemory(plan, sizeof(*plan));
    for (SetupComponent *row = table; row->fileName || row->displayName; row++) {
        AppendToList(plan->allComponents, row);
        const char *reason = SkipReason(row, probe);
        if (reason) {
            SetReason(row, reason);
            AppendToList(plan->skipList, row);
            continue;
        }
        // A dependent of a blocked row is neither installed nor reported.
        if (!IsParentBlocked(row))
            AppendToList(plan->installList, row);
    }
}
