// Page recorder that the driver hooks into the setup's thread: appends each
// dialog page and message box to the log named by E2E_PAGE_LOG, with the
// texts as they stand when the window is hidden or destroyed. Reading from
// the setup's own thread catches the progress page's last words, which an
// outside reader could miss.
#include <windows.h>
#include <strsafe.h>
#include "tests/driver/pagedriver.h"

namespace {

const int MAX_SEEN = 64;
HWND g_seen[MAX_SEEN];
int g_seenCount;
PageInfo g_page;
char g_text[PAGE_MAX_CONTROLS * PAGE_TEXT_CHARS * 2 + 512];

void Append(const char *piece)
{
    StringCchCatA(g_text, ARRAYSIZE(g_text), piece);
}

// Line feeds, tabs and backslashes escaped, so that one control is one line.
void AppendEscaped(const char *text)
{
    for (const char *p = text; *p; p++) {
        char piece[3] = {*p, 0, 0};
        if (*p == '\n') lstrcpynA(piece, "\\n", sizeof(piece));
        else if (*p == '\t') lstrcpynA(piece, "\\t", sizeof(piece));
        else if (*p == '\r') lstrcpynA(piece, "\\r", sizeof(piece));
        else if (*p == '\\') lstrcpynA(piece, "\\\\", sizeof(piece));
        Append(piece);
    }
}

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

// The record of one page: its caption, one line per control, the icon of a
// message box, then an empty line.
void WriteRecord(const char *logPath, const PageInfo *page)
{
    g_text[0] = 0;
    Append("caption: ");
    AppendEscaped(page->caption);
    Append("\n");
    for (int i = 0; i < page->controlCount; i++) {
        const ControlInfo *control = &page->controls[i];
        char head[64];
        StringCchPrintfA(head, ARRAYSIZE(head), "%d %s%s: ", control->id, control->className,
                         control->visible ? "" : " hidden");
        Append(head);
        AppendEscaped(control->text);
        Append("\n");
    }
    if (page->kind == PAGE_MESSAGEBOX) {
        Append("icon: ");
        Append(IconName(page->icon));
        Append("\n");
    }
    Append("\n");
    HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, g_text, (DWORD)lstrlenA(g_text), &written, NULL);
    CloseHandle(file);
}

int IsTopLevelDialog(HWND hwnd)
{
    char className[16];
    // Pages are owned popups, for which GetParent would answer the owner.
    return !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)
           && GetClassNameA(hwnd, className, ARRAYSIZE(className))
           && lstrcmpA(className, "#32770") == 0;
}

int g_shotCount;

const char *KindName(PageKind kind)
{
    static const char *const names[] = {"page", "components", "progress", "skipped", "directory",
                                        "box", "page"};
    return kind >= 0 && kind < (int)ARRAYSIZE(names) ? names[kind] : "page";
}

int WriteBitmap(const char *path, HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAPINFOHEADER header;
    ZeroMemory(&header, sizeof(header));
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    header.biSizeImage = stride * (DWORD)height;
    BYTE *bits = (BYTE *)HeapAlloc(GetProcessHeap(), 0, header.biSizeImage);
    if (!bits)
        return 0;
    int ok = GetDIBits(dc, bitmap, 0, (UINT)height, bits, (BITMAPINFO *)&header, DIB_RGB_COLORS)
             == height;
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    HANDLE out = ok ? CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL)
                    : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof(file), &written, NULL)
         && WriteFile(out, &header, sizeof(header), &written, NULL)
         && WriteFile(out, bits, header.biSizeImage, &written, NULL);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    HeapFree(GetProcessHeap(), 0, bits);
    return ok;
}

// The screen as it shows the page, with a margin around it, into the folder
// that E2E_SHOTS names.
void SaveScreenshot(const PageInfo *page)
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("E2E_SHOTS", folder, ARRAYSIZE(folder));
    RECT rect;
    if (!length || length >= ARRAYSIZE(folder) || !GetWindowRect(page->hwnd, &rect))
        return;
    InflateRect(&rect, 8, 8);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    char path[MAX_PATH];
    if (width <= 0 || height <= 0
        || FAILED(StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%02d-%s.bmp", folder,
                                   ++g_shotCount, KindName(page->kind))))
        return;
    // This runs on the page's own thread, which may not have painted it yet
    // (the installation loop serves no messages): paint it now.
    RedrawWindow(page->hwnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    WriteBitmap(path, memory, bitmap, width, height);
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
