// The list, progress and install directory pages.
#include "ui/pages.h"
#include <shlobj.h>
#include "base/files.h"
#include "base/text.h"

// Item lines run past the item column so the clipped dots lead up to the status word.
enum { PROGRESS_DOTS = 144 };

static const char DEFAULT_DIRECTORY[] = "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher";
static const char BROWSE_TITLE[] = "Select folder for Orvid\xAE Flowcaster Publisher";

ComponentListDialog::ComponentListDialog(HINSTANCE hInstance, int templateId, HWND hwndParent)
    : SetupDialog(hInstance, templateId, hwndParent)
{
    listText[0] = '\0';
}

void ComponentListDialog::OnInitDialog()
{
    SetItemText(IDC_LIST_TEXT, listText);
}

// A full field is cut off at its capacity, always terminated.
void ComponentListDialog::AddLine(const char *text)
{
    TextAppend(listText, sizeof(listText), text);
    TextAppend(listText, sizeof(listText), "\n");
}

ProgressDialog::ProgressDialog(HINSTANCE hInstance, HWND hwndParent)
    : SetupDialog(hInstance, IDD_PROGRESS, hwndParent), cancelRequested(0)
{
    itemsText[0] = '\0';
    statusText[0] = '\0';
}

void ProgressDialog::OnCancel()
{
    // Only a request: the sequence asks the question before its next component.
    cancelRequested = 1;
}

void ProgressDialog::AddItem(const char *name)
{
    TextAppend(itemsText, sizeof(itemsText), "Installing ");
    TextAppend(itemsText, sizeof(itemsText), name);
    for (int dot = 0; dot < PROGRESS_DOTS; dot++)
        TextAppend(itemsText, sizeof(itemsText), ".");
    TextAppend(itemsText, sizeof(itemsText), "\n");
    SetItemText(IDC_PROGRESS_ITEMS, itemsText);
    Repaint();
}

void ProgressDialog::SetStatus(const char *word)
{
    TextAppend(statusText, sizeof(statusText), word);
    TextAppend(statusText, sizeof(statusText), "\n");
    SetItemText(IDC_PROGRESS_STATUS, statusText);
    Repaint();
}

void ProgressDialog::Repaint()
{
    // Paints what the new text invalidated, and dispatches nothing, so no
    // click is served out of turn.
    if (Window())
        RedrawWindow(Window(), NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int ProgressDialog::TakeCancelRequest()
{
    int requested = cancelRequested;
    cancelRequested = 0;
    return requested;
}

DirectoryDialog::DirectoryDialog(HINSTANCE hInstance, int templateId, HWND hwndParent)
    : SetupDialog(hInstance, templateId, hwndParent)
{
    directory[0] = '\0';
}

void DirectoryDialog::OnInitDialog()
{
    SetDirectory(DEFAULT_DIRECTORY);
}

void DirectoryDialog::OnOK()
{
    ReadDirectoryField();
    // A text too long for a path creates nothing, as a directory that cannot be
    // created; the sequence then hands on no directory at all.
    CreateDirectoryPath(directory);
    SetupDialog::OnOK();
}

INT_PTR DirectoryDialog::OnCommand(UINT controlId, UINT notifyCode)
{
    if (controlId != IDC_BROWSE)
        return 0;
    Browse();
    return 1;
}

void DirectoryDialog::SetDirectory(const char *path)
{
    TextCopy(directory, sizeof(directory), path);
    SetItemText(IDC_DIRECTORY_EDIT, directory);
}

void DirectoryDialog::ReadDirectoryField()
{
    GetDlgItemTextA(Window(), IDC_DIRECTORY_EDIT, directory, sizeof(directory));
}

int DirectoryDialog::CopyDirectory(char *output, size_t size) const
{
    if (TextCopy(output, size, directory))
        return 1;
    if (size)
        output[0] = '\0';
    return 0;
}

void DirectoryDialog::Browse()
{
    ReadDirectoryField();
    // Even when the browser is then cancelled: it opens with this directory
    // selected, and only a directory that exists can be selected.
    CreateDirectoryPath(directory);

    BROWSEINFOA info;
    ZeroMemory(&info, sizeof(info));
    // Owned by the host window, so the page stays enabled while the browser runs.
    info.hwndOwner = Parent();
    info.lpszTitle = BROWSE_TITLE;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)this;

    LPITEMIDLIST items = SHBrowseForFolderA(&info);
    if (!items)
        return;
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(items, path))
        SetDirectory(path);
    CoTaskMemFree(items);
}

int CALLBACK DirectoryDialog::BrowseCallback(HWND hwndBrowser, UINT message, LPARAM value, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        const DirectoryDialog *page = (const DirectoryDialog *)data;
        SendMessageA(hwndBrowser, BFFM_SETSELECTIONA, TRUE, (LPARAM)page->directory);
    }
    return 0;
}
