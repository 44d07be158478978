// Shared by the page tests: a driver thread beside the modal loops, and page waiting.
#pragma once
#include <windows.h>
#include <string>
#include "tests/driver/pagedriver.h"

enum { kWaitMs = 10000 };

static const char kSetupCaption[] = "Orvid\xAE video 5.0 Setup";
static const char kQuestion[] = "Are you sure you want to cancel setup?";

// Runs script on its own thread while the test's thread runs a modal loop; the
// script only records, the test checks afterwards (the checks are single-threaded).
template <class Script>
class DriverThread {
public:
    explicit DriverThread(Script script) : script(script) { thread = CreateThread(NULL, 0, Run, this, 0, NULL); }
    ~DriverThread() { Join(); }
    void Join()
    {
        if (thread && WaitForSingleObject(thread, 6 * kWaitMs) != WAIT_TIMEOUT)
            CloseHandle(thread);
        thread = NULL;
    }

private:
    static DWORD WINAPI Run(void *self) { static_cast<DriverThread *>(self)->script(); return 0; }
    Script script;
    HANDLE thread;
};

// The page of this kind once it shows, read; null on timeout. Driver thread only.
inline const PageInfo *Await(PageKind kind)
{
    static PageInfo page;
    return WaitForPage(GetCurrentProcessId(), 0, kind, kWaitMs, &page) ? &page : NULL;
}

// Answers the cancel question, which must be owned by owner; false if it never came.
inline bool AnswerQuestion(HWND owner, int button)
{
    const PageInfo *box = Await(PAGE_MESSAGEBOX);
    if (!box || box->owner != owner || std::string(box->caption) != kSetupCaption
        || std::string(MessageBoxText(box)) != kQuestion)
        return false;
    HWND hwnd = box->hwnd;
    PressButton(hwnd, button);
    return WaitUntilInactive(hwnd, kWaitMs);
}

inline HWND CreateHostWindow()
{
    return CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
}
