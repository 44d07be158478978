// Runs setup.exe from a setup medium as a user would: answers its pages by a
// script, has every page and box recorded (and, with --shots, photographed)
// from inside the setup's thread, and reports the exit code once the setup
// and what it started have ended.
//
//   e2e_driver --medium DIR --log FILE [--shots DIR] [--print] STEP...
//
// DIR and FILE are host paths. A STEP is KIND=BUTTON: KIND one of components,
// skipped, progress, directory, box; BUTTON one of OK, CANCEL, YES, NO, or
// none (only wait for the page). "progress=none?" waits for the progress page
// only until the next box, since a fast installation may hide it before it
// is seen.
#include <windows.h>
#include <tlhelp32.h>
#include <strsafe.h>
#include <stdio.h>
#include <string.h>
#include "tests/driver/pagedriver.h"

namespace {

const DWORD STEP_TIMEOUT_MS = 30000;
const DWORD EXIT_TIMEOUT_MS = 30000;
const DWORD CHILDREN_TIMEOUT_MS = 20000;

// Button names by their ids.
const char *const g_buttons[] = {"none", "OK", "CANCEL", NULL, NULL, NULL, "YES", "NO"};

struct Step {
    PageKind kind;
    int button;
    int optional;
};

struct Options {
    char medium[MAX_PATH];
    char log[MAX_PATH];
    char shots[MAX_PATH];
    int print;
    Step steps[32];
    int stepCount;
};

// KIND=BUTTON, with "?" after an optional step.
int ParseStep(const char *text, Step *step)
{
    char kind[16] = "", button[16] = "", tail[3] = "";
    int fields = sscanf(text, "%15[a-z]=%15[A-Za-z]%2s", kind, button, tail);
    step->optional = strcmp(tail, "?") == 0;
    step->kind = PAGE_ANY;
    step->button = -1;
    for (int k = PAGE_COMPONENTS; k <= PAGE_MESSAGEBOX; k++)
        if (strcmp(kind, PageKindName((PageKind)k)) == 0)
            step->kind = (PageKind)k;
    for (int b = 0; b < (int)ARRAYSIZE(g_buttons); b++)
        if (g_buttons[b] && strcmp(button, g_buttons[b]) == 0)
            step->button = b;
    return fields >= 2 && (!tail[0] || step->optional) && step->kind != PAGE_ANY
           && step->button >= 0;
}

int ParseOptions(int argc, char **argv, Options *options)
{
    ZeroMemory(options, sizeof(*options));
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        char *path = strcmp(arg, "--medium") == 0 ? options->medium
                     : strcmp(arg, "--log") == 0  ? options->log
                     : strcmp(arg, "--shots") == 0 ? options->shots
                                                   : NULL;
        if (path) {
            if (++i >= argc)
                return 0;
            WinePathFromUnix(argv[i], path, sizeof(options->medium));
            if (!path[0])
                return 0;
        } else if (strcmp(arg, "--print") == 0) {
            options->print = 1;
        } else if (options->stepCount < (int)ARRAYSIZE(options->steps)
                   && ParseStep(arg, &options->steps[options->stepCount])) {
            options->stepCount++;
        } else {
            fprintf(stderr, "e2e_driver: bad argument %s\n", arg);
            return 0;
        }
    }
    return options->medium[0] && options->log[0];
}

// The page as a user reads it: caption, the texts, then the buttons; in
// UTF-8 for a terminal.
void PrintPage(const PageInfo *page)
{
    static char utf8[PAGE_TEXT_CHARS * 3];
    printf("\n---- %s ----\n", ToUtf8(page->caption, utf8, sizeof(utf8)));
    for (int buttons = 0; buttons < 2; buttons++)
        for (int i = 0; i < page->controlCount; i++) {
            const ControlInfo *control = &page->controls[i];
            int isButton = lstrcmpiA(control->className, "Button") == 0;
            if (control->visible && isButton == buttons && (isButton || control->text[0]))
                printf(isButton ? "[%s] " : "%s\n", ToUtf8(control->text, utf8, sizeof(utf8)));
        }
    printf("\n");
    fflush(stdout);
}

// Waits for an enabled page of the wanted kind; an optional step gives up
// as soon as a message box shows instead.
HWND WaitForStep(const Step *step, const PROCESS_INFORMATION *setup, PageInfo *page)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < STEP_TIMEOUT_MS) {
        HWND hwnd = FindPage(setup->dwProcessId, 0, step->kind, NULL);
        if (hwnd && ReadPage(hwnd, page) == step->kind && page->enabled)
            return hwnd;
        if ((step->optional && FindPage(setup->dwProcessId, 0, PAGE_MESSAGEBOX, NULL))
            || WaitForSingleObject(setup->hProcess, 0) == WAIT_OBJECT_0)
            return NULL;
        Sleep(10);
    }
    return NULL;
}

