// Finds, reads and answers the setup's dialog pages and message boxes, from a
// thread beside the setup's own or from another process.
//
// Reading never blocks on the setup's thread: window texts come from
// InternalGetWindowText, which sends no message; only edit fields are asked,
// with a bounded SendMessageTimeoutA. Buttons are pressed by posting
// WM_COMMAND, handled whenever one of the setup's loops runs.
#pragma once
#include <windows.h>

enum PageKind {
    PAGE_ANY = 0,       // as a wanted kind: whatever dialog comes, boxes first
    PAGE_COMPONENTS,    // template 101: "Setup will install..."
    PAGE_PROGRESS,      // template 102: columns 1001 and 1002
    PAGE_SKIPPED,       // template 103: "Setup will not install..."
    PAGE_DIRECTORY,     // template 104: edit 1003 and Browse 1004
    PAGE_MESSAGEBOX,    // a message box: a text static and its buttons
    PAGE_UNKNOWN        // another dialog, e.g. the folder browser
};

#define PAGE_MAX_CONTROLS   24
#define PAGE_TEXT_CHARS     2048

struct ControlInfo {
    int id;                         // as the template has it: 65535 for labels
    char className[32];
    char text[PAGE_TEXT_CHARS];     // ANSI, byte for byte
    DWORD style;
    int visible;                    // its own WS_VISIBLE, whatever the dialog's state
};

struct PageInfo {
    HWND hwnd;
    HWND owner;
    DWORD processId;
    DWORD threadId;
    PageKind kind;
    char caption[256];
    DWORD style;
    int enabled;
    HICON icon;                     // message boxes: the icon shown, 0 for none
    int controlCount;
    ControlInfo controls[PAGE_MAX_CONTROLS];
};

// Window text without any message to the window's thread, in the ANSI code page.
int ReadWindowText(HWND hwnd, char *text, int size);
// 1 for a "#32770" window that is not a child (pages are owned popups).
int IsTopLevelDialog(HWND hwnd);
// Fills page from the dialog hwnd and answers its kind.
PageKind ReadPage(HWND hwnd, PageInfo *page);
// "components", "progress", "skipped", "directory", "box", else "page".
const char *PageKindName(PageKind kind);

// A visible dialog of the process (and thread, unless 0) of the wanted kind,
// other than exclude, or 0. With PAGE_ANY a message box is preferred, else
// the topmost enabled dialog.
HWND FindPage(DWORD processId, DWORD threadId, PageKind kind, HWND exclude);
// FindPage, polled until timeoutMs; reads the page into page (may be null).
HWND WaitForPage(DWORD processId, DWORD threadId, PageKind kind, DWORD timeoutMs,
                 PageInfo *page);
// 1 once hwnd is destroyed, hidden or disabled (a box opened over it), 0 on timeout.
int WaitUntilInactive(HWND hwnd, DWORD timeoutMs);

// The control's text, or null when the page has no such control.
const char *PageControlText(const PageInfo *page, int id);
// A message box's own text (the static that is not its icon), or null.
const char *MessageBoxText(const PageInfo *page);
// 1 when the page has a visible button with this id.
int PageHasButton(const PageInfo *page, int id);

// Posts WM_COMMAND (BN_CLICKED) for the button id to the dialog.
int PressButton(HWND dialog, int id);
// Sets a control's text (an edit field) with a bounded SendMessageTimeoutA.
int SetControlText(HWND dialog, int id, const char *text);

// The page as text: caption, then one line per control "id class [hidden]: text"
// with line feeds, tabs, returns and backslashes escaped. 0 when cut short.
int FormatPage(const PageInfo *page, char *out, size_t size);

// One step of a scripted run: wait for a page of this kind, put editText (if
// any) into the directory field, press button (0: none), then wait until the
// window is inactive, except on the progress page, which stays after Cancel.
struct DriverStep {
    PageKind kind;
    int button;
    const char *editText;
};

#define DRIVER_MAX_STEPS    16

struct DriverRun {
    int stepsDone;                  // steps completed; the failed one otherwise
    PageInfo seen[DRIVER_MAX_STEPS];
    char failure[256];              // empty when every step was completed
};

// Runs steps (closed by {PAGE_ANY, 0}); 1 when every step completed.
int RunDriverScript(DWORD processId, DWORD threadId, const DriverStep *steps,
                    DWORD stepTimeoutMs, DriverRun *run);

// In-process recorder: a hook on thread threadId keeps every dialog (pages
// and boxes) as it is destroyed, in order of destruction.
#define RECORDER_MAX_PAGES  24
int StartPageRecorder(DWORD threadId);
void StopPageRecorder();
int RecordedPageCount();
const PageInfo *RecordedPage(int index);

// Shell associations for the release-notes tests; RestoreExtension puts back
// what HKCR\<extension> named before.
struct SavedExtension {
    char extension[16];
    char progId[128];
    int existed;
};
// <extension> -> progId -> shell\open\command = "<viewer>" "%1".
int RegisterViewer(const char *extension, const char *progId, const char *viewerPath,
                   SavedExtension *saved);
// <extension> -> progId, which has no open command.
int RegisterKindWithoutOpen(const char *extension, const char *progId, SavedExtension *saved);
// Restores the extension and removes progId's key.
void RestoreExtension(const SavedExtension *saved, const char *progId);

// Helpers of the test programs.
// A Unix path of the build as the prefix sees it (drive Z:).
void WinePathFromUnix(const char *unixPath, char *out, size_t size);
// The path of file name in this program's own folder; 0 when it does not fit.
int PathBesideProgram(const char *name, char *out, size_t size);
// Appends text to the file, created as needed; shared, as other processes log too.
int AppendToFile(const char *path, const char *text);
// text, read as Windows-1252, in UTF-8 for a terminal; empty when it does not fit.
const char *ToUtf8(const char *text, char *out, size_t size);
