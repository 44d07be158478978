// The answerer's hooks, run in setup.exe's own thread. A dialog (page or message
// box) is written to the transcript when it first becomes active (WH_CBT); once
// it shows (WH_CALLWNDPROC), it is pictured if asked and answered; when a page
// is destroyed, its texts that changed since are written too. The environment
// that setup.exe inherits tells:
//   ANSWER_LOG     the transcript (a Windows path)
//   ANSWER_SCRIPT  steps KIND=BUTTON (components, skipped, directory, box;
//                  OK, CANCEL, YES, NO), each taken by the next dialog of its
//                  kind; progress=CANCEL is taken by the next box after it in
//                  the script, and pressed on the progress page while it is up
//   ANSWER_SHOTS   a folder for NN-KIND.bmp pictures (optional)
//   ANSWER_DIRECTORY  typed into the directory page before it is answered (optional)
//   ANSWER_DPI     the screen's dots per inch that setup.exe must see (optional)
//   ANSWER_HOLD    a file (a Windows path) that answers wait for, the dialog
//                  up and its messages served meanwhile (optional)
// A line goes into the transcript, which expects none of them, for what Wine
// did not take from setup.exe's manifest, and for a text that does not fit.
// The transcript is ASCII: other bytes, backslashes, line feeds and tabs are
// escaped (\xAE, \\, \n, \t), so that it holds the texts byte for byte.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "ui/resource.h"

