// Shared arrangements of the shell tests.
#include "tests/shell/shelltest.h"
#include <doctest.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <stdio.h>
#include <strsafe.h>

namespace {

struct DriverArgs {
    DWORD threadId;
    const DriverStep *steps;
    DriverRun *run;
};

DWORD WINAPI DriverThread(void *param)
{
    DriverArgs *args = (DriverArgs *)param;
    if (!RunDriverScript(GetCurrentProcessId(), args->threadId, args->steps, STEP_TIMEOUT_MS, args->run)) {
        fprintf(stderr, "driver stuck: %s\n", args->run->failure);
        fflush(stderr);
        ExitProcess(2);
    }
    delete args;
    return 0;
}

// Every file of the table from the system and help directories, the video-driver entries,
// the test root and the release notes' copies.
void RemoveLeftovers()
{
    char systemDir[MAX_PATH];
    char path[MAX_PATH];
    GetSystemDirectoryA(systemDir, ARRAYSIZE(systemDir));
    for (const SetupComponent *row = g_componentTable; row->fileName || row->displayName; row++) {
        if (!row->fileName)
            continue;
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%s", systemDir, row->fileName);
        DeleteFileA(path);
        StringCchPrintfA(path, ARRAYSIZE(path), "%s\\..\\help\\%s", systemDir, row->fileName);
        DeleteFileA(path);
    }
    StringCchPrintfA(path, ARRAYSIZE(path), "%s\\ovyvu9.dll", systemDir);
    SHDeleteValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "vidc.yvu9");
    SHDeleteValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc", path);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9");
    WritePrivateProfileStringA("drivers32", "VIDC.YVU9", NULL, "system.ini");
    DeleteFileA(TempPath("release.htm").c_str());
    DeleteFileA(TempPath("release.txt").c_str());

    GetWindowsDirectoryA(path, ARRAYSIZE(path));
    SetCurrentDirectoryA(path);
    // A stand-in started by the installer may still hold its log for a moment.
    SHFILEOPSTRUCTA remove = {};
    remove.wFunc = FO_DELETE;
    remove.pFrom = TEST_ROOT "\0";
    remove.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    for (int attempt = 0; attempt < 20 && GetFileAttributesA(TEST_ROOT) != INVALID_FILE_ATTRIBUTES; attempt++) {
        if (attempt)
            Sleep(100);
        SHFileOperationA(&remove);
    }
}

} // namespace

int ReadTextFile(const char *path, char *text, DWORD size)
{
    FILE *file = fopen(path, "rb");
    size_t read = file ? fread(text, 1, size - 1, file) : 0;
    text[read] = 0;
    return file && !fclose(file);
}

int WriteTextFile(const char *path, const char *text)
{
    FILE *file = fopen(path, "wb");
    int ok = file && fputs(text, file) >= 0;
    return file && !fclose(file) && ok;
}

std::string BuildProduct(const char *unixPath)
{
    char path[MAX_PATH];
    WinePathFromUnix(unixPath, path, ARRAYSIZE(path));
    return path;
}

int Installed(const char *fileName)
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, ARRAYSIZE(dir));
    return GetFileAttributesA((std::string(dir) + "\\" + fileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempPath(const char *name)
{
    char dir[MAX_PATH];
    REQUIRE(GetTempPathA(ARRAYSIZE(dir), dir) > 0);
    return std::string(dir) + name;
}

std::string ViewerLog(DWORD waitMs)
{
    for (DWORD start = GetTickCount(); GetFileAttributesA(VIEWER_LOG) == INVALID_FILE_ATTRIBUTES; Sleep(50))
        if (GetTickCount() - start >= waitMs)
            return "";
    Sleep(200);     // let the viewer finish its line
    char text[2048];
    ReadTextFile(VIEWER_LOG, text, sizeof(text));
    return text;
}

SetupDirScope::SetupDirScope(const char *name, const char *const *missing)
{
    CoInitialize(NULL);
    RemoveLeftovers();
    std::string dir = std::string(TEST_ROOT "\\") + name;
    CreateDirectoryA(TEST_ROOT, NULL);
    REQUIRE(CreateDirectoryA(dir.c_str(), NULL));
    for (const SetupComponent *row = g_componentTable; row->fileName || row->displayName; row++) {
        int skip = !row->fileName;
        for (const char *const *m = missing; !skip && m && *m; m++)
            skip = !lstrcmpiA(*m, row->fileName);
        if (!skip)
            REQUIRE(WriteTextFile((dir + "\\" + row->fileName).c_str(), "component"));
    }
    REQUIRE(CopyFileA(BuildProduct(ORVID_REGSVR32).c_str(), (dir + "\\RegSvr32.exe").c_str(), FALSE));
    REQUIRE(SetCurrentDirectoryA(dir.c_str()));
}

SetupDirScope::~SetupDirScope()
{
    RemoveLeftovers();
}

ViewerScope::ViewerScope(const char *extension, const char *progId, int withOpen) : progId(progId)
{
    CreateDirectoryA(TEST_ROOT "\\viewer", NULL);
    REQUIRE(CopyFileA(BuildProduct(ORVID_VIEWER).c_str(), VIEWER_EXE, FALSE));
    DeleteFileA(VIEWER_LOG);
    if (withOpen)
        REQUIRE(RegisterViewer(extension, progId, VIEWER_EXE, &saved));
    else
        REQUIRE(RegisterKindWithoutOpen(extension, progId, &saved));
}

ViewerScope::~ViewerScope()
{
    RestoreExtension(&saved, progId);
}

HANDLE StartDriver(const DriverStep *steps, DriverRun *run)
{
    return CreateThread(NULL, 0, DriverThread, new DriverArgs{GetCurrentThreadId(), steps, run}, 0, NULL);
}

void RunSequence(const DriverStep *steps, SequenceRun *run)
{
    ZeroMemory(&run->driver, sizeof(run->driver));
    // A plain hidden popup owns the pages without starting a sequence of its own.
    run->host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    StartPageRecorder(GetCurrentThreadId());
    HANDLE thread = StartDriver(steps, &run->driver);
    run->result = RunSetup(run->host, GetModuleHandleA(NULL));
    WaitForSingleObject(thread, STEP_TIMEOUT_MS);
    CloseHandle(thread);
    StopPageRecorder();
    run->kinds.clear();
    for (int i = 0; i < RecordedPageCount(); i++)
        run->kinds += "?CPSDM?"[RecordedPage(i)->kind];
    DestroyWindow(run->host);
}

std::string ExpectedLines(const char *const *words, const char *prefix, const char *suffix)
{
    std::string text;
    for (; *words; words++)
        text += prefix + std::string(*words) + suffix + "\n";
    return text;
}

std::string ExpectedFailureText(const char *name, DWORD code)
{
    char systemText[256];
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                        GetUserDefaultLangID(), systemText, ARRAYSIZE(systemText), NULL))
        systemText[0] = 0;
    return std::string("Setup failed to install the ") + name + " due to the following reason:  \n\n"
           + systemText;
}

int IsWarningIcon(HICON icon)
{
    return icon && icon == LoadIconA(NULL, IDI_WARNING);
}
