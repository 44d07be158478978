// The setup's dialog pages.
#pragma once
#include "ui/dialog.h"
#include "ui/resource.h"

// Component list (IDD_COMPONENTS) and skipped list (IDD_SKIPPED).
class ComponentListDialog : public SetupDialog {
public:
    ComponentListDialog(HINSTANCE hInstance, int templateId, HWND hwndParent);
    void OnInitDialog() override;
    void OnCancel() override;
    void AddLine(const char *text);

    char listText[1024];
};

// Modeless page with one "Installing " row per component and its status word.
class ProgressDialog : public SetupDialog {
public:
    ProgressDialog(HINSTANCE hInstance, HWND hwndParent);
    void OnCancel() override;
    void AddItem(const char *name);
    void SetStatus(const char *word);
    int TakeCancelRequest();

    char itemsText[2048];
    char statusText[512];
    int cancelRequested;
};

// Asks for an install directory (IDD_DIRECTORY).
class DirectoryDialog : public SetupDialog {
public:
    DirectoryDialog(HINSTANCE hInstance, int templateId, HWND hwndParent);
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    INT_PTR OnCommand(UINT controlId, UINT notifyCode) override;

    void SetDirectory(const char *path);
    // Copies at most size - 1 characters and the terminator; output may be null.
    void GetDirectory(char *output, int size);
    void Browse();
    static int CALLBACK BrowseCallback(HWND hwndBrowser, UINT message, LPARAM value, LPARAM data);

    char directory[1024];
};
