// Shared arrangements of the shell tests: a setup directory in the prefix, its
// cleanup, and the sequence run while a second thread drives its pages.
#pragma once
#include <windows.h>
#include <string>
#include "setup/setup.h"
#include "tests/driver/pagedriver.h"

#define TEST_ROOT "C:\\orvidtest"
#define STEP_TIMEOUT_MS 20000
#define VIEWER_EXE TEST_ROOT "\\viewer\\viewer.exe"
#define VIEWER_LOG TEST_ROOT "\\viewer\\viewer.log"

// TEST_ROOT\<name> made current, with a file for every row of the table but
// those in missing (null-terminated) and the RegSvr32 stand-in. Leaving
// removes it and whatever an installation or the release notes wrote.
struct SetupDirScope {
    explicit SetupDirScope(const char *name, const char *const *missing = nullptr);
    ~SetupDirScope();
};

// The recording viewer, in a directory of its own, registered for one kind
// (or, with no viewer, a kind without open command) for the life of the scope.
struct ViewerScope {
    ViewerScope(const char *extension, const char *progId, int withOpen = 1);
    ~ViewerScope();
    SavedExtension saved;
    const char *progId;
};

int ReadTextFile(const char *path, char *text, DWORD size);
int WriteTextFile(const char *path, const char *text);
// A build product given as a Unix path, as the prefix sees it.
std::string BuildProduct(const char *unixPath);
int Installed(const char *fileName);
// The temporary directory (ending in '\') + name.
std::string TempPath(const char *name);
// The viewer's log once it appears within waitMs; empty when it does not.
std::string ViewerLog(DWORD waitMs);

// Drives steps against this thread from a new thread; the process ends with
// a message when the driver gets stuck, as nothing else ends a modal loop.
HANDLE StartDriver(const DriverStep *steps, DriverRun *run);

struct SequenceRun {
    int result;                 // RunSetup's
    HWND host;                  // the stand-in host window (destroyed by now)
    DriverRun driver;
    std::string kinds;          // recorded pages (RecordedPage) in order of destruction, one
                                // letter each: C list, P progress, S skipped, D directory, M box
};
// RunSetup on this thread with a hidden host window while steps are played.
void RunSequence(const DriverStep *steps, SequenceRun *run);

// prefix + word + suffix + "\n" for every word.
std::string ExpectedLines(const char *const *words, const char *prefix = "", const char *suffix = "");
// A progress page's announcements: "Installing " + name + 144 full stops.
inline std::string ExpectedItems(const char *const *names)
{
    return ExpectedLines(names, "Installing ", std::string(144, '.').c_str());
}
// The failure box's text with the system's own text for the code.
std::string ExpectedFailureText(const char *name, DWORD code);
int IsWarningIcon(HICON icon);

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
