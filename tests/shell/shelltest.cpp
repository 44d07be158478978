// Shared arrangements of the shell tests.
#include "tests/shell/shelltest.h"
#include <doctest.h>
#include <objbase.h>
#include <stdio.h>
#include <string.h>
#include <strsafe.h>

namespace {

struct DriverThreadArgs {
    DWORD processId;
    DWORD threadId;
    const DriverStep *steps;
    DriverRun *run;
};

DWORD WINAPI DriverThread(void *param)
{
    DriverThreadArgs *args = (DriverThreadArgs *)param;
    if (!RunDriverScript(args->processId, args->threadId, args->steps, STEP_TIMEOUT_MS, args->run)) {
        // The setup thread sits in a modal loop nobody will end: report and stop.
        fprintf(stderr, "driver stuck: %s\n", args->run->failure);
        for (int i = 0; i < args->run->stepsDone; i++)
            fprintf(stderr, "  step %d saw \"%s\"\n", i, args->run->seen[i].caption);
        PageInfo page;
        HWND open = FindPage(args->processId, args->threadId, PAGE_ANY, NULL);
        if (open) {
            static char text[8192];
            ReadPage(open, &page);
            FormatPage(&page, text, sizeof(text));
            fprintf(stderr, "  open now: %s\n", text);
        }
        fflush(stderr);
        ExitProcess(2);
    }
    return 0;
}

void RemoveTree(const char *path)
{
    char pattern[MAX_PATH];
    if (FAILED(StringCchPrintfA(pattern, ARRAYSIZE(pattern), "%s\\*", path)))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, ".."))
                continue;
            char child[MAX_PATH];
            if (FAILED(StringCchPrintfA(child, ARRAYSIZE(child), "%s\\%s", path, found.cFileName)))
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path);
}

int IsMissing(const char *fileName, const char *const *missing)
{
    for (; missing && *missing; missing++)
        if (!lstrcmpiA(*missing, fileName))
            return 1;
    return 0;
}

} // namespace

int FileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int ReadTextFile(const char *path, char *text, DWORD size)
{
    text[0] = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD read = 0;
    BOOL ok = ReadFile(file, text, size - 1, &read, NULL);
    CloseHandle(file);
    text[ok ? read : 0] = 0;
    return ok ? 1 : 0;
}

int WriteTextFile(const char *path, const char *text)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    CloseHandle(file);
    return ok ? 1 : 0;
}

int WaitForFile(const char *path, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!FileExists(path)) {
        if (GetTickCount() - start >= timeoutMs)
            return 0;
        Sleep(50);
    }
    return 1;
}

void SystemFilePath(const char *fileName, char *path, size_t size)
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, ARRAYSIZE(dir));
    StringCchPrintfA(path, size, "%s\\%s", dir, fileName);
}

const char *BuildProduct(const char *unixPath)
{
    static char paths[4][MAX_PATH];
    static int next;
    char *path = paths[next++ % 4];
    WinePathFromUnix(unixPath, path, MAX_PATH);
    return path;
}

SetupDirScope::SetupDirScope(const char *name, const char *const *missing)
{
    RemoveInstalledComponents();
    REQUIRE(MakeSetupDir(name, missing));
}

SetupDirScope::~SetupDirScope()
{
    RemoveInstalledComponents();
    RemoveTestRoot();
    // The copies the release notes may have left.
    char path[MAX_PATH];
    DWORD length = GetTempPathA(ARRAYSIZE(path), path);
    if (length && length < ARRAYSIZE(path) - sizeof("release.htm")) {
        lstrcpynA(path + length, "release.htm", (int)(ARRAYSIZE(path) - length));
        DeleteFileA(path);
        lstrcpynA(path + length, "release.txt", (int)(ARRAYSIZE(path) - length));
        DeleteFileA(path);
    }
}

ViewerScope::ViewerScope(const char *extension, const char *progId) : progId(progId)
{
    REQUIRE(InstallViewer());
    REQUIRE(RegisterViewer(extension, progId, VIEWER_EXE, &saved));
}

ViewerScope::~ViewerScope()
{
    RestoreExtension(&saved, progId);
}

int Installed(const char *fileName)
{
    char path[MAX_PATH];
    SystemFilePath(fileName, path, sizeof(path));
    return FileExists(path);
}

int InstallViewer()
{
    CreateDirectoryA(TEST_ROOT "\\viewer", NULL);
    return CopyFileA(BuildProduct(ORVID_VIEWER), VIEWER_EXE, FALSE) ? 1 : 0;
}

void ReadViewerLog(DWORD waitMs, char *text, DWORD size)
{
    text[0] = 0;
    if (!WaitForFile(VIEWER_LOG, waitMs))
        return;
    // Let the viewer finish its line.
    Sleep(200);
    ReadTextFile(VIEWER_LOG, text, size);
}

