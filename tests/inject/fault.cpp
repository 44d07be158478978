// fault.dll: with ORVID_FAULT=NAME:N, the N-th call that setup.exe makes of
// NAME, a function it imports, fails as on Windows; every other call reaches
// the real one. With NAME:N:cut, the N-th call is made and the process then
// ends at once with exit code 9, as if the power had gone. The answerer loads
// it into the suspended setup.exe, whose imports are bound by then, and it
// rewrites NAME's import table slot. Once the fault fires, it makes the file
// that ORVID_FAULT_FIRED names (a Windows path), for the row to tell it did.
#include <windows.h>

// How a function fails: the bytes of arguments it pops, its result, its last error.
struct Failure { const char *name; DWORD argBytes, result, error; };
static const Failure FAILURES[] = {
    {"PostMessageA", 16, FALSE, ERROR_NOT_ENOUGH_QUOTA}, // a full message queue
    {"RegSetValueExA", 24, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},  // answers its error
    {"WritePrivateProfileStringA", 16, FALSE, ERROR_ACCESS_DENIED},
    {"DeleteFileA", 4, FALSE, ERROR_ACCESS_DENIED},
    {"CopyFileA", 12, FALSE, ERROR_DISK_FULL},
    {"MoveFileA", 8, FALSE, ERROR_SHARING_VIOLATION},   // the file is in use
    {"MoveFileExA", 12, FALSE, ERROR_SHARING_VIOLATION},
};
static char chosenName[64];      // NAME, once the setting is cut at its ':'
static char fired[MAX_PATH];
static const Failure *chosen;     // null when the call is cut instead
static LONG calls, nth;

extern "C" {
void *faultReal;
DWORD faultBytes, faultResult, faultCut;
void FaultStub();
BOOL FaultDue()
{
    if (InterlockedIncrement(&calls) != nth)
        return FALSE;
    CloseHandle(CreateFileA(fired, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    if (chosen)
        SetLastError(chosen->error);
    return TRUE;
}
void FaultEnd()
{
    TerminateProcess(GetCurrentProcess(), 9);
}
}
// Imports are stdcall: a failing call pops its arguments itself; any other
// jumps on with the caller's stack untouched. A cut call drops its return
// address, so that the real function returns here, to the end.
asm(".text\n_FaultStub:\n\tcall _FaultDue\n\ttest %eax, %eax\n\tjz 1f\n\tcmpl $0, _faultCut\n\tjne 2f\n"
    "\tpop %ecx\n\tadd _faultBytes, %esp\n\tmov _faultResult, %eax\n\tjmp *%ecx\n"
    "2:\tadd $4, %esp\n\tcall *_faultReal\n\tcall _FaultEnd\n1:\tjmp *_faultReal\n");

// A function that setup.exe does not import (any more) patches nothing, and is
// refused like an unbound slot: its rows would otherwise run unfaulted.
static BOOL Patch(BYTE *base)
{
    BOOL patched = FALSE;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (IMAGE_IMPORT_DESCRIPTOR *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + at); at && d->Name; d++) {
        IMAGE_THUNK_DATA *name = (IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk);
        DWORD *slot = (DWORD *)(base + d->FirstThunk), was;
        for (; d->OriginalFirstThunk && name->u1.AddressOfData; name++, slot++) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)
                || lstrcmpA((char *)((IMAGE_IMPORT_BY_NAME *)(base + name->u1.AddressOfData))->Name, chosenName))
                continue;
            // An unbound slot would be bound later, over the stub.
            faultReal = (void *)GetProcAddress(GetModuleHandleA((char *)base + d->Name), chosenName);
            if (!faultReal || *slot != (DWORD)faultReal || !VirtualProtect(slot, 4, PAGE_READWRITE, &was))
                return FALSE;
            *slot = (DWORD)FaultStub;
            VirtualProtect(slot, 4, was, &was);
            patched = TRUE;
        }
    }
    return patched;
}

// Refuses to load, which fails the answerer, on a setting it cannot carry out.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    char *count = chosenName;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    DWORD n = GetEnvironmentVariableA("ORVID_FAULT", chosenName, sizeof(chosenName));
    if (!n)
        return TRUE;
    if (GetEnvironmentVariableA("ORVID_FAULT_FIRED", fired, sizeof(fired)) >= sizeof(fired))
        return FALSE;
    while (n < sizeof(chosenName) && *count && *count != ':')
        count++;
    if (n >= sizeof(chosenName) || !*count)
        return FALSE;
    for (*count++ = 0; *count >= '0' && *count <= '9' && nth < 100000; count++)
        nth = nth * 10 + *count - '0';
    // Any import can be cut; only those of the table can fail.
    faultCut = !lstrcmpA(count, ":cut");
    for (const Failure &f : FAILURES)
        if (!faultCut && !lstrcmpA(f.name, chosenName))
            chosen = &f;
    if (nth < 1 || !(faultCut || (chosen && !*count)))
        return FALSE;
    if (chosen) {
        faultBytes = chosen->argBytes;
        faultResult = chosen->result;
    }
    return Patch((BYTE *)GetModuleHandleA(NULL));
}
