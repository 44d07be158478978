// The page framework and the dialog templates as the program loads them.
#include <doctest.h>
#include <vector>
#include "ui/dialog.h"
#include "ui/resource.h"
#include "uitest.h"

namespace {

// Asks the procedure directly once attached; its OK and Cancel leave the page open.
struct RecordingPage : SetupDialog {
    RecordingPage() : SetupDialog(GetModuleHandleA(NULL), IDD_COMPONENTS, NULL) {}
    void OnInitDialog() override
    {
        for (WPARAM command : { MAKEWPARAM(IDOK, BN_SETFOCUS), MAKEWPARAM(IDCANCEL, 0x300), MAKEWPARAM(1234, 9) })
            answers.push_back(SetupDialogProc(hwnd, WM_COMMAND, command, 0));
        answers.push_back(SetupDialogProc(hwnd, WM_APP, 50, 5));
        EndDialog(hwnd, 77);
    }
    void OnOK() override { calls += "OK "; }
    void OnCancel() override { calls += "Cancel "; }
    INT_PTR OnCommand(UINT controlId, UINT notifyCode) override { return MAKELONG(controlId, notifyCode); }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        sawSetFont |= message == WM_SETFONT;
        return message == WM_APP ? wParam + lParam : 0;
    }
    std::string calls;
    bool sawSetFont = false;
    std::vector<INT_PTR> answers;
};

} // namespace

TEST_CASE("framework routes messages to the handlers")
{
    // No page attached yet: OK calls nothing and the platform gets FALSE.
    HWND host = CreateHostWindow();
    CHECK(SetupDialogProc(host, WM_COMMAND, IDOK, 0) == FALSE);
    DestroyWindow(host);

    RecordingPage page;
    CHECK(page.DoModal() == 77);
    CHECK(page.hwnd == NULL);
    CHECK_FALSE(page.sawSetFont);
    CHECK(page.calls == "OK Cancel ");
    // OnCommand answers with the id and code it was given.
    CHECK(page.answers == std::vector<INT_PTR>{ TRUE, TRUE, MAKELONG(1234, 9), 55 });

    SetupDialog missing(GetModuleHandleA(NULL), 999, NULL);
    INT_PTR result = missing.DoModal();
    CHECK((result == -1 || result == 0));
    CHECK(missing.Create() == 0);
    CHECK(missing.hwnd == NULL);
    CHECK(missing.SetItemText(IDC_LIST_TEXT, "text") == FALSE);
}