int MakeSetupDir(const char *name, const char *const *missing)
{
    char dir[MAX_PATH];
    char path[MAX_PATH];
    CreateDirectoryA(TEST_ROOT, NULL);
    if (FAILED(StringCchPrintfA(dir, ARRAYSIZE(dir), "%s\\%s", TEST_ROOT, name))
        || (!CreateDirectoryA(dir, NULL) && GetLastError() != ERROR_ALREADY_EXISTS))
        return 0;
    for (const SetupComponent *row = g_componentTable; row->fileName || row->displayName; row++) {
        if (!row->fileName || IsMissing(row->fileName, missing))
            continue;
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%s", dir, row->fileName);
        if (!WriteTextFile(path, "component"))
            return 0;
    }
    StringCchPrintfA(path, ARRAYSIZE(path), "%s\\RegSvr32.exe", dir);
    if (!CopyFileA(BuildProduct(ORVID_REGSVR32), path, FALSE))
        return 0;
    return SetCurrentDirectoryA(dir) ? 1 : 0;
}

void RemoveTestRoot()
{
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, ARRAYSIZE(windowsDir));
    SetCurrentDirectoryA(windowsDir);
    // A stand-in started by the installer may still hold its log for a moment.
    for (int attempt = 0; attempt < 20 && FileExists(TEST_ROOT); attempt++) {
        RemoveTree(TEST_ROOT);
        if (FileExists(TEST_ROOT))
            Sleep(100);
    }
}

void RemoveInstalledComponents()
{
    char systemDir[MAX_PATH];
    char helpDir[MAX_PATH];
    char path[MAX_PATH];
    GetSystemDirectoryA(systemDir, ARRAYSIZE(systemDir));
    StringCchPrintfA(helpDir, ARRAYSIZE(helpDir), "%s\\..\\help", systemDir);
    for (const SetupComponent *row = g_componentTable; row->fileName || row->displayName; row++) {
        if (!row->fileName)
            continue;
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%s", systemDir, row->fileName);
        DeleteFileA(path);
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%s", helpDir, row->fileName);
        DeleteFileA(path);
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32",
                      0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "vidc.yvu9");
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc",
                      0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\ovyvu9.dll", systemDir);
        RegDeleteValueA(key, path);
        RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9");
    WritePrivateProfileStringA("drivers32", "VIDC.YVU9", NULL, "system.ini");
}

void RunSequence(const DriverStep *steps, SequenceRun *run)
{
    ZeroMemory(run, sizeof(*run));
    CoInitialize(NULL);
    // A plain hidden popup stands for the host window: it owns the pages
    // without starting a second sequence of its own.
    run->host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    StartPageRecorder(GetCurrentThreadId());
    DriverThreadArgs args = {GetCurrentProcessId(), GetCurrentThreadId(), steps, &run->driver};
    HANDLE thread = CreateThread(NULL, 0, DriverThread, &args, 0, NULL);
    run->result = RunSetup(run->host, GetModuleHandleA(NULL));
    WaitForSingleObject(thread, STEP_TIMEOUT_MS);
    CloseHandle(thread);
    StopPageRecorder();
    run->recorded = RecordedPageCount();
    for (int i = 0; i < run->recorded; i++)
        run->pages[i] = RecordedPage(i);
    DestroyWindow(run->host);
}

int CountRecorded(const SequenceRun *run, PageKind kind)
{
    int count = 0;
    for (int i = 0; i < run->recorded; i++)
        count += run->pages[i]->kind == kind;
    return count;
}

int FindRecorded(const SequenceRun *run, PageKind kind)
{
    for (int i = 0; i < run->recorded; i++)
        if (run->pages[i]->kind == kind)
            return i;
    return -1;
}

void ExpectedItems(const char *const *names, char *text, size_t size)
{
    char dots[145];
    memset(dots, '.', 144);
    dots[144] = 0;
    text[0] = 0;
    for (; *names; names++) {
        StringCchCatA(text, size, "Installing ");
        StringCchCatA(text, size, *names);
        StringCchCatA(text, size, dots);
        StringCchCatA(text, size, "\n");
    }
}

void ExpectedLines(const char *const *words, char *text, size_t size)
{
    text[0] = 0;
    for (; *words; words++) {
        StringCchCatA(text, size, *words);
        StringCchCatA(text, size, "\n");
    }
}

void ExpectedFailureText(const char *name, DWORD code, char *text, size_t size)
{
    char systemText[256];
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                        GetUserDefaultLangID(), systemText, ARRAYSIZE(systemText), NULL))
        systemText[0] = 0;
    StringCchPrintfA(text, size, "Setup failed to install the %s due to the following reason:  \n\n%s",
                     name, systemText);
}

int IsWarningIcon(HICON icon)
{
    return icon && icon == LoadIconA(NULL, IDI_WARNING);
}