namespace {

struct Step { char kind[16]; int button; bool taken; };
// A dialog that is up, with its record as written at activation.
struct Dialog { HWND hwnd; const char *kind; bool shown; char record[16384]; };

Step g_steps[32];
int g_stepCount = -1;       // not read from the environment yet
char g_log[MAX_PATH], g_shots[MAX_PATH], g_record[16384];
int g_used, g_shotCount;
Dialog g_dialogs[8];

void Configure()
{
    const char *buttons[] = {"", "OK", "CANCEL", "", "", "", "YES", "NO"};
    char script[1024] = "", button[16];
    GetEnvironmentVariableA("ANSWER_LOG", g_log, sizeof(g_log));
    GetEnvironmentVariableA("ANSWER_SHOTS", g_shots, sizeof(g_shots));
    GetEnvironmentVariableA("ANSWER_SCRIPT", script, sizeof(script));
    g_stepCount = 0;
    for (char *word = strtok(script, " "); word && g_stepCount < 32; word = strtok(NULL, " ")) {
        Step *step = &g_steps[g_stepCount++];
        if (sscanf(word, "%15[a-z]=%15s", step->kind, button) == 2)
            for (int id = IDOK; id <= IDNO; id++)
                if (strcmp(button, buttons[id]) == 0)
                    step->button = id;
    }
}

void Put(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(g_record + g_used, sizeof(g_record) - g_used, format, args);
    va_end(args);
    g_used = n < 0 || g_used + n >= (int)sizeof(g_record) ? (int)sizeof(g_record) - 1 : g_used + n;
}

void PutText(const char *text)
{
    for (const unsigned char *p = (const unsigned char *)text; *p; p++)
        Put(*p == '\\' ? "\\\\" : *p == '\n' ? "\\n" : *p == '\t' ? "\\t"
            : *p < 0x20 || *p > 0x7E ? "\\x%02X" : "%c", *p);
    Put("\n");
}

void Write(const char *text)
{
    if (FILE *log = fopen(g_log, "ab")) {
        fputs(text, log);
        fclose(log);
    }
}

// What Wine made of setup.exe's manifest (a null context is the process's
// own): administrator rights asked, the five systems it knows, DPI awareness;
// and, with ANSWER_DPI, that it sees the screen at those dots per inch.
void CheckManifest()
{
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    if (!QueryActCtxW(0, NULL, NULL, RunlevelInformationInActivationContext, &level, sizeof(level), NULL)
        || level.RunLevel != ACTCTX_RUN_LEVEL_REQUIRE_ADMIN || level.UiAccess)
        Write("manifest: no administrator rights asked\n");
    // Only the count: newer systems (and Wine) give each element more fields
    // than these headers know.
    DWORD known[64] = {};
    if (!QueryActCtxW(0, NULL, NULL, CompatibilityInformationInActivationContext, known, sizeof(known), NULL)
        || known[0] != 5)
        Write("manifest: not five systems known\n");
    // The setting itself: under Wine 8 every process reports itself DPI-aware.
    WCHAR aware[8] = L"";
    if (!QueryActCtxSettingsW(0, NULL, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware",
                              aware, 8, NULL) || lstrcmpiW(aware, L"true"))
        Write("manifest: not DPI aware\n");
    char dpi[16];
    if (GetEnvironmentVariableA("ANSWER_DPI", dpi, sizeof(dpi)) && atoi(dpi) > 0) {
        HDC screen = GetDC(NULL);
        if (GetDeviceCaps(screen, LOGPIXELSY) != atoi(dpi))
            Write("dpi: not the screen's\n");
        ReleaseDC(NULL, screen);
    }
}

// Whether the dialog has the size of the setup's template ID. The two list
// pages share their controls and differ only in their templates.
bool FromTemplate(HWND hwnd, int id)
{
    HMODULE setup = GetModuleHandleA(NULL);
    HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    const DLGTEMPLATE *dialog = found ? (const DLGTEMPLATE *)LockResource(LoadResource(setup, found)) : NULL;
    RECT expected = {0, 0, dialog ? dialog->cx : 0, dialog ? dialog->cy : 0}, client;
    return dialog && MapDialogRect(hwnd, &expected) && GetClientRect(hwnd, &client)
        && expected.right == client.right && expected.bottom == client.bottom;
}

// Pages by their controls: the list text (the list pages, by their
// templates), the progress columns, the directory field and its button;
// other dialogs are boxes.
const char *KindOf(HWND hwnd)
{
    return GetDlgItem(hwnd, IDC_PROGRESS_ITEMS) && GetDlgItem(hwnd, IDC_PROGRESS_STATUS) ? "progress"
           : GetDlgItem(hwnd, IDC_DIRECTORY_EDIT) && GetDlgItem(hwnd, IDC_BROWSE)      ? "directory"
           : !GetDlgItem(hwnd, IDC_LIST_TEXT)                                          ? "box"
           : FromTemplate(hwnd, IDD_COMPONENTS)                                        ? "components"
           : FromTemplate(hwnd, IDD_SKIPPED)                                           ? "skipped"
                                                                                       : "page";
}

// Into g_record: the kind and caption; for a box, its owner's class and its
// icon; then each control's id and text.
void Describe(HWND hwnd, const char *kind)
{
    static char text[8192];
    g_used = 0;
    GetWindowTextA(hwnd, text, sizeof(text));
    Put("%s ", kind);
    PutText(text);
    if (!strcmp(kind, "box")) {
        // 1088 is the static control that holds a system message box's icon.
        HICON icon = (HICON)SendDlgItemMessageA(hwnd, 1088, STM_GETICON, 0, 0);
        GetClassNameA(GetWindow(hwnd, GW_OWNER), text, sizeof(text));
        Put("owner %s\nicon %s\n", text, !icon ? "none" : icon == LoadIconA(NULL, IDI_WARNING) ? "warning"
                                         : icon == LoadIconA(NULL, IDI_ERROR) ? "error" : "other");
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextA(child, text, sizeof(text));
        Put("%d ", GetDlgCtrlID(child));
        PutText(text);
    }
}

// The window as it paints itself, frame included, as a 24-bit BMP. (Wine's
// WM_PRINT draws neither the frame nor the controls.)
void SavePicture(HWND hwnd, const char *kind, const char *suffix)
{
    RECT rect;
    char path[MAX_PATH];
    if (!g_shots[0] || !GetWindowRect(hwnd, &rect)
        || snprintf(path, MAX_PATH, "%s\\%02d-%s%s.bmp", g_shots, ++g_shotCount, kind, suffix) >= MAX_PATH)
        return;
    BITMAPINFOHEADER info = {sizeof(info), rect.right - rect.left, rect.bottom - rect.top, 1, 24};
    info.biSizeImage = ((info.biWidth * 3 + 3) & ~3) * info.biHeight;
    BITMAPFILEHEADER header = {0x4D42, sizeof(header) + sizeof(info) + info.biSizeImage, 0, 0,
                               sizeof(header) + sizeof(info)};
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL), window = GetWindowDC(hwnd);
    HBITMAP bitmap = CreateDIBSection(dc, (BITMAPINFO *)&info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    FILE *out = bits && BitBlt(dc, 0, 0, info.biWidth, info.biHeight, window, 0, 0, SRCCOPY) && GdiFlush()
                    ? fopen(path, "wb") : NULL;
    if (out) {
        fwrite(&header, sizeof(header), 1, out);
        fwrite(&info, sizeof(info), 1, out);
        fwrite(bits, info.biSizeImage, 1, out);
        fclose(out);
    }
    ReleaseDC(hwnd, window);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

// A line for each text that does not fit its control, at any dpi: laid
// out as the control lays it out (statics wrap unless told not to, buttons
// and edits hold one line), in its font, within its client area (an edit's
// text area).
void CheckFit(HWND hwnd, const char *kind)
{
    static char text[8192];
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        RECT area, extent;
        LONG style = GetWindowLongA(child, GWL_STYLE);
        GetClassNameA(child, className, sizeof(className));
        bool isStatic = !lstrcmpiA(className, "Static"), isEdit = !lstrcmpiA(className, "Edit");
        if (!GetWindowTextA(child, text, sizeof(text)) || !GetClientRect(child, &area))
            continue;
        if (isEdit)
            SendMessageA(child, EM_GETRECT, 0, (LPARAM)&area);
        bool wraps = isStatic && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        // A line of a static that does not wrap may end in a leader of dots,
        // which the control cuts where its column ends: the words must fit.
        if (isStatic && !wraps) {
            char *out = text;
            for (const char *in = text; *in; in++) {
                *out++ = *in;
                while (out > text && out[-1] == '.' && (in[1] == '\n' || !in[1]))
                    out--;
            }
            *out = '\0';
        }
        UINT format = DT_CALCRECT | DT_EXPANDTABS | (!isStatic ? DT_SINGLELINE : wraps ? DT_WORDBREAK : 0)
                      | (isEdit || (isStatic && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0);
        SetRect(&extent, 0, 0, area.right - area.left, 0);
        HDC dc = GetDC(child);
        HGDIOBJ font = (HGDIOBJ)SendMessageA(child, WM_GETFONT, 0, 0), old = font ? SelectObject(dc, font) : NULL;
        DrawTextA(dc, text, -1, &extent, format);
        if (old)
            SelectObject(dc, old);
        ReleaseDC(child, dc);
        if (extent.right > area.right - area.left || extent.bottom > area.bottom - area.top) {
            g_used = 0;
            Put("too long: %s %d, %ldx%ld in %ldx%ld: ", kind, GetDlgCtrlID(child), extent.right, extent.bottom,
                area.right - area.left, area.bottom - area.top);
            PutText(text);
            Write(g_record);
        }
    }
}

Dialog *Find(HWND hwnd)
{
    for (Dialog &d : g_dialogs)
        if (d.hwnd == hwnd)
            return &d;
    return NULL;
}
void Press(HWND hwnd, int button)
{
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, button));
}

