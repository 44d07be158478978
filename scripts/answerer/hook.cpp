// The answerer's hooks, run inside setup.exe's own thread. When a dialog (a
// page or a message box) first becomes active (WH_CBT), it is appended to the
// transcript; once it shows (WH_CALLWNDPROC), a picture of it is saved if asked
// and the scripted answer is posted; when a page is destroyed, the texts that
// changed since are appended too (the progress page's final rows).
//
// Configured by the environment that setup.exe inherits:
//   ANSWER_LOG     the transcript (a Windows path)
//   ANSWER_SCRIPT  steps KIND=BUTTON, each taken by the next dialog of its kind:
//                  KIND components, skipped, directory, box or progress;
//                  BUTTON OK, CANCEL, YES or NO. A progress step is taken by
//                  the next box that comes after it in the script: Cancel is
//                  pressed on the progress page while that box is up.
//   ANSWER_SHOTS   a folder for NN-KIND.bmp pictures (optional)
//
// The transcript is ASCII: other bytes, backslashes, line feeds and tabs are
// escaped (\xAE, \\, \n, \t), so it holds the texts byte for byte.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

struct Step {
    char kind[16];
    int button;
    bool taken;
};

struct Dialog {
    HWND hwnd;
    const char *kind;
    bool shown;
    char record[16384];     // as written at activation
};

Step g_steps[32];
int g_stepCount = -1;       // not read from the environment yet
char g_log[MAX_PATH], g_shots[MAX_PATH];
int g_shotCount;
Dialog g_dialogs[8];
char g_record[16384];
size_t g_used;

void Configure()
{
    static const struct { const char *name; int id; } buttons[] = {
        {"OK", IDOK}, {"CANCEL", IDCANCEL}, {"YES", IDYES}, {"NO", IDNO}};
    char script[1024] = "";
    GetEnvironmentVariableA("ANSWER_LOG", g_log, sizeof(g_log));
    GetEnvironmentVariableA("ANSWER_SHOTS", g_shots, sizeof(g_shots));
    GetEnvironmentVariableA("ANSWER_SCRIPT", script, sizeof(script));
    g_stepCount = 0;
    for (char *word = strtok(script, " "); word && g_stepCount < 32; word = strtok(NULL, " ")) {
        Step *step = &g_steps[g_stepCount++];
        char button[16] = "";
        step->button = 0;
        if (sscanf(word, "%15[a-z]=%15s", step->kind, button) == 2)
            for (const auto &b : buttons)
                if (strcmp(button, b.name) == 0)
                    step->button = b.id;
    }
}

void Put(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(g_record + g_used, sizeof(g_record) - g_used, format, args);
    va_end(args);
    if (n > 0)
        g_used = g_used + n < sizeof(g_record) ? g_used + n : sizeof(g_record) - 1;
}

void PutText(const char *text)
{
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        const char *escaped = *p == '\\' ? "\\\\" : *p == '\n' ? "\\n" : *p == '\t' ? "\\t" : NULL;
        if (escaped)
            Put("%s", escaped);
        else if (*p < 0x20 || *p >= 0x7F)
            Put("\\x%02X", *p);
        else
            Put("%c", *p);
    }
    Put("\n");
}

void Write(const char *text)
{
    HANDLE file = CreateFileA(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, 0, NULL);
    DWORD written;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
        CloseHandle(file);
    }
}

// The pages by their controls: 1000 under its label (the component lists),
// 1001 and 1002 (progress), 1003 and 1004 (directory); other dialogs are boxes.
const char *KindOf(HWND hwnd)
{
    char label[128] = "";
    GetDlgItemTextA(hwnd, 65535, label, sizeof(label));
    if (GetDlgItem(hwnd, 1001) && GetDlgItem(hwnd, 1002))
        return "progress";
    if (GetDlgItem(hwnd, 1003) && GetDlgItem(hwnd, 1004))
        return "directory";
    if (GetDlgItem(hwnd, 1000))
        return strcmp(label, "Setup will install the following components:") == 0       ? "components"
               : strcmp(label, "Setup will not install the following components:") == 0 ? "skipped"
                                                                                          : "page";
    return "box";
}

const char *IconName(HICON icon)
{
    static const struct { LPCSTR id; const char *name; } icons[] = {
        {IDI_WARNING, "warning"}, {IDI_QUESTION, "question"}, {IDI_ERROR, "error"},
        {IDI_INFORMATION, "information"}};
    for (const auto &i : icons)
        if (icon && icon == LoadIconA(NULL, i.id))
            return i.name;
    return icon ? "other" : "none";
}

// The dialog as text into g_record: its kind and caption; for a box, its
// owner's class and icon; then each control's id and text.
void Describe(HWND hwnd, const char *kind)
{
    static char text[8192];
    g_used = 0;
    GetWindowTextA(hwnd, text, sizeof(text));
    Put("%s ", kind);
    PutText(text);
    if (strcmp(kind, "box") == 0) {
        GetClassNameA(GetWindow(hwnd, GW_OWNER), text, sizeof(text));
        Put("owner %s\nicon %s\n", text,
            IconName((HICON)SendDlgItemMessageA(hwnd, 1088, STM_GETICON, 0, 0)));
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextA(child, text, sizeof(text));
        Put("%d ", GetDlgCtrlID(child));
        PutText(text);
    }
}

