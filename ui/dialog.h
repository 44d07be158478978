// Dialog pages: one shared dialog procedure dispatching to five virtual handlers.
#pragma once
#include <windows.h>

class SetupDialog {
public:
    SetupDialog(HINSTANCE hInstance, int templateId, HWND hwndParent);

    // Slot order matters: derived pages override these.
    virtual void OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual INT_PTR OnCommand(UINT controlId, UINT notifyCode);
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR DoModal();
    int Create();
    BOOL SetItemText(int controlId, const char *text);
    void Destroy();

    HINSTANCE hInstance;
    int templateId;
    HWND hwndParent;
    HWND hwnd;

protected:
    // Destroys the window. Pages live on the stack as their own class and are
    // never deleted through this one, so the destructor need not be virtual.
    ~SetupDialog();
};

// Caption of the setup's pages and questions, and title of its host window.
extern const char SETUP_TITLE[];

INT_PTR CALLBACK SetupDialogProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Asks whether to cancel the setup; 1 for Yes.
int ConfirmCancel(HWND owner);
