// Shared arrangements of the shell tests: a setup directory in the prefix,
// removal of what an installation wrote, and a run of the sequence driven
// from a second thread.
#pragma once
#include <windows.h>
#include "setup/setup.h"
#include "tests/driver/pagedriver.h"

#define TEST_ROOT "C:\\orvidtest"
#define STEP_TIMEOUT_MS 20000

// One case's setup directory (MakeSetupDir) and, afterwards, the removal of
// TEST_ROOT and of everything an installation wrote.
struct SetupDirScope {
    explicit SetupDirScope(const char *name, const char *const *missing = nullptr);
    ~SetupDirScope();
};

// Creates TEST_ROOT\<name> with a plain file for every component of the table
// except those named in missing (null-terminated, may be null), the RegSvr32
// stand-in, and makes it the current directory.
int MakeSetupDir(const char *name, const char *const *missing);
// Leaves and removes TEST_ROOT with everything below it.
void RemoveTestRoot();
// Removes every file of the table from the system and help directories and
// the video-driver entries.
void RemoveInstalledComponents();
int FileExists(const char *path);
// The file's text (at most size - 1 bytes); 0 when it cannot be read.
int ReadTextFile(const char *path, char *text, DWORD size);
int WriteTextFile(const char *path, const char *text);
// Polls for the file to exist, up to timeoutMs.
int WaitForFile(const char *path, DWORD timeoutMs);
// <system directory>\<fileName>
void SystemFilePath(const char *fileName, char *path, size_t size);
// A build product given as a Unix path, as the prefix sees it.
const char *BuildProduct(const char *unixPath);
// 1 when the file is in the system directory.
int Installed(const char *fileName);

// The recording viewer, copied to a directory of its own so that its log is
// the case's alone; registered for a kind with RegisterViewer.
#define VIEWER_EXE TEST_ROOT "\\viewer\\viewer.exe"
#define VIEWER_LOG TEST_ROOT "\\viewer\\viewer.log"
int InstallViewer();
// The viewer's log once it appears within waitMs; empty when it does not.
void ReadViewerLog(DWORD waitMs, char *text, DWORD size);

// The viewer installed and registered for one kind for the life of the scope.
struct ViewerScope {
    ViewerScope(const char *extension, const char *progId);
    ~ViewerScope();
    SavedExtension saved;
    const char *progId;
};

struct SequenceRun {
    int result;                 // RunSetup's
    HWND host;                  // the stand-in host window (destroyed by now)
    DriverRun driver;
    int recorded;               // pages and boxes, in order of destruction
    const PageInfo *pages[RECORDER_MAX_PAGES];
};

// RunSetup on this thread with a hidden host window while a driver thread
// plays steps; the process ends with a message when the driver gets stuck.
void RunSequence(const DriverStep *steps, SequenceRun *run);

// How many recorded pages are of the kind.
int CountRecorded(const SequenceRun *run, PageKind kind);
// The index of the first recorded page of the kind, or -1.
int FindRecorded(const SequenceRun *run, PageKind kind);

// "Installing " + name + 144 full stops + "\n", for every name.
void ExpectedItems(const char *const *names, char *text, size_t size);
// Each word + "\n".
void ExpectedLines(const char *const *words, char *text, size_t size);

// What the pages must show, written out here rather than taken from the table.
#define NAME_CODEC      "Orvid\xAE video codec"
#define NAME_FILTER     "Orvid\xAE video Flowcaster DirectShow* filter"
#define NAME_SWIFT      "Orvid\xAE video Swift Encoder"
#define NAME_VECTRIX    "Orvid\xAE video Swift Encoder designed for Vectrix(TM) Technology"
#define NAME_YVU9       "Orvid\xAE raw (YVU9) codec"
#define NAME_AUDIO      "Orvid\xAE" " audio codec"
#define NAME_BLANK      " "
#define NAME_FOOTNOTE   "* Brand, name or Trademark owned by another company"
#define TITLE_SETUP     "Orvid\xAE video 5.0 Setup"
#define TEXT_CONFIRM    "Are you sure you want to cancel setup?"
#define TEXT_SUMMARY_OK "All components were successfully installed.\n\nDo you want to review the release notes?"
#define TEXT_SUMMARY_FAILED \
    "All components were not successfully installed.\n\nDo you want to review the release notes?"

// The failure box's text as the user must see it, with the system's own text.
void ExpectedFailureText(const char *name, DWORD code, char *text, size_t size);
int IsWarningIcon(HICON icon);
