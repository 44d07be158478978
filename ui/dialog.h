// Dialog pages: one shared dialog procedure dispatching to five virtual handlers.
#pragma once
#include <windows.h>

class SetupDialog {
public:
    SetupDialog(HINSTANCE hInstance, int templateId, HWND hwndParent);
    // A copy would be a second owner of the one window.
    SetupDialog(const SetupDialog &) = delete;
    SetupDialog &operator=(const SetupDialog &) = delete;

    // The pages override these. The defaults of OnOK and OnCancel are for
    // modal pages: on a modeless one EndDialog only hides the window, so its
    // page overrides those that its template can send.
    virtual void OnInitDialog();
    virtual void OnOK();
    // Ends the page only when the user confirms cancelling the setup.
    virtual void OnCancel();
    virtual INT_PTR OnCommand(UINT controlId, UINT notifyCode);
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR DoModal();
    // A modeless page; its owner destroys it by name when done with it.
    int Create();
    BOOL SetItemText(int controlId, const char *text);
    void Destroy();

    // From WM_INITDIALOG until the window is gone (WM_NCDESTROY); null
    // before and after.
    HWND Window() const { return hwnd; }
    HINSTANCE Instance() const { return hInstance; }
    HWND Parent() const { return hwndParent; }

protected:
    // Destroys a window still left, so that none outlives its page; by then
    // only this class's handlers answer it. Pages live on the stack as their
    // own class and are never deleted through this one, so the destructor
    // need not be virtual.
    ~SetupDialog();

private:
    // Holds the shared dialog procedure, which alone attaches a window to its
    // page; it is defined in dialog.cpp only.
    struct Procedure;

    HINSTANCE hInstance;
    int templateId;
    HWND hwndParent;
    HWND hwnd;
};

// Caption of the setup's pages and questions, and title of its host window.
extern const char SETUP_TITLE[];

// Asks whether to cancel the setup; 1 for Yes.
int ConfirmCancel(HWND owner);