// A dialog is answered once it shows: it becomes active before (its first
// control takes the focus), and a modal one shows only when its loop finds
// the queue empty. The progress page needs no answer; any other dialog that
// the script does not answer ends the run. Called again by its timer while held.
void CALLBACK Answer(HWND hwnd, UINT, UINT_PTR timer, DWORD)
{
    char hold[MAX_PATH];
    if (GetEnvironmentVariableA("ANSWER_HOLD", hold, MAX_PATH) && GetFileAttributesA(hold) == INVALID_FILE_ATTRIBUTES) {
        SetTimer(hwnd, 1, 100, Answer);
        return;
    }
    KillTimer(hwnd, timer);
    const char *kind = Find(hwnd)->kind;
    Step *step = g_steps, *end = g_steps + g_stepCount;
    while (step < end && (step->taken || strcmp(step->kind, kind)))
        step++;
    if (!strcmp(kind, "progress"))
        return;
    if (step == end || !step->button) {
        Write("no answer scripted\n");
        TerminateProcess(GetCurrentProcess(), 3);
    }
    for (Step *earlier = g_steps; !strcmp(kind, "box") && earlier < step; earlier++)
        if (!earlier->taken && !strcmp(earlier->kind, "progress")) {
            earlier->taken = true;
            for (Dialog &d : g_dialogs)
                if (d.hwnd && !strcmp(d.kind, "progress"))
                    Press(d.hwnd, earlier->button);
        }
    // Typed as a user would, in characters: Wine's ANSI copy of the
    // environment may lose those of a double-byte code page.
    WCHAR typed[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"ANSWER_DIRECTORY", typed, MAX_PATH);
    if (!strcmp(kind, "directory") && length && length < MAX_PATH)
        SetDlgItemTextW(hwnd, IDC_DIRECTORY_EDIT, typed);
    step->taken = true;
    Press(hwnd, step->button);
}

