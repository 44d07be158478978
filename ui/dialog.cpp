// The page framework: one dialog procedure routing every page's messages to its object.
#include "ui/dialog.h"

const char SETUP_TITLE[] = "Orvid\xAE video 5.0 Setup";
static const char CANCEL_QUESTION[] = "Are you sure you want to cancel setup?";

struct SetupDialog::Procedure {
    static INT_PTR CALLBACK Route(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
};

SetupDialog::SetupDialog(HINSTANCE hInstance, int templateId, HWND hwndParent)
    : hInstance(hInstance), templateId(templateId), hwndParent(hwndParent), hwnd(NULL)
{
}

SetupDialog::~SetupDialog()
{
    Destroy();
}

void SetupDialog::OnInitDialog()
{
}

void SetupDialog::OnOK()
{
    EndDialog(hwnd, IDOK);
}

void SetupDialog::OnCancel()
{
    if (ConfirmCancel(hwnd))
        EndDialog(hwnd, IDCANCEL);
}

INT_PTR SetupDialog::OnCommand(UINT controlId, UINT notifyCode)
{
    return 0;
}

INT_PTR SetupDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return 0;
}

INT_PTR SetupDialog::DoModal()
{
    return DialogBoxParamA(hInstance, MAKEINTRESOURCEA(templateId), hwndParent, Procedure::Route, (LPARAM)this);
}

int SetupDialog::Create()
{
    hwnd = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(templateId), hwndParent,
                              Procedure::Route, (LPARAM)this);
    if (!hwnd)
        return 0;
    ShowWindow(hwnd, SW_SHOW);
    return 1;
}

BOOL SetupDialog::SetItemText(int controlId, const char *text)
{
    if (!hwnd)
        return FALSE;
    return SetDlgItemTextA(hwnd, controlId, text);
}

void SetupDialog::Destroy()
{
    // A destroyed handle may be reused: the window's last message cleared it.
    if (hwnd)
        DestroyWindow(hwnd);
}

INT_PTR CALLBACK SetupDialog::Procedure::Route(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetupDialog *page = (SetupDialog *)lParam;
        if (!page)
            return TRUE;
        SetWindowLongPtrA(hwndDlg, GWLP_USERDATA, (LONG_PTR)page);
        page->hwnd = hwndDlg;
        page->OnInitDialog();
        // TRUE lets the platform focus the template's first tab stop.
        return TRUE;
    }

    // WM_SETFONT and the like arrive before WM_INITDIALOG, when no page is attached.
    SetupDialog *page = (SetupDialog *)GetWindowLongPtrA(hwndDlg, GWLP_USERDATA);
    if (!page)
        return FALSE;

    // The window's last message: its handle may be reused from now on.
    if (message == WM_NCDESTROY)
        page->hwnd = NULL;
    if (message == WM_COMMAND) {
        UINT controlId = LOWORD(wParam);
        if (controlId == IDOK) {
            page->OnOK();
            return TRUE;
        }
        if (controlId == IDCANCEL) {
            page->OnCancel();
            return TRUE;
        }
        return page->OnCommand(controlId, HIWORD(wParam));
    }
    return page->OnMessage(message, wParam, lParam);
}

int ConfirmCancel(HWND owner)
{
    return MessageBoxA(owner, CANCEL_QUESTION, SETUP_TITLE, MB_ICONWARNING | MB_YESNO) == IDYES;
}