// Processes that the setup started (RegSvr32.exe, the viewer) outlive it;
// wait for them so that their effects can be checked.
void WaitForChildren(DWORD parentId)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < CHILDREN_TIMEOUT_MS) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return;
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof(entry);
        int running = 0;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry))
            if (entry.th32ParentProcessID == parentId)
                running++;
        CloseHandle(snapshot);
        if (!running)
            return;
        Sleep(50);
    }
    fprintf(stderr, "e2e_driver: processes started by the setup are still running\n");
}

int StartSetup(const Options *options, PROCESS_INFORMATION *setup)
{
    char program[MAX_PATH], commandLine[MAX_PATH + 2];
    if (FAILED(StringCchPrintfA(program, ARRAYSIZE(program), "%s\\setup.exe", options->medium))
        || FAILED(StringCchPrintfA(commandLine, ARRAYSIZE(commandLine), "\"%s\"", program)))
        return 0;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    // Suspended, so that the recorder's hook is in place before the first page.
    return CreateProcessA(program, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL,
                          options->medium, &startup, setup);
}

} // namespace

int main(int argc, char **argv)
{
    static Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: e2e_driver --medium DIR --log FILE [--shots DIR] [--print] KIND=BUTTON...\n");
        return 2;
    }
    DeleteFileA(options.log);
    // The recorder in the setup's process learns its log from the environment
    // that the setup inherits.
    SetEnvironmentVariableA("E2E_PAGE_LOG", options.log);
    if (options.shots[0])
        SetEnvironmentVariableA("E2E_SHOTS", options.shots);

    char spyPath[MAX_PATH];
    HMODULE spy = PathBesideProgram("e2e_spy.dll", spyPath, sizeof(spyPath)) ? LoadLibraryA(spyPath)
                                                                              : NULL;
    HOOKPROC spyHook = spy ? (HOOKPROC)(void *)GetProcAddress(spy, "PageSpyHook") : NULL;
    if (!spyHook) {
        fprintf(stderr, "e2e_driver: cannot load the recorder e2e_spy.dll beside this program\n");
        return 2;
    }

    PROCESS_INFORMATION setup;
    if (!StartSetup(&options, &setup)) {
        fprintf(stderr, "e2e_driver: cannot start setup.exe in %s (error %lu)\n", options.medium,
                GetLastError());
        return 2;
    }
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, spyHook, spy, setup.dwThreadId);
    if (!hook)
        fprintf(stderr, "e2e_driver: no recorder hook (error %lu)\n", GetLastError());
    ResumeThread(setup.hThread);

    int failed = 0;
    static PageInfo page;
    for (int i = 0; i < options.stepCount && !failed; i++) {
        const Step *step = &options.steps[i];
        HWND hwnd = WaitForStep(step, &setup, &page);
        if (!hwnd) {
            if (step->optional)
                continue;
            fprintf(stderr, "e2e_driver: step %d: no %s page\n", i + 1, PageKindName(step->kind));
            failed = 1;
            continue;
        }
        if (options.print)
            PrintPage(&page);
        if (step->button) {
            if (options.print) {
                printf("> pressed %s\n", g_buttons[step->button]);
                fflush(stdout);
            }
            // A page photographed on its way out must have been painted first.
            if (options.shots[0])
                Sleep(300);
            PressButton(hwnd, step->button);
            if (step->kind != PAGE_PROGRESS && !WaitUntilInactive(hwnd, STEP_TIMEOUT_MS)) {
                fprintf(stderr, "e2e_driver: step %d: \"%s\" stayed open\n", i + 1, page.caption);
                failed = 1;
            }
        }
    }

    if (WaitForSingleObject(setup.hProcess, failed ? 2000 : EXIT_TIMEOUT_MS) != WAIT_OBJECT_0) {
        HWND left = FindPage(setup.dwProcessId, 0, PAGE_ANY, NULL);
        if (left && ReadPage(left, &page)) {
            fprintf(stderr, "e2e_driver: the setup still shows a page the script did not answer:\n");
            char text[4096];
            FormatPage(&page, text, sizeof(text));
            fprintf(stderr, "%s\n", text);
        }
        TerminateProcess(setup.hProcess, 255);
        WaitForSingleObject(setup.hProcess, 5000);
        failed = 1;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(setup.hProcess, &exitCode);
    WaitForChildren(setup.dwProcessId);
    if (hook)
        UnhookWindowsHookEx(hook);

    char line[64];
    StringCchPrintfA(line, ARRAYSIZE(line), "exit code %lu\n", exitCode);
    AppendToFile(options.log, line);
    CloseHandle(setup.hThread);
    CloseHandle(setup.hProcess);
    return failed;
}