// The window as it paints itself, frame included, into a 24-bit BMP. (Wine's
// WM_PRINT paints neither the frame nor the controls.)
void SavePicture(HWND hwnd, const char *kind, const char *suffix)
{
    RECT rect;
    char path[MAX_PATH];
    if (!g_shots[0] || !GetWindowRect(hwnd, &rect)
        || snprintf(path, sizeof(path), "%s\\%02d-%s%s.bmp", g_shots, ++g_shotCount, kind, suffix) >= MAX_PATH)
        return;
    BITMAPINFOHEADER info = {sizeof(info), rect.right - rect.left, rect.bottom - rect.top, 1, 24};
    info.biSizeImage = ((info.biWidth * 3 + 3) & ~3) * info.biHeight;
    BITMAPFILEHEADER header = {0x4D42, sizeof(header) + sizeof(info) + info.biSizeImage, 0, 0,
                               sizeof(header) + sizeof(info)};
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, (BITMAPINFO *)&info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // Painted now, as the answer will be posted next.
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC window = GetWindowDC(hwnd);
    FILE *out = bits && BitBlt(dc, 0, 0, info.biWidth, info.biHeight, window, 0, 0, SRCCOPY) && GdiFlush()
                    ? fopen(path, "wb") : NULL;
    ReleaseDC(hwnd, window);
    if (out) {
        fwrite(&header, sizeof(header), 1, out);
        fwrite(&info, sizeof(info), 1, out);
        fwrite(bits, info.biSizeImage, 1, out);
        fclose(out);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void Press(HWND hwnd, int button)
{
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, button));
}

// The progress page has no answer of its own. A dialog that the script does
// not answer ends the run. Answers wait for the dialog to show: it becomes
// active before (the focus goes to a control of it first), and a modal one
// shows only once its loop finds the queue empty.
void Answer(HWND hwnd, const char *kind)
{
    if (strcmp(kind, "progress") == 0)
        return;
    Step *step = g_steps;
    while (step < g_steps + g_stepCount && (step->taken || strcmp(step->kind, kind) != 0))
        step++;
    if (step == g_steps + g_stepCount || !step->button) {
        Write("no answer scripted\n");
        TerminateProcess(GetCurrentProcess(), 3);
    }
    for (Step *earlier = g_steps; strcmp(kind, "box") == 0 && earlier < step; earlier++)
        if (!earlier->taken && strcmp(earlier->kind, "progress") == 0) {
            earlier->taken = true;
            for (const Dialog &d : g_dialogs)
                if (d.hwnd && strcmp(d.kind, "progress") == 0)
                    Press(d.hwnd, earlier->button);
        }
    step->taken = true;
    Press(hwnd, step->button);
}

Dialog *Find(HWND hwnd)
{
    for (Dialog &d : g_dialogs)
        if (d.hwnd == hwnd)
            return &d;
    return NULL;
}

void Activated(HWND hwnd)
{
    char className[16];
    Dialog *dialog = Find(NULL);
    if (Find(hwnd) || !dialog || !GetClassNameA(hwnd, className, sizeof(className))
        || strcmp(className, "#32770") != 0)
        return;
    dialog->hwnd = hwnd;
    dialog->kind = KindOf(hwnd);
    dialog->shown = false;
    Describe(hwnd, dialog->kind);
    strcpy(dialog->record, g_record);
    Put("\n");
    Write(g_record);
}

// "last KIND", then each control's line that differs from the one written at
// activation; nothing when none does.
void Destroyed(HWND hwnd)
{
    Dialog *dialog = Find(hwnd);
    if (!dialog)
        return;
    dialog->hwnd = NULL;
    Describe(hwnd, dialog->kind);
    static char changed[sizeof(g_record) + 32];
    int used = snprintf(changed, sizeof(changed), "last %s\n", dialog->kind), start = used;
    for (const char *now = g_record, *then = dialog->record; *now;) {
        int n = (int)strcspn(now, "\n"), t = (int)strcspn(then, "\n");
        if (n != t || strncmp(now, then, n) != 0)
            used += snprintf(changed + used, sizeof(changed) - used, "%.*s\n", n, now);
        now += n + (now[n] != 0);
        then += t + (then[t] != 0);
    }
    if (used > start) {
        Write(strcat(changed, "\n"));
        SavePicture(hwnd, dialog->kind, "-last");
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (g_stepCount < 0)
        Configure();
    if (code == HCBT_ACTIVATE)
        Activated((HWND)wParam);
    else if (code == HCBT_DESTROYWND)
        Destroyed((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ShowHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    Dialog *dialog = code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED ? Find(call->hwnd) : NULL;
    if (dialog && !dialog->shown && (((const WINDOWPOS *)call->lParam)->flags & SWP_SHOWWINDOW)) {
        dialog->shown = true;
        SavePicture(call->hwnd, dialog->kind, "");
        Answer(call->hwnd, dialog->kind);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
