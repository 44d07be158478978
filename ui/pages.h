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
    // Appends the word as the next line of the status column, beside the
    // item added last.
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
    // Copies the directory as the field held it at OK. 0, with output empty,
    // when it does not fit: a path cut to fit would name another directory.
    int CopyDirectory(char *output, size_t size) const;

private:
    // Takes the field's text as the directory; the page must be open.
    void ReadDirectoryField();
    void Browse();
    static int CALLBACK BrowseCallback(HWND hwndBrowser, UINT message, LPARAM value, LPARAM data);

    char directory[1024];
};
