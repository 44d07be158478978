// The list, progress and install directory pages.
#include "ui/pages.h"
#include "install/regfile.h"
#include <shlobj.h>
#include <strsafe.h>

// Item lines run past the item column so the clipped dots lead up to the status word.
enum { kProgressDots = 144 };

static const char kDefaultDirectory[] = "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher";
static const char kBrowseTitle[] = "Select folder for Orvid\xAE Flowcaster Publisher";

// Appends what fits; a full field is cut off at its capacity, always terminated.
static void AppendText(char *field, size_t capacity, const char *text)
{
    StringCchCatA(field, capacity, text);
}

ComponentListDialog::ComponentListDialog(HINSTANCE hInstance, int templateId, HWND hwndParent)
    : SetupDialog(hInstance, templateId, hwndParent)
{
    listText[0] = '\0';
}

void ComponentListDialog::OnInitDialog()
{
    SetItemText(IDC_LIST_TEXT, listText);
}

void ComponentListDialog::OnCancel()
{
    if (ConfirmCancel(hwnd))
        SetupDialog::OnCancel();
}

void ComponentListDialog::AddLine(const char *text)
{
    AppendText(listText, ARRAYSIZE(listText), text);
    AppendText(listText, ARRAYSIZE(listText), "\n");
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
    char dots[kProgressDots + 1];
    FillMemory(dots, kProgressDots, '.');
    dots[kProgressDots] = '\0';

    AppendText(itemsText, ARRAYSIZE(itemsText), "Installing ");
    AppendText(itemsText, ARRAYSIZE(itemsText), name);
    AppendText(itemsText, ARRAYSIZE(itemsText), dots);
    AppendText(itemsText, ARRAYSIZE(itemsText), "\n");
    SetItemText(IDC_PROGRESS_ITEMS, itemsText);
}

void ProgressDialog::SetStatus(const char *word)
{
    AppendText(statusText, ARRAYSIZE(statusText), word);
    AppendText(statusText, ARRAYSIZE(statusText), "\n");
    SetItemText(IDC_PROGRESS_STATUS, statusText);
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
    SetDirectory(kDefaultDirectory);
}

void DirectoryDialog::OnOK()
{
    GetDirectory(NULL, 0);
    // A text too long for a path is refused there, not cut to another directory.
    CreateDirectoryPath(directory);
    SetupDialog::OnOK();
}

void DirectoryDialog::OnCancel()
{
    if (ConfirmCancel(hwnd))
        SetupDialog::OnCancel();
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
    StringCchCopyA(directory, ARRAYSIZE(directory), path);
    SetItemText(IDC_DIRECTORY_EDIT, directory);
}

void DirectoryDialog::GetDirectory(char *output, int size)
{
    if (hwnd)
        GetDlgItemTextA(hwnd, IDC_DIRECTORY_EDIT, directory, ARRAYSIZE(directory));
    if (output && size > 0)
        lstrcpynA(output, directory, size);
}

void DirectoryDialog::Browse()
{
    GetDirectory(NULL, 0);
    CreateDirectoryPath(directory);

    BROWSEINFOA info;
    ZeroMemory(&info, sizeof(info));
    // Owned by the host window, so the page stays enabled while the browser runs.
    info.hwndOwner = hwndParent;
    info.lpszTitle = kBrowseTitle;
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
        DirectoryDialog *page = (DirectoryDialog *)data;
        char path[ARRAYSIZE(page->directory)];
        page->GetDirectory(path, ARRAYSIZE(path));
        SendMessageA(hwndBrowser, BFFM_SETSELECTIONA, TRUE, (LPARAM)path);
    }
    return 0;
}
