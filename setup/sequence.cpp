// The setup sequence: component list, install directory, skipped list,
// installation with progress and failure boxes, summary question.
#include "setup/sequence.h"
#include "base/text.h"
#include "catalog/plan.h"
#include "install/installer.h"
#include "setup/hooks.h"
#include "setup/relnotes.h"
#include "ui/pages.h"

// The directory chosen on the install directory page.
static char g_installDir[MAX_PATH];

// What the probe found and the plan made of it, kept for the whole run.
static SystemProbe s_probe;
static ComponentPlan s_plan;

static const char FAILURE_HEADER[] = "Setup failed to install the %s due to the following reason:  \n\n";
static const char FAILURE_TITLE[] = "Setup Error";
static const char SUMMARY_SUCCESS[] =
    "All components were successfully installed.\n\nDo you want to review the release notes?";
static const char SUMMARY_FAILURE[] =
    "All components were not successfully installed.\n\nDo you want to review the release notes?";

// Holds the longest display name, the longest reason (a chosen directory of
// MAX_PATH) and the four control characters.
#define SKIPPED_LINE_CHARS 512
// The failure box: header of 61 characters, the name, up to 255 characters of system text.
#define FAILURE_TEXT_CHARS 512
#define SYSTEM_TEXT_CHARS  256

// The text a component stands under on a list or progress page, or null when
// it adds no line. Of the grouped components only the first stands, for the
// whole group; without a display name it stands under its file name.
static const char *LineName(const SetupComponent *component, int *groupShown)
{
    if (IsGroupedComponent(component)) {
        if (*groupShown)
            return NULL;
        *groupShown = 1;
        if (component->displayName)
            return component->displayName;
        return component->fileName ? component->fileName : "";
    }
    return component->displayName;
}

void FormatFailureText(char *text, size_t size, const SetupComponent *component, DWORD code)
{
    if (size == 0)
        return;
    const char *name = component->displayName ? component->displayName : component->fileName;
    // A cut text is still terminated; the header comes first, so it always shows.
    TextFormat(text, size, FAILURE_HEADER, name ? name : "");
    char systemText[SYSTEM_TEXT_CHARS];
    // No arguments are passed, so insert sequences stay as the system wrote them.
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageA(flags, NULL, code, GetUserDefaultLangID(), systemText,
                                  sizeof(systemText), NULL);
    if (length == 0)
        length = FormatMessageA(flags, NULL, code, 0, systemText, sizeof(systemText), NULL);
    if (length == 0)
        TextFormat(systemText, sizeof(systemText), "Error code 0x%08lX.", (unsigned long)code);
    TextAppend(text, size, systemText);
}

// The last component of the list that asks for an install directory, or null.
static const SetupComponent *FindDirectoryComponent(SetupComponent **all)
{
    const SetupComponent *found = NULL;
    for (SetupComponent **row = all; *row; row++)
        if (NeedsInstallDirectory(*row))
            found = *row;
    return found;
}

// Each page has a function of its own, so that no stack frame spans a page
// of memory. The list and directory pages answer 0 when the user cancelled.

static int ShowComponentPage(HWND hwndHost, HINSTANCE hInstance, SetupComponent **all)
{
    int groupShown = 0;
    ComponentListDialog listPage(hInstance, IDD_COMPONENTS, hwndHost);
    for (SetupComponent **row = all; *row; row++) {
        const char *name = LineName(*row, &groupShown);
        if (name)
            listPage.AddLine(name);
    }
    return listPage.DoModal() == IDOK;
}

static int AskInstallDirectory(HWND hwndHost, HINSTANCE hInstance)
{
    DirectoryDialog directoryPage(hInstance, IDD_DIRECTORY, hwndHost);
    if (directoryPage.DoModal() != IDOK)
        return 0;
    // The page's window is gone; it hands out what it read at OK, or nothing
    // when that would not fit a path.
    directoryPage.CopyDirectory(g_installDir, sizeof(g_installDir));
    return 1;
}

// The skipped line of the component that asked for an install directory
// shows the chosen directory in place of a reason.
static int ShowSkippedPage(HWND hwndHost, HINSTANCE hInstance, SetupComponent **skip,
                           const SetupComponent *directoryComponent)
{
    ComponentListDialog skippedPage(hInstance, IDD_SKIPPED, hwndHost);
    for (SetupComponent **row = skip; *row; row++) {
        char line[SKIPPED_LINE_CHARS];
        const char *reason = *row == directoryComponent ? g_installDir : (*row)->reason;
        TextFormat(line, sizeof(line), "%s\n\t%s\n\n", (*row)->displayName ? (*row)->displayName : "",
                   reason ? reason : "");
        skippedPage.AddLine(line);
    }
    return skippedPage.DoModal() == IDOK;
}

enum InstallOutcome { INSTALL_DONE, INSTALL_SOME_FAILED, INSTALL_CANCELLED };

// Installs with the progress page up.
static InstallOutcome InstallComponents(HWND hwndHost, HINSTANCE hInstance, SetupComponent **install)
{
    InstallOutcome outcome = INSTALL_DONE;
    int groupShown = 0;
    ProgressDialog progressPage(hInstance, hwndHost);
    progressPage.Create();
    for (SetupComponent **row = install; *row; row++) {
        // A Cancel on the progress page waits in the queue until a modal loop
        // (a failure box) serves the page; it is asked about here.
        if (progressPage.TakeCancelRequest() && ConfirmCancel(hwndHost)) {
            outcome = INSTALL_CANCELLED;
            break;
        }
        const char *name = LineName(*row, &groupShown);
        if (name)
            progressPage.AddItem(name);
        DWORD code = InstallComponent(&s_probe, *row);
        if (name)
            progressPage.SetStatus(code ? "FAILED" : "DONE");
        if (code != 0) {
            outcome = INSTALL_SOME_FAILED;
            char failureText[FAILURE_TEXT_CHARS];
            FormatFailureText(failureText, sizeof(failureText), *row, code);
            MessageBoxA(hwndHost, failureText, FAILURE_TITLE, MB_OK | MB_ICONWARNING);
        }
    }
    // Gone before the summary question, while it is still a progress page.
    progressPage.Destroy();
    return outcome;
}

int RunSetup(HWND hwndHost, HINSTANCE hInstance)
{
    ProbeDirectories(&s_probe);
    // What a run cut short set aside is back before anything is read.
    RestoreSetAsideFiles(&s_probe);
    ProbePrerequisites(&s_probe);
    PlanComponents(&s_probe, g_componentTable, &s_plan);
    const SetupComponent *directoryComponent = FindDirectoryComponent(s_plan.allComponents);
    if (!ShowComponentPage(hwndHost, hInstance, s_plan.allComponents) ||
        (directoryComponent && !AskInstallDirectory(hwndHost, hInstance)) ||
        (s_plan.skipList[0] && !ShowSkippedPage(hwndHost, hInstance, s_plan.skipList, directoryComponent)))
        return 0;
    InstallOutcome outcome = InstallComponents(hwndHost, hInstance, s_plan.installList);
    if (outcome == INSTALL_CANCELLED)
        return 0;

    int answer = outcome == INSTALL_DONE ? MessageBoxA(hwndHost, SUMMARY_SUCCESS, SETUP_TITLE, MB_YESNO)
                                          : MessageBoxA(hwndHost, SUMMARY_FAILURE, SETUP_TITLE, MB_YESNO | MB_ICONWARNING);
    if (answer == IDYES)
        ShowReleaseNotes();
    return 1;
}