namespace {

struct ControlSpec { WORD id, classAtom; DWORD style; WORD x, y, cx, cy; const char *text; };
struct TemplateSpec { int id; DWORD style; WORD cx, cy; const char *caption; int focusId; std::vector<ControlSpec> controls; };

enum { BUTTON = 0x80, EDIT = 0x81, STATIC = 0x82 };

const TemplateSpec kTemplates[] = {
    { IDD_COMPONENTS, 0x80C008C0, 238, 151, kSetupCaption, IDOK, {
        { IDOK, BUTTON, 0x50010001, 59, 130, 50, 14, "OK" },
        { IDCANCEL, BUTTON, 0x50010000, 129, 130, 50, 14, "Cancel" },
        { 0xFFFF, STATIC, 0x50020000, 7, 7, 134, 8, "Setup will install the following components:" },
        { IDC_LIST_TEXT, STATIC, 0x50020000, 29, 22, 202, 99, "" } } },
    { IDD_PROGRESS, 0x80C008C0, 317, 124, kSetupCaption, IDCANCEL, {
        { IDCANCEL, BUTTON, 0x50010000, 133, 103, 50, 14, "Cancel" },
        { IDC_PROGRESS_ITEMS, STATIC, 0x5002000C, 7, 7, 261, 87, "" },
        { IDC_PROGRESS_STATUS, STATIC, 0x5002000C, 269, 7, 41, 87, "" } } },
    { IDD_SKIPPED, 0x80C008C0, 260, 204, kSetupCaption, IDOK, {
        { IDOK, BUTTON, 0x50010001, 68, 183, 50, 14, "OK" },
        { IDCANCEL, BUTTON, 0x50010000, 141, 183, 50, 14, "Cancel" },
        { 0xFFFF, STATIC, 0x50020000, 7, 7, 246, 8, "Setup will not install the following components:" },
        { IDC_LIST_TEXT, STATIC, 0x50020000, 7, 21, 246, 157, "" } } },
    { IDD_DIRECTORY, 0x80C800C0, 248, 100, "Orvid\xAE Flowcaster Publisher Install", IDOK, {
        { IDOK, BUTTON, 0x50010001, 7, 79, 50, 14, "OK" },
        { IDCANCEL, BUTTON, 0x50010000, 61, 79, 50, 14, "Cancel" },
        { 0xFFFF, STATIC, 0x50020000, 7, 13, 137, 8, "Specify directory to install the Flowcaster Publisher" },
        { IDC_DIRECTORY_EDIT, EDIT, 0x50810080, 7, 25, 234, 14, "" },
        { IDC_BROWSE, BUTTON, 0x50010000, 191, 43, 50, 14, "Browse" } } },
};

// Reads a classic template word by word; texts come back in Windows-1252.
struct TemplateReader {
    const WORD *at;
    std::vector<WORD> Words(int count)
    {
        at += count;
        return std::vector<WORD>(at - count, at);
    }
    std::string Text()
    {
        std::string text;
        for (WCHAR c = *at++; c; c = *at++) {
            char narrow[4];
            text.append(narrow, WideCharToMultiByte(1252, 0, &c, 1, narrow, sizeof(narrow), NULL, NULL));
        }
        return text;
    }
};

BOOL CALLBACK Collect(HMODULE, LPSTR item, LONG_PTR list)
{
    ((std::vector<UINT_PTR> *)list)->push_back((UINT_PTR)item);
    return TRUE;
}
BOOL CALLBACK CollectName(HMODULE module, LPCSTR, LPSTR name, LONG_PTR list) { return Collect(module, name, list); }

// Ends with the id of the control that has the focus as the page opens.
struct FocusProbe : SetupDialog {
    explicit FocusProbe(int id) : SetupDialog(GetModuleHandleA(NULL), id, NULL) {}
    void OnInitDialog() override { PostMessageA(hwnd, WM_APP, 0, 0); }
    INT_PTR OnMessage(UINT message, WPARAM, LPARAM) override
    {
        return message == WM_APP ? EndDialog(hwnd, GetDlgCtrlID(GetFocus())) : 0;
    }
};

} // namespace

TEST_CASE("templates are the program's only resources and match their layout")
{
    HMODULE module = GetModuleHandleA(NULL);
    std::vector<UINT_PTR> types, names;
    EnumResourceTypesA(module, Collect, (LONG_PTR)&types);
    CHECK(types == std::vector<UINT_PTR>{ (UINT_PTR)RT_DIALOG });
    EnumResourceNamesA(module, RT_DIALOG, CollectName, (LONG_PTR)&names);
    CHECK(names == std::vector<UINT_PTR>{ 101, 102, 103, 104 });

    for (const TemplateSpec &layout : kTemplates) {
        CAPTURE(layout.id);
        HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(layout.id),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        REQUIRE(found != NULL);
        TemplateReader in = { (const WORD *)LockResource(LoadResource(module, found)) };
        // Style, no extended style, the count, at 0, 0, the size, no menu, the standard class.
        REQUIRE(in.Words(11) == std::vector<WORD>{ LOWORD(layout.style), HIWORD(layout.style), 0, 0,
                                                   (WORD)layout.controls.size(), 0, 0, layout.cx, layout.cy, 0, 0 });
        CHECK(in.Text() == layout.caption);
        CHECK(in.Words(1) == std::vector<WORD>{ 8 });
        CHECK(in.Text() == "MS Sans Serif");
        for (const ControlSpec &control : layout.controls) {
            CAPTURE(control.id);
            in.at = (const WORD *)(((UINT_PTR)in.at + 3) & ~(UINT_PTR)3);
            CHECK(in.Words(11) == std::vector<WORD>{ LOWORD(control.style), HIWORD(control.style), 0, 0, control.x,
                                                     control.y, control.cx, control.cy, control.id, 0xFFFF,
                                                     control.classAtom });
            CHECK(in.Text() == control.text);
            CHECK(in.Words(1) == std::vector<WORD>{ 0 });  // no creation data
        }
        CHECK(FocusProbe(layout.id).DoModal() == layout.focusId);
    }
}
