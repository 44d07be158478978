// The page driver: finds, reads and answers dialog pages and message boxes.
#include "tests/driver/pagedriver.h"
#include <strsafe.h>
#include <string.h>

namespace {

const DWORD POLL_MS = 20;

struct FindState {
    DWORD processId;
    DWORD threadId;
    PageKind kind;
    HWND exclude;
    HWND found;
    HWND firstBox;
    HWND firstEnabled;
};

BOOL CALLBACK AddControl(HWND child, LPARAM param)
{
    PageInfo *page = (PageInfo *)param;
    // Only the dialog's own controls, not those of a child window's children.
    if (GetParent(child) != page->hwnd || page->controlCount >= PAGE_MAX_CONTROLS)
        return TRUE;
    ControlInfo *control = &page->controls[page->controlCount++];
    control->id = (int)(WORD)GetDlgCtrlID(child);
    if (!GetClassNameA(child, control->className, ARRAYSIZE(control->className)))
        control->className[0] = 0;
    control->style = (DWORD)GetWindowLongA(child, GWL_STYLE);
    // The control's own bit: the dialog may be hidden already (being destroyed).
    control->visible = (control->style & WS_VISIBLE) ? 1 : 0;
    control->text[0] = 0;
    if (lstrcmpiA(control->className, "Edit") == 0) {
        // An edit field keeps its text to itself; ask it, but never wait long.
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(child, WM_GETTEXT, ARRAYSIZE(control->text),
                                 (LPARAM)control->text, SMTO_ABORTIFHUNG, 2000, &copied))
            control->text[0] = 0;
        control->text[ARRAYSIZE(control->text) - 1] = 0;
    } else {
        ReadWindowText(child, control->text, ARRAYSIZE(control->text));
    }
    if (lstrcmpiA(control->className, "Static") == 0 && (control->style & SS_TYPEMASK) == SS_ICON
        && control->visible) {
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon))
            page->icon = (HICON)icon;
    }
    return TRUE;
}

PageKind KindOf(const PageInfo *page)
{
    const char *label = PageControlText(page, 65535);
    if (PageControlText(page, 1003) && PageControlText(page, 1004))
        return PAGE_DIRECTORY;
    if (PageControlText(page, 1001) && PageControlText(page, 1002))
        return PAGE_PROGRESS;
    if (PageControlText(page, 1000) && label) {
        if (strncmp(label, "Setup will not install", 22) == 0)
            return PAGE_SKIPPED;
        if (strncmp(label, "Setup will install", 18) == 0)
            return PAGE_COMPONENTS;
    }
    // A message box is made of statics and buttons only.
    int buttons = 0;
    for (int i = 0; i < page->controlCount; i++) {
        const ControlInfo *control = &page->controls[i];
        if (lstrcmpiA(control->className, "Button") == 0)
            buttons += control->visible;
        else if (lstrcmpiA(control->className, "Static") != 0)
            return PAGE_UNKNOWN;
    }
    return buttons && MessageBoxText(page) ? PAGE_MESSAGEBOX : PAGE_UNKNOWN;
}

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param)
{
    FindState *state = (FindState *)param;
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(hwnd, &processId);
    if (hwnd == state->exclude || processId != state->processId
        || (state->threadId && threadId != state->threadId)
        || !IsWindowVisible(hwnd) || !IsTopLevelDialog(hwnd))
        return TRUE;
    static PageInfo page;       // large; the driver runs on one thread at a time
    PageKind kind = ReadPage(hwnd, &page);
    if (state->kind != PAGE_ANY) {
        if (kind == state->kind) {
            state->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    if (kind == PAGE_MESSAGEBOX && !state->firstBox)
        state->firstBox = hwnd;
    if (IsWindowEnabled(hwnd) && !state->firstEnabled)
        state->firstEnabled = hwnd;
    return TRUE;
}

struct Writer {
    char *out;
    size_t size;
    size_t used;
    int complete;
};

// Appends text, escaped so that one control stays one line; stops for good
// at the first piece that does not fit.
void Put(Writer *writer, const char *text, int escape)
{
    static const char special[] = "\n\t\r\\", letters[] = "ntr\\";
    for (const char *p = text; *p && writer->complete; p++) {
        char piece[3] = {*p, 0, 0};
        const char *escaped = strchr(special, *p);
        if (escape && escaped) {
            piece[0] = '\\';
            piece[1] = letters[escaped - special];
        }
        size_t length = strlen(piece);
        if (writer->used + length >= writer->size) {
            writer->complete = 0;
            break;
        }
        memcpy(writer->out + writer->used, piece, length + 1);
        writer->used += length;
    }
}

// --- recorder -------------------------------------------------------------

CRITICAL_SECTION g_recorderLock;
LONG g_recorderLockReady;
HHOOK g_recorderHook;
int g_recordedCount;
PageInfo g_recorded[RECORDER_MAX_PAGES];

void LockRecorder()
{
    if (InterlockedCompareExchange(&g_recorderLockReady, 1, 0) == 0)
        InitializeCriticalSection(&g_recorderLock);
    EnterCriticalSection(&g_recorderLock);
}

LRESULT CALLBACK RecorderHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
        // Children still exist while their dialog gets WM_DESTROY.
        if (call->message == WM_DESTROY && IsTopLevelDialog(call->hwnd)) {
            LockRecorder();
            if (g_recordedCount < RECORDER_MAX_PAGES)
                ReadPage(call->hwnd, &g_recorded[g_recordedCount++]);
            LeaveCriticalSection(&g_recorderLock);
        }
    }
    return CallNextHookEx(g_recorderHook, code, wParam, lParam);
}

