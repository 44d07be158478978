// The setup sequence: component list, install directory, skipped list,
// installation with progress and failure boxes, summary question.
#include "setup/setup.h"
#include "base/text.h"
#include "catalog/plan.h"
#include "install/installer.h"
#include "ui/pages.h"

char g_installDir[MAX_PATH];

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

// Each page has a function of its own, so that no stack frame spans a page
// of memory. Each answers 0 when the user cancelled.

static int ShowComponentPage(HWND hwndHost, HINSTANCE hInstance, SetupComponent **all,
                             SetupComponent **directoryComponent)
{
    int groupShown = 0;
    ComponentListDialog listPage(hInstance, IDD_COMPONENTS, hwndHost);
    for (SetupComponent **row = all; *row; row++) {
        if (NeedsInstallDirectory(*row))
            *directoryComponent = *row;
        const char *name = LineName(*row, &groupShown);
        if (name)
            listPage.AddLine(name);
    }
    return listPage.DoModal() == IDOK;
}

static int AskInstallDirectory(HWND hwndHost, HINSTANCE hInstance, SetupComponent *component)
{
    DirectoryDialog directoryPage(hInstance, IDD_DIRECTORY, hwndHost);
    if (directoryPage.DoModal() != IDOK)
        return 0;
    component->reason = g_installDir;
    // The page's window is gone; it hands out what it read at OK, or nothing
    // when that would not fit a path.
    directoryPage.GetDirectory(g_installDir, sizeof(g_installDir));
    return 1;
}

static int ShowSkippedPage(HWND hwndHost, HINSTANCE hInstance, SetupComponent **skip)
{
    ComponentListDialog skippedPage(hInstance, IDD_SKIPPED, hwndHost);
    for (SetupComponent **row = skip; *row; row++) {
        char line[SKIPPED_LINE_CHARS];
        TextFormat(line, sizeof(line), "%s\n\t%s\n\n", (*row)->displayName ? (*row)->displayName : "",
                   (*row)->reason ? (*row)->reason : "");
        skippedPage.AddLine(line);
    }
    return skippedPage.DoModal() == IDOK;
}

// Installs with the progress page up; *success becomes 0 when a component fails.
static int InstallComponents(HWND hwndHost, HINSTANCE hInstance, SetupComponent **install, int *success)
{
    int groupShown = 0;
    ProgressDialog progressPage(hInstance, hwndHost);
    progressPage.Create();
    for (SetupComponent **row = install; *row; row++) {
        // A Cancel on the progress page waits in the queue until a modal loop
        // (a failure box) serves the page; it is asked about here.
        if (progressPage.TakeCancelRequest() && ConfirmCancel(hwndHost))
            return 0;
        const char *name = LineName(*row, &groupShown);
        if (name)
            progressPage.AddItem(name);
        DWORD code = InstallComponent(*row);
        if (code != 0) {
            *success = 0;
            if (name)
                progressPage.SetStatus("FAILED");
            char failureText[FAILURE_TEXT_CHARS];
            FormatFailureText(failureText, sizeof(failureText), *row, code);
            MessageBoxA(hwndHost, failureText, FAILURE_TITLE, MB_OK | MB_ICONWARNING);
        } else if (name) {
            progressPage.SetStatus("DONE");
        }
    }
    return 1;
}

int RunSetup(HWND hwndHost, HINSTANCE hInstance)
{
    int success = 1;
    SetupComponent *directoryComponent = NULL;
    SetupComponent **all = NULL;
    SetupComponent **install = NULL;
    SetupComponent **skip = NULL;

    PlanComponents(&all, &install, &skip);
    if (!ShowComponentPage(hwndHost, hInstance, all, &directoryComponent) ||
        (directoryComponent && !AskInstallDirectory(hwndHost, hInstance, directoryComponent)) ||
        (*skip && !ShowSkippedPage(hwndHost, hInstance, skip)) ||
        !InstallComponents(hwndHost, hInstance, install, &success))
        return 0;

    int answer = success ? MessageBoxA(hwndHost, SUMMARY_SUCCESS, SETUP_TITLE, MB_YESNO)
                         : MessageBoxA(hwndHost, SUMMARY_FAILURE, SETUP_TITLE, MB_YESNO | MB_ICONWARNING);
    if (answer == IDYES)
        ShowReleaseNotes();
    return 1;
}
