// setup.exe as its own process, driven from this one, and the host window
// with its start message in this process.
#include <doctest.h>
#include <objbase.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

struct Program {
    PROCESS_INFORMATION process = {};

    Program()
    {
        char directory[MAX_PATH];
        GetCurrentDirectoryA(sizeof(directory), directory);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        char commandLine[MAX_PATH + 2];
        lstrcpynA(commandLine, BuildProduct(ORVID_SETUP), sizeof(commandLine));
        REQUIRE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory,
                               &startup, &process));
    }
    ~Program()
    {
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD Wait()
    {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(process.hProcess, STEP_TIMEOUT_MS);
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
    HWND Page(PageKind kind, PageInfo *page)
    {
        return WaitForPage(process.dwProcessId, 0, kind, STEP_TIMEOUT_MS, page);
    }
};

struct FindHost {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindHostWindow(HWND hwnd, LPARAM param)
{
    FindHost *find = (FindHost *)param;
    char className[64];
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == find->processId && GetClassNameA(hwnd, className, sizeof(className))
        && !strcmp(className, "OrvidSetupClass")) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Class and caption byte for byte, and a popup of no size. Its place shows
// only until it is shown: restoring the minimised window puts it back.
void CheckHostWindow(HWND host)
{
    REQUIRE(host != nullptr);
    char caption[64];
    ReadWindowText(host, caption, sizeof(caption));
    CHECK(std::string(caption) == TITLE_SETUP);
    RECT rect;
    GetWindowRect(host, &rect);
    CHECK(rect.right - rect.left == 0);
    CHECK(rect.bottom - rect.top == 0);
    CHECK((GetWindowLongA(host, GWL_STYLE) & WS_POPUP) != 0);
}

// What the host window was told while it was made and run: its moves, when it
// was first shown, and how often the start message was taken from the queue.
struct HostEvents {
    int hiddenMovesToPlace;     // to (-1, -1), size 0, while not yet visible
    int starts;
};
HostEvents g_events;
HHOOK g_callHook;
HHOOK g_getHook;

int IsHost(HWND hwnd)
{
    char className[64];
    return GetClassNameA(hwnd, className, sizeof(className)) && !strcmp(className, "OrvidSetupClass");
}

LRESULT CALLBACK WatchSent(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && IsHost(call->hwnd)) {
        const WINDOWPOS *pos = (const WINDOWPOS *)call->lParam;
        if (call->message == WM_WINDOWPOSCHANGING && !(pos->flags & (SWP_NOMOVE | SWP_NOSIZE))
            && pos->x == -1 && pos->y == -1 && pos->cx == 0 && pos->cy == 0
            && !IsWindowVisible(call->hwnd))
            g_events.hiddenMovesToPlace++;
    }
    return CallNextHookEx(g_callHook, code, wParam, lParam);
}

LRESULT CALLBACK WatchTaken(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *msg = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_SETUP_START && IsHost(msg->hwnd))
        g_events.starts++;
    return CallNextHookEx(g_getHook, code, wParam, lParam);
}

struct LoopArgs {
    DWORD threadId;
    const DriverStep *steps;
    DriverRun run;
    int done;
};

DWORD WINAPI DriveLoop(void *param)
{
    LoopArgs *args = (LoopArgs *)param;
    args->done = RunDriverScript(GetCurrentProcessId(), args->threadId, args->steps, STEP_TIMEOUT_MS,
                                 &args->run);
    if (!args->done) {
        // Nothing will end the modal loop the main thread sits in.
        MESSAGE(args->run.failure);
        ExitProcess(2);
    }
    return 0;
}

} // namespace