LONG SetDefaultValue(HKEY root, const char *subKey, const char *text)
{
    HKEY key;
    LONG status = RegCreateKeyExA(root, subKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(key);
    return status;
}

int SaveExtension(const char *extension, SavedExtension *saved)
{
    lstrcpynA(saved->extension, extension, ARRAYSIZE(saved->extension));
    saved->progId[0] = 0;
    saved->existed = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    DWORD type = 0;
    DWORD size = sizeof(saved->progId) - 1;
    if (RegQueryValueExA(key, NULL, NULL, &type, (BYTE *)saved->progId, &size) == ERROR_SUCCESS
        && type == REG_SZ) {
        saved->progId[size < sizeof(saved->progId) ? size : sizeof(saved->progId) - 1] = 0;
        saved->existed = 1;
    } else {
        saved->progId[0] = 0;
    }
    RegCloseKey(key);
    return 1;
}

} // namespace

// GetWindowTextA would send WM_GETTEXT within the process and wait for a busy thread.
int ReadWindowText(HWND hwnd, char *text, int size)
{
    if (size <= 0)
        return 0;
    WCHAR wide[PAGE_TEXT_CHARS];
    text[0] = 0;
    int length = InternalGetWindowText(hwnd, wide, ARRAYSIZE(wide));
    if (length <= 0)
        return 0;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, text, size - 1, NULL, NULL);
    if (bytes < 0)
        bytes = 0;
    text[bytes] = 0;
    return bytes;
}

int IsTopLevelDialog(HWND hwnd)
{
    char className[32];
    return !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)
           && GetClassNameA(hwnd, className, ARRAYSIZE(className))
           && lstrcmpA(className, "#32770") == 0;
}

PageKind ReadPage(HWND hwnd, PageInfo *page)
{
    ZeroMemory(page, sizeof(*page));
    page->hwnd = hwnd;
    page->owner = GetWindow(hwnd, GW_OWNER);
    page->threadId = GetWindowThreadProcessId(hwnd, &page->processId);
    page->style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    page->enabled = IsWindowEnabled(hwnd) ? 1 : 0;
    ReadWindowText(hwnd, page->caption, ARRAYSIZE(page->caption));
    EnumChildWindows(hwnd, AddControl, (LPARAM)page);
    page->kind = KindOf(page);
    return page->kind;
}

const char *PageKindName(PageKind kind)
{
    static const char *const names[] = {"page", "components", "progress", "skipped", "directory",
                                        "box", "page"};
    return kind >= 0 && kind < (int)ARRAYSIZE(names) ? names[kind] : "page";
}

