// answer.exe SETUP [DIRECTORY]
//
// Runs SETUP (a Windows path) in DIRECTORY, by default SETUP's own folder,
// with the hooks of answerhook.dll in its thread, which answer its pages as
// the environment says (see hook.cpp). Once the setup and every process it
// started (RegSvr32.exe, the release-notes viewer) have ended, appends
// "exit code N" to ANSWER_LOG. With ANSWER_INJECT (a Windows path), loads that
// library into the setup before its entry point runs. ANSWER_DEADLINE_MS
// bounds the wait (300000 by default, ample
// under emulation).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

// Only turns a hang into a failure.
static DWORD DEADLINE_MS = 300000;

static int Fail(const char *what)
{
    fprintf(stderr, "answer: %s (error %lu)\n", what, GetLastError());
    return 2;
}

// LoadLibraryA on a thread of the suspended setup's own. Being its process's
// first thread to run, it binds the setup's imports before loading the
// library, so the library sees them bound and the setup's thread, once resumed,
// leaves them as they are.
static bool Inject(HANDLE process, const char *library)
{
    SIZE_T size = lstrlenA(library) + 1;
    void *copy = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    FARPROC load = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    HANDLE thread = copy && load && WriteProcessMemory(process, copy, library, size, NULL)
        ? CreateRemoteThread(process, NULL, 0, (LPTHREAD_START_ROUTINE)(void *)load, copy, 0, NULL)
        : NULL;
    DWORD module = 0;
    bool loaded = thread && WaitForSingleObject(thread, DEADLINE_MS) == WAIT_OBJECT_0
        && GetExitCodeThread(thread, &module) && module;
    if (thread)
        CloseHandle(thread);
    return loaded;
}

int main(int argc, char **argv)
{
    char setup[MAX_PATH], folder[MAX_PATH], command[MAX_PATH + 2], log[MAX_PATH];
    char *name = NULL;
    if (argc < 2 || argc > 3 || !GetFullPathNameA(argv[1], MAX_PATH, setup, &name) || !name)
        return Fail("usage: answer SETUP [DIRECTORY]");
    lstrcpynA(folder, argc == 3 ? argv[2] : setup, argc == 3 ? MAX_PATH : (int)(name - setup) + 1);
    snprintf(command, sizeof(command), "\"%s\"", setup);
    char text[MAX_PATH];
    if (GetEnvironmentVariableA("ANSWER_DEADLINE_MS", text, MAX_PATH) && atol(text) > 0)
        DEADLINE_MS = atol(text);

    HMODULE hooks = LoadLibraryA("answerhook.dll");
    HOOKPROC cbt = hooks ? (HOOKPROC)(void *)GetProcAddress(hooks, "CbtHook") : NULL;
    HOOKPROC show = hooks ? (HOOKPROC)(void *)GetProcAddress(hooks, "ShowHook") : NULL;
    // The processes that the setup starts join its job, whose port tells when
    // the last of them has ended.
    HANDLE job = CreateJobObjectA(NULL, NULL);
    HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link = {job, port};
    if (!cbt || !show || !job || !port
        || !SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link, sizeof(link)))
        return Fail("no hooks or no job");
    // Whatever starts the prefix's desktop process, it is not the setup's job.
    GetDesktopWindow();

    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process;
    if (!CreateProcessA(setup, command, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, folder, &startup, &process))
        return Fail("cannot start the setup");
    if (!AssignProcessToJobObject(job, process.hProcess)
        || !SetWindowsHookExA(WH_CBT, cbt, hooks, process.dwThreadId)
        || !SetWindowsHookExA(WH_CALLWNDPROC, show, hooks, process.dwThreadId)) {
        TerminateProcess(process.hProcess, 255);
        return Fail("cannot hook the setup");
    }
    DWORD length = GetEnvironmentVariableA("ANSWER_INJECT", text, MAX_PATH);
    if (length && (length >= MAX_PATH || !Inject(process.hProcess, text))) {
        TerminateProcess(process.hProcess, 255);
        return Fail("cannot load ANSWER_INJECT into the setup");
    }
    ResumeThread(process.hThread);

    DWORD message = 0, start = GetTickCount(), exitCode = 255;
    ULONG_PTR key;
    LPOVERLAPPED overlapped;
    while (message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
        DWORD spent = GetTickCount() - start;
        if (spent >= DEADLINE_MS
            || !GetQueuedCompletionStatus(port, &message, &key, &overlapped, DEADLINE_MS - spent)) {
            TerminateJobObject(job, 255);
            return Fail("the setup or a process it started did not end");
        }
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    FILE *out = GetEnvironmentVariableA("ANSWER_LOG", log, MAX_PATH) ? fopen(log, "ab") : NULL;
    if (!out)
        return Fail("cannot write ANSWER_LOG");
    fprintf(out, "exit code %lu\n", exitCode);
    fclose(out);
    return 0;
}
