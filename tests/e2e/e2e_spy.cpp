// Page recorder that the driver hooks into the setup's thread: appends each
// dialog page and message box to the log named by E2E_PAGE_LOG, with the
// texts as they stand when the window is hidden or destroyed. Reading from
// the setup's own thread catches the progress page's last words, which an
// outside reader could miss.
#include <windows.h>
#include <strsafe.h>
#include <string.h>
#include "tests/driver/pagedriver.h"

namespace {

const int MAX_SEEN = 64;
HWND g_seen[MAX_SEEN];
int g_seenCount;
int g_shotCount;
PageInfo g_page;
char g_text[PAGE_MAX_CONTROLS * (PAGE_TEXT_CHARS * 2 + 96) + 512];

const char *IconName(HICON icon)
{
    if (!icon)
        return "none";
    if (icon == LoadIconA(NULL, IDI_WARNING))
        return "warning";
    if (icon == LoadIconA(NULL, IDI_QUESTION))
        return "question";
    if (icon == LoadIconA(NULL, IDI_ERROR))
        return "error";
    if (icon == LoadIconA(NULL, IDI_INFORMATION))
        return "information";
    return "other";
}

// The record of one page: "caption: ", the page as FormatPage has it, the
// icon of a message box, then an empty line.
void WriteRecord(const char *logPath, const PageInfo *page)
{
    StringCchCopyA(g_text, ARRAYSIZE(g_text), "caption: ");
    size_t used = strlen(g_text);
    FormatPage(page, g_text + used, ARRAYSIZE(g_text) - used);
    if (page->kind == PAGE_MESSAGEBOX) {
        StringCchCatA(g_text, ARRAYSIZE(g_text), "icon: ");
        StringCchCatA(g_text, ARRAYSIZE(g_text), IconName(page->icon));
        StringCchCatA(g_text, ARRAYSIZE(g_text), "\n");
    }
    StringCchCatA(g_text, ARRAYSIZE(g_text), "\n");
    AppendToFile(logPath, g_text);
}

// The screen as it shows the page, with a margin around it, into the folder
// that E2E_SHOTS names, as a 24-bit BMP.
void SaveScreenshot(const PageInfo *page)
{
    char folder[MAX_PATH], path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("E2E_SHOTS", folder, ARRAYSIZE(folder));
    RECT rect;
    if (!length || length >= ARRAYSIZE(folder) || !GetWindowRect(page->hwnd, &rect)
        || !InflateRect(&rect, 8, 8)
        || FAILED(StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%02d-%s.bmp", folder,
                                   ++g_shotCount, PageKindName(page->kind))))
        return;
    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = rect.right - rect.left;
    info.biHeight = rect.bottom - rect.top;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = (((DWORD)info.biWidth * 3 + 3) & ~3u) * (DWORD)info.biHeight;
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    // This runs on the page's own thread, which may not have painted it yet
    // (the installation loop serves no messages): paint it now.
    RedrawWindow(page->hwnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    void *bits = NULL;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, (BITMAPINFO *)&info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (bits && BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, rect.left, rect.top,
                       SRCCOPY) && GdiFlush()) {
        HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD written = 0;
        if (out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof(file), &written, NULL)
            && WriteFile(out, &info, sizeof(info), &written, NULL))
            WriteFile(out, bits, info.biSizeImage, &written, NULL);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
    }
    SelectObject(memory, old);
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

// A window is recorded once: at its hiding, or at its destruction when it
// was never hidden first. Handles are reused, so a destroyed one is forgotten.
void Record(HWND hwnd, int destroyed)
{
    int known = -1;
    for (int i = 0; i < g_seenCount; i++)
        if (g_seen[i] == hwnd)
            known = i;
    if (known < 0) {
        char log[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("E2E_PAGE_LOG", log, ARRAYSIZE(log));
        if (length && length < ARRAYSIZE(log)) {
            ReadPage(hwnd, &g_page);
            WriteRecord(log, &g_page);
            if (!destroyed)
                SaveScreenshot(&g_page);
        }
        if (!destroyed && g_seenCount < MAX_SEEN)
            g_seen[g_seenCount++] = hwnd;
    } else if (destroyed) {
        g_seen[known] = g_seen[--g_seenCount];
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK PageSpyHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
        if (call->message == WM_WINDOWPOSCHANGING) {
            const WINDOWPOS *pos = (const WINDOWPOS *)call->lParam;
            if ((pos->flags & SWP_HIDEWINDOW) && IsWindowVisible(call->hwnd)
                && IsTopLevelDialog(call->hwnd))
                Record(call->hwnd, 0);
        } else if (call->message == WM_DESTROY && IsTopLevelDialog(call->hwnd)) {
            Record(call->hwnd, 1);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