TEST_CASE("setup.exe cancelled at the first page exits 0")
{
    SetupDirScope scope("programcancel");
    Program program;
    PageInfo list;
    HWND page = program.Page(PAGE_COMPONENTS, &list);
    REQUIRE(page != nullptr);
    FindHost find = {program.process.dwProcessId, nullptr};
    EnumWindows(FindHostWindow, (LPARAM)&find);
    CheckHostWindow(find.found);
    CHECK(list.owner == find.found);
    CHECK(std::string(list.caption) == TITLE_SETUP);
    // The record of a page keeps its bytes, with line feeds and tabs spelt out.
    REQUIRE(AppendPageRecord(TEST_ROOT "\\pages.log", &list));
    char record[4096];
    REQUIRE(ReadTextFile(TEST_ROOT "\\pages.log", record, sizeof(record)));
    CHECK(std::string(record).rfind(TITLE_SETUP "\n1 Button: OK\n2 Button: Cancel\n", 0) == 0);
    CHECK(strstr(record, "\n1000 Static: " NAME_CODEC "\\n" NAME_FILTER "\\n") != nullptr);

    PressButton(page, IDCANCEL);
    PageInfo box;
    HWND question = program.Page(PAGE_MESSAGEBOX, &box);
    REQUIRE(question != nullptr);
    CHECK(std::string(MessageBoxText(&box)) == TEXT_CONFIRM);
    PressButton(question, IDYES);
    // Ends without a second sequence.
    CHECK(program.Wait() == 0);
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("setup.exe completed exits 0")
{
    SetupDirScope scope("programdone");
    Program program;
    PageInfo page;
    HWND list = program.Page(PAGE_COMPONENTS, &page);
    REQUIRE(list != nullptr);
    PressButton(list, IDOK);
    REQUIRE(WaitUntilInactive(list, STEP_TIMEOUT_MS));
    // A skipped page comes only when this prefix lacks a prerequisite.
    HWND next = program.Page(PAGE_ANY, &page);
    REQUIRE(next != nullptr);
    if (page.kind == PAGE_SKIPPED) {
        PressButton(next, IDOK);
        REQUIRE(WaitUntilInactive(next, STEP_TIMEOUT_MS));
    }
    HWND summary = program.Page(PAGE_MESSAGEBOX, &page);
    REQUIRE(summary != nullptr);
    CHECK(std::string(MessageBoxText(&page)) == TEXT_SUMMARY_OK);
    PressButton(summary, IDNO);
    CHECK(program.Wait() == 0);
    CHECK(Installed("ovcodec.dll"));
}

TEST_CASE("host window starts the sequence once from the loop")
{
    SetupDirScope scope("hostwindow");
    CoInitialize(nullptr);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    g_hInstance = instance;
    REQUIRE(RegisterSetupClass(instance) != 0);
    g_callHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchSent, nullptr, GetCurrentThreadId());
    g_getHook = SetWindowsHookExA(WH_GETMESSAGE, WatchTaken, nullptr, GetCurrentThreadId());
    REQUIRE(CreateSetupWindow(instance, SW_SHOWNORMAL) == 1);
    // Moved to (-1, -1) with no size before it was first shown, then shown.
    CHECK(g_events.hiddenMovesToPlace == 1);

    // The start message waits in the queue; nothing has run yet.
    FindHost find = {GetCurrentProcessId(), nullptr};
    EnumWindows(FindHostWindow, (LPARAM)&find);
    CheckHostWindow(find.found);
    CHECK(IsWindowVisible(find.found));
    MSG pending;
    CHECK(PeekMessageA(&pending, find.found, WM_SETUP_START, WM_SETUP_START, PM_NOREMOVE));
    CHECK(pending.wParam == 0);
    CHECK(pending.lParam == 0);
    CHECK(FindPage(GetCurrentProcessId(), GetCurrentThreadId(), PAGE_ANY, nullptr) == nullptr);

    static LoopArgs args;
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    args.threadId = GetCurrentThreadId();
    args.steps = steps;
    StartPageRecorder(GetCurrentThreadId());
    HANDLE thread = CreateThread(nullptr, 0, DriveLoop, &args, 0, nullptr);
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(thread, STEP_TIMEOUT_MS);
    CloseHandle(thread);
    StopPageRecorder();
    UnhookWindowsHookEx(g_callHook);
    UnhookWindowsHookEx(g_getHook);

    CHECK(g_events.starts == 1);
    CHECK(got == 0);
    CHECK(msg.message == WM_QUIT);
    CHECK(msg.wParam == 0);
    CHECK(args.done == 1);
    // One list page, its question; the window is ended by message, not destroyed.
    CHECK(RecordedPageCount() == 2);
    CHECK(IsWindow(find.found));
    CHECK(args.run.seen[0].owner == find.found);
    DestroyWindow(find.found);
}
