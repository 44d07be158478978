// The setup's dialog pages.
#pragma once
#include "ui/dialog.h"
#include "ui/resource.h"

// Component list (IDD_COMPONENTS) and skipped list (IDD_SKIPPED).
class ComponentListDialog : public SetupDialog {
public:
    ComponentListDialog(HINSTANCE hInstance, int templateId, HWND hwndParent);
    void OnInitDialog() override;
    void AddLine(const char *text);

private:
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

private:
    // Shows the page as it stands now: the setup is busy between rows, and
    // serves no paint messages then.
    void Repaint();

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
    INT_PTR OnCommand(UINT controlId, UINT notifyCode) override;

    void SetDirectory(const char *path);
    // Reads the field (while the page is open) and copies the text to output,
    // which may be null. 0, with output empty, when the text does not fit:
    // a path cut to fit would name another directory.
    int GetDirectory(char *output, size_t size);

private:
    void Browse();
    static int CALLBACK BrowseCallback(HWND hwndBrowser, UINT message, LPARAM value, LPARAM data);

    char directory[1024];
};