void Activated(HWND hwnd)
{
    char className[8];
    Dialog *dialog = Find(NULL);
    if (!Find(hwnd) && dialog && GetClassNameA(hwnd, className, sizeof(className))
        && !strcmp(className, "#32770")) {
        *dialog = {hwnd, KindOf(hwnd), false, ""};
        Describe(hwnd, dialog->kind);
        strcpy(dialog->record, g_record);
        Put("\n");
        Write(g_record);
    }
}

// "last KIND", then the controls whose lines differ from those written at
// activation; nothing when none does.
void Destroyed(Dialog *dialog)
{
    static char described[sizeof(g_record)];
    CheckFit(dialog->hwnd, dialog->kind);
    Describe(dialog->hwnd, dialog->kind);
    strcpy(described, g_record);
    // Written through Put, which never runs past the record.
    g_used = 0;
    Put("last %s\n", dialog->kind);
    int start = g_used;
    for (const char *now = described, *then = dialog->record; *now;) {
        int n = (int)strcspn(now, "\n"), t = (int)strcspn(then, "\n");
        if (n != t || strncmp(now, then, n))
            Put("%.*s\n", n, now);
        now += n + (now[n] != 0);
        then += t + (then[t] != 0);
    }
    if (g_used > start) {
        Put("\n");
        Write(g_record);
        SavePicture(dialog->hwnd, dialog->kind, "-last");
    }
    dialog->hwnd = NULL;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (g_stepCount < 0) {
        Configure();
        CheckManifest();
    }
    if (code == HCBT_ACTIVATE)
        Activated((HWND)wParam);
    else if (code == HCBT_DESTROYWND && wParam && Find((HWND)wParam))
        Destroyed(Find((HWND)wParam));
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ShowHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    Dialog *dialog = code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED && call->hwnd
                         ? Find(call->hwnd) : NULL;
    if (dialog && !dialog->shown && (((const WINDOWPOS *)call->lParam)->flags & SWP_SHOWWINDOW)) {
        dialog->shown = true;
        SavePicture(call->hwnd, dialog->kind, "");
        CheckFit(call->hwnd, dialog->kind);
        Answer(call->hwnd, 0, 0, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