HWND FindPage(DWORD processId, DWORD threadId, PageKind kind, HWND exclude)
{
    FindState state = {processId, threadId, kind, exclude, NULL, NULL, NULL};
    EnumWindows(FindTopLevel, (LPARAM)&state);
    if (kind != PAGE_ANY)
        return state.found;
    return state.firstBox ? state.firstBox : state.firstEnabled;
}

HWND WaitForPage(DWORD processId, DWORD threadId, PageKind kind, DWORD timeoutMs,
                 PageInfo *page)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindPage(processId, threadId, kind, NULL);
        if (hwnd) {
            if (page)
                ReadPage(hwnd, page);
            return hwnd;
        }
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        Sleep(POLL_MS);
    }
}

int WaitUntilInactive(HWND hwnd, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        if (GetTickCount() - start >= timeoutMs)
            return 0;
        Sleep(POLL_MS);
    }
    return 1;
}

const char *PageControlText(const PageInfo *page, int id)
{
    for (int i = 0; i < page->controlCount; i++)
        if (page->controls[i].id == id)
            return page->controls[i].text;
    return NULL;
}

const char *MessageBoxText(const PageInfo *page)
{
    const char *fallback = NULL;
    for (int i = 0; i < page->controlCount; i++) {
        const ControlInfo *control = &page->controls[i];
        if (lstrcmpiA(control->className, "Static") != 0 || (control->style & SS_TYPEMASK) == SS_ICON)
            continue;
        // The platform's own box puts its text in the static without an id.
        if (control->id == 65535)
            return control->text;
        if (!fallback)
            fallback = control->text;
    }
    return fallback;
}

int PageHasButton(const PageInfo *page, int id)
{
    for (int i = 0; i < page->controlCount; i++) {
        const ControlInfo *control = &page->controls[i];
        if (control->id == id && control->visible && lstrcmpiA(control->className, "Button") == 0)
            return 1;
    }
    return 0;
}

int PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button) ? 1 : 0;
}

int SetControlText(HWND dialog, int id, const char *text)
{
    HWND control = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    if (!control)
        return 0;
    if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return result ? 1 : 0;
}

int FormatPage(const PageInfo *page, char *out, size_t size)
{
    if (size == 0)
        return 0;
    out[0] = 0;
    Writer writer = {out, size, 0, 1};
    Put(&writer, page->caption, 1);
    Put(&writer, "\n", 0);
    for (int i = 0; i < page->controlCount; i++) {
        const ControlInfo *control = &page->controls[i];
        char head[80];
        StringCchPrintfA(head, ARRAYSIZE(head), "%d %s%s: ", control->id, control->className,
                         control->visible ? "" : " hidden");
        Put(&writer, head, 0);
        Put(&writer, control->text, 1);
        Put(&writer, "\n", 0);
    }
    return writer.complete;
}

int RunDriverScript(DWORD processId, DWORD threadId, const DriverStep *steps,
                    DWORD stepTimeoutMs, DriverRun *run)
{
    run->stepsDone = 0;
    run->failure[0] = 0;
    for (int i = 0; i < DRIVER_MAX_STEPS && !(steps[i].kind == PAGE_ANY && steps[i].button == 0);
         i++) {
        const DriverStep *step = &steps[i];
        PageInfo *page = &run->seen[i];
        HWND hwnd = WaitForPage(processId, threadId, step->kind, stepTimeoutMs, page);
        if (!hwnd) {
            StringCchPrintfA(run->failure, ARRAYSIZE(run->failure),
                             "step %d: no page of kind %d within %lu ms", i, (int)step->kind,
                             (unsigned long)stepTimeoutMs);
            return 0;
        }
        if (step->editText) {
            if (!SetControlText(hwnd, 1003, step->editText)) {
                StringCchPrintfA(run->failure, ARRAYSIZE(run->failure),
                                 "step %d: the edit field took no text", i);
                return 0;
            }
            ReadPage(hwnd, page);
        }
        if (step->button) {
            PressButton(hwnd, step->button);
            if (page->kind != PAGE_PROGRESS && !WaitUntilInactive(hwnd, stepTimeoutMs)) {
                StringCchPrintfA(run->failure, ARRAYSIZE(run->failure),
                                 "step %d: \"%s\" stayed after button %d", i, page->caption,
                                 step->button);
                return 0;
            }
        }
        run->stepsDone = i + 1;
    }
    return 1;
}

