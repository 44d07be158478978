// Shared by the page tests: a driver thread beside the modal loops, and page waiting.
#pragma once
#include <windows.h>
#include <string>
#include "tests/driver/pagedriver.h"

enum { kWaitMs = 10000 };

static const char kSetupCaption[] = "Orvid\xAE video 5.0 Setup";

// Runs script on its own thread while modal runs a modal loop on this one; the
// script only records, the test checks once it is joined.
template <class Script, class Modal>
INT_PTR Drive(Script script, Modal modal)
{
    struct Thread { static DWORD WINAPI Run(void *s) { (*(Script *)s)(); return 0; } };
    HANDLE thread = CreateThread(NULL, 0, Thread::Run, &script, 0, NULL);
    INT_PTR result = modal();
    // On a timeout the thread may still use the script: keep the handle open.
    if (thread && WaitForSingleObject(thread, 6 * kWaitMs) != WAIT_TIMEOUT)
        CloseHandle(thread);
    return result;
}

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
        || std::string(MessageBoxText(box)) != "Are you sure you want to cancel setup?")
        return false;
    PressButton(box->hwnd, button);
    return WaitUntilInactive(box->hwnd, kWaitMs);
}

inline HWND CreateHostWindow()
{
    return CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
}
