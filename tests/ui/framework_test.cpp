// The page framework and the dialog templates as the program loads them.
#include <doctest.h>
#include <vector>
#include "ui/dialog.h"
#include "ui/resource.h"
#include "uitest.h"

namespace {

// Records what reaches each handler; OK and Cancel leave the page open.
struct RecordingPage : SetupDialog {
    RecordingPage() : SetupDialog(GetModuleHandleA(NULL), IDD_COMPONENTS, NULL) {}
    void OnInitDialog() override
    {
        slot = GetWindowLongA(hwnd, GWL_USERDATA);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 7), 0);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x300), 0);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1234, 9), 0);
        PostMessageA(hwnd, WM_APP, 0, 0);
    }
    void OnOK() override { oks++; }
    void OnCancel() override { cancels++; }
    INT_PTR OnCommand(UINT controlId, UINT notifyCode) override
    {
        commands.push_back(MAKELONG(controlId, notifyCode));
        return 42;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        sawSetFont |= message == WM_SETFONT;
        if (message == WM_APP + 1)
            return wParam + lParam;
        if (message == WM_APP) {
            // The procedure's own answers, asked directly.
            answers.push_back(SetupDialogProc(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_SETFOCUS), 0));
            answers.push_back(SetupDialogProc(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0));
            answers.push_back(SetupDialogProc(hwnd, WM_COMMAND, MAKEWPARAM(0xFFFF, 0xFFFF), 0));
            answers.push_back(SetupDialogProc(hwnd, WM_APP + 1, 50, 5));
            EndDialog(hwnd, 77);
        }
        return 0;
    }
    LONG slot = 0;
    int oks = 0, cancels = 0;
    bool sawSetFont = false;
    std::vector<DWORD> commands;
    std::vector<INT_PTR> answers;
};

} // namespace

TEST_CASE("framework routes messages to the handlers")
{
    // No page attached yet: nothing is called, the platform gets FALSE.
    HWND plain = CreateHostWindow();
    CHECK(SetupDialogProc(plain, WM_SETFONT, 0, 0) == FALSE);
    CHECK(SetupDialogProc(plain, WM_COMMAND, IDOK, 0) == FALSE);
    DestroyWindow(plain);

    RecordingPage page;
    CHECK(page.DoModal() == 77);
    CHECK(page.hwnd == NULL);
    CHECK(page.slot == (LONG)&page);
    CHECK_FALSE(page.sawSetFont);
    CHECK(page.oks == 2);
    CHECK(page.cancels == 2);
    CHECK(page.commands == std::vector<DWORD>{ (DWORD)MAKELONG(1234, 9), (DWORD)MAKELONG(0xFFFF, 0xFFFF) });
    CHECK(page.answers == std::vector<INT_PTR>{ TRUE, TRUE, 42, 55 });

    SetupDialog missing(GetModuleHandleA(NULL), 999, NULL);
    INT_PTR result = missing.DoModal();
    CHECK((result == -1 || result == 0));
    CHECK(missing.Create() == 0);
    CHECK(missing.hwnd == NULL);
    CHECK(missing.SetItemText(IDC_LIST_TEXT, "text") == FALSE);
}

TEST_CASE("ConfirmCancel answers 1 for Yes only")
{
    HWND host = CreateHostWindow();
    for (int button : { IDYES, IDNO }) {
        bool answered = false;
        DriverThread driver([&] { answered = AnswerQuestion(host, button); });
        CHECK(ConfirmCancel(host) == (button == IDYES));
        driver.Join();
        CHECK(answered);
    }
    DestroyWindow(host);
}

namespace {

struct ControlSpec {
    WORD id, classAtom;
    DWORD style;
    WORD x, y, cx, cy;
    const char *text;
};

struct TemplateSpec {
    int id;
    DWORD style;
    WORD cx, cy;
    const char *caption;
    int focusId;
    std::vector<ControlSpec> controls;
};

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
    WORD Word() { return *at++; }
    DWORD Dword() { DWORD low = Word(); return low | (DWORD)Word() << 16; }
    std::string Text()
    {
        std::string text;
        for (WCHAR c = Word(); c; c = Word()) {
            char narrow[4];
            int bytes = WideCharToMultiByte(1252, 0, &c, 1, narrow, sizeof(narrow), NULL, NULL);
            text.append(narrow, bytes);
        }
        return text;
    }
    // A class or title: 0xFFFF and an ordinal, or a text (ordinal 0).
    WORD Ordinal(std::string *text)
    {
        if (*at == 0xFFFF)
            return at++, Word();
        *text = Text();
        return 0;
    }
    void Align() { at = (const WORD *)(((UINT_PTR)at + 3) & ~(UINT_PTR)3); }
};

BOOL CALLBACK Collect(HMODULE, LPSTR item, LONG_PTR list)
{
    ((std::vector<UINT_PTR> *)list)->push_back((UINT_PTR)item);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR, LPSTR name, LONG_PTR list)
{
    return Collect(module, name, list);
}

// Notes the caption and the focus once the page is open, then closes it.
struct ProbePage : SetupDialog {
    explicit ProbePage(int id) : SetupDialog(GetModuleHandleA(NULL), id, NULL) {}
    void OnInitDialog() override { PostMessageA(hwnd, WM_APP, 0, 0); }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            focusId = GetDlgCtrlID(GetFocus());
            GetWindowTextA(hwnd, caption, sizeof(caption));
            EndDialog(hwnd, IDOK);
        }
        return 0;
    }
    int focusId = 0;
    char caption[128] = "";
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
        CHECK(in.Dword() == layout.style);
        CHECK(in.Dword() == 0);
        REQUIRE(in.Word() == layout.controls.size());
        // Position 0, 0, the size, no menu, the standard class, caption, font.
        CHECK(std::vector<WORD>{ in.Word(), in.Word(), in.Word(), in.Word(), in.Word(), in.Word() }
              == std::vector<WORD>{ 0, 0, layout.cx, layout.cy, 0, 0 });
        CHECK(in.Text() == layout.caption);
        CHECK(in.Word() == 8);
        CHECK(in.Text() == "MS Sans Serif");
        for (const ControlSpec &control : layout.controls) {
            CAPTURE(control.id);
            in.Align();
            CHECK(in.Dword() == control.style);
            CHECK(in.Dword() == 0);
            CHECK(std::vector<WORD>{ in.Word(), in.Word(), in.Word(), in.Word(), in.Word() }
                  == std::vector<WORD>{ control.x, control.y, control.cx, control.cy, control.id });
            std::string className, text;
            CHECK(in.Ordinal(&className) == control.classAtom);
            CHECK(in.Ordinal(&text) == 0);
            CHECK(text == control.text);
            CHECK(in.Word() == 0);  // no creation data
        }

        ProbePage page(layout.id);
        CHECK(page.DoModal() == IDOK);
        CHECK(std::string(page.caption) == layout.caption);
        CHECK(page.focusId == layout.focusId);
    }
}