int StartPageRecorder(DWORD threadId)
{
    LockRecorder();
    g_recordedCount = 0;
    LeaveCriticalSection(&g_recorderLock);
    if (g_recorderHook)
        return 1;
    // A hook on a thread of this process needs no module.
    g_recorderHook = SetWindowsHookExA(WH_CALLWNDPROC, RecorderHook, NULL, threadId);
    return g_recorderHook ? 1 : 0;
}

void StopPageRecorder()
{
    if (g_recorderHook) {
        UnhookWindowsHookEx(g_recorderHook);
        g_recorderHook = NULL;
    }
}

int RecordedPageCount()
{
    LockRecorder();
    int count = g_recordedCount;
    LeaveCriticalSection(&g_recorderLock);
    return count;
}

const PageInfo *RecordedPage(int index)
{
    LockRecorder();
    const PageInfo *page = index >= 0 && index < g_recordedCount ? &g_recorded[index] : NULL;
    LeaveCriticalSection(&g_recorderLock);
    return page;
}

int RegisterViewer(const char *extension, const char *progId, const char *viewerPath,
                   SavedExtension *saved)
{
    char subKey[256];
    char command[MAX_PATH + 16];
    SaveExtension(extension, saved);
    if (FAILED(StringCchPrintfA(subKey, ARRAYSIZE(subKey), "%s\\shell\\open\\command", progId))
        || FAILED(StringCchPrintfA(command, ARRAYSIZE(command), "\"%s\" \"%%1\"", viewerPath)))
        return 0;
    return SetDefaultValue(HKEY_CLASSES_ROOT, subKey, command) == ERROR_SUCCESS
           && SetDefaultValue(HKEY_CLASSES_ROOT, extension, progId) == ERROR_SUCCESS;
}

int RegisterKindWithoutOpen(const char *extension, const char *progId, SavedExtension *saved)
{
    SaveExtension(extension, saved);
    return SetDefaultValue(HKEY_CLASSES_ROOT, progId, "Orvid test document") == ERROR_SUCCESS
           && SetDefaultValue(HKEY_CLASSES_ROOT, extension, progId) == ERROR_SUCCESS;
}

void RestoreExtension(const SavedExtension *saved, const char *progId)
{
    if (saved->existed) {
        SetDefaultValue(HKEY_CLASSES_ROOT, saved->extension, saved->progId);
    } else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, saved->extension, 0, KEY_ALL_ACCESS, &key)
            == ERROR_SUCCESS) {
            RegDeleteValueA(key, NULL);
            RegCloseKey(key);
        }
    }
    char subKey[256];
    static const char *const levels[] = {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""};
    for (size_t i = 0; i < ARRAYSIZE(levels); i++)
        if (SUCCEEDED(StringCchPrintfA(subKey, ARRAYSIZE(subKey), "%s%s", progId, levels[i])))
            RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey);
}

void WinePathFromUnix(const char *unixPath, char *out, size_t size)
{
    if (FAILED(StringCchPrintfA(out, size, "Z:%s", unixPath))) {
        out[0] = 0;
        return;
    }
    for (char *p = out; *p; p++)
        if (*p == '/')
            *p = '\\';
}

int PathBesideProgram(const char *name, char *out, size_t size)
{
    DWORD length = GetModuleFileNameA(NULL, out, (DWORD)size);
    char *slash = length && length < size ? strrchr(out, '\\') : NULL;
    if (slash && SUCCEEDED(StringCchCopyA(slash + 1, size - (size_t)(slash + 1 - out), name)))
        return 1;
    if (size)
        out[0] = 0;
    return 0;
}

int AppendToFile(const char *path, const char *text)
{
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    CloseHandle(file);
    return ok ? 1 : 0;
}

const char *ToUtf8(const char *text, char *out, size_t size)
{
    WCHAR wide[PAGE_TEXT_CHARS * 2];
    if (size && (MultiByteToWideChar(1252, 0, text, -1, wide, ARRAYSIZE(wide)) <= 0
                 || !WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, (int)size, NULL, NULL)))
        out[0] = 0;
    return out;
}
