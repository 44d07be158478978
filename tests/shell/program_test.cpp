// setup.exe as its own process, driven from this one, and the host window
// with its start message in this process.
#include <doctest.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

struct Program {
    PROCESS_INFORMATION process = {};

    Program()
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        char commandLine[MAX_PATH + 2];
        lstrcpynA(commandLine, BuildProduct(ORVID_SETUP).c_str(), sizeof(commandLine));
        REQUIRE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
    // Waits for the page, presses the button, and waits until the page is gone.
    PageInfo Answer(PageKind kind, int button)
    {
        PageInfo page;
        REQUIRE(WaitForPage(process.dwProcessId, 0, kind, STEP_TIMEOUT_MS, &page) != nullptr);
        if (button) {
            PressButton(page.hwnd, button);
            REQUIRE(WaitUntilInactive(page.hwnd, STEP_TIMEOUT_MS));
        }
        return page;
    }
};

// Class and caption byte for byte, and a popup of no size. Its place shows
// only until it is shown: restoring the minimised window puts it back.
HWND CheckHostWindow()
{
    HWND host = FindWindowA("OrvidSetupClass", nullptr);
    REQUIRE(host != nullptr);
    char caption[64];
    ReadWindowText(host, caption, sizeof(caption));
    CHECK(std::string(caption) == TITLE_SETUP);
    RECT rect;
    GetWindowRect(host, &rect);
    CHECK((rect.right == rect.left && rect.bottom == rect.top));
    CHECK((GetWindowLongA(host, GWL_STYLE) & WS_POPUP) != 0);
    return host;
}

int IsHost(HWND hwnd)
{
    char className[64];
    return GetClassNameA(hwnd, className, sizeof(className)) && !strcmp(className, "OrvidSetupClass");
}

// Moves of the hidden host to (-1, -1) with no size, and start messages taken from the queue.
int g_hiddenMovesToPlace;
int g_starts;

LRESULT CALLBACK WatchSent(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    const WINDOWPOS *pos = (const WINDOWPOS *)call->lParam;
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING && IsHost(call->hwnd)
        && !(pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) && pos->x == -1 && pos->y == -1 && pos->cx == 0
        && pos->cy == 0 && !IsWindowVisible(call->hwnd))
        g_hiddenMovesToPlace++;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WatchTaken(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *msg = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_SETUP_START && IsHost(msg->hwnd))
        g_starts++;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_CASE("setup.exe cancelled at the first page exits 0")
{
    SetupDirScope scope("programcancel");
    Program program;
    PageInfo list = program.Answer(PAGE_COMPONENTS, 0);
    CHECK(list.owner == CheckHostWindow());
    CHECK(std::string(list.caption) == TITLE_SETUP);
    PressButton(list.hwnd, IDCANCEL);
    PageInfo box = program.Answer(PAGE_MESSAGEBOX, IDYES);
    CHECK(std::string(MessageBoxText(&box)) == TEXT_CONFIRM);
    // Ends without a second sequence.
    CHECK(program.Wait() == 0);
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("setup.exe completed exits 0")
{
    SetupDirScope scope("programdone");
    Program program;
    program.Answer(PAGE_COMPONENTS, IDOK);
    // A skipped page comes only when this prefix lacks a prerequisite.
    if (program.Answer(PAGE_ANY, 0).kind == PAGE_SKIPPED)
        program.Answer(PAGE_SKIPPED, IDOK);
    PageInfo summary = program.Answer(PAGE_MESSAGEBOX, IDNO);
    CHECK(std::string(MessageBoxText(&summary)) == TEXT_SUMMARY_OK);
    CHECK(program.Wait() == 0);
    CHECK(Installed("ovcodec.dll"));
}

TEST_CASE("host window starts the sequence once from the loop")
{
    SetupDirScope scope("hostwindow");
    g_hInstance = GetModuleHandleA(nullptr);
    REQUIRE(RegisterSetupClass(g_hInstance) != 0);
    HHOOK callHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchSent, nullptr, GetCurrentThreadId());
    HHOOK getHook = SetWindowsHookExA(WH_GETMESSAGE, WatchTaken, nullptr, GetCurrentThreadId());
    REQUIRE(CreateSetupWindow(g_hInstance, SW_SHOWNORMAL) == 1);
    // Moved to (-1, -1) with no size before it was first shown, then shown.
    CHECK(g_hiddenMovesToPlace == 1);
    HWND host = CheckHostWindow();
    CHECK(IsWindowVisible(host));
    // The start message waits in the queue; nothing has run yet.
    MSG msg;
    CHECK(PeekMessageA(&msg, host, WM_SETUP_START, WM_SETUP_START, PM_NOREMOVE));
    CHECK(msg.wParam == 0);
    CHECK(msg.lParam == 0);
    CHECK(FindPage(GetCurrentProcessId(), GetCurrentThreadId(), PAGE_ANY, nullptr) == nullptr);

    static DriverRun run;
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    StartPageRecorder(GetCurrentThreadId());
    HANDLE thread = StartDriver(steps, &run);
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(thread, STEP_TIMEOUT_MS);
    CloseHandle(thread);
    StopPageRecorder();
    UnhookWindowsHookEx(callHook);
    UnhookWindowsHookEx(getHook);

    CHECK(g_starts == 1);
    CHECK(got == 0);
    CHECK(msg.message == WM_QUIT);
    CHECK(msg.wParam == 0);
    // One list page, its question; the window is ended by message, not destroyed.
    CHECK(RecordedPageCount() == 2);
    CHECK(IsWindow(host));
    CHECK(run.seen[0].owner == host);
    DestroyWindow(host);
}
