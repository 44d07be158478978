// Libraries come from the system directory only, never from the setup's own
// folder or the current directory, where anyone may have put a copy.
#pragma once
#include <windows.h>

// Restricts the process's default library search to the system directory
// where the platform can (looked up at run time: older systems lack it).
void RestrictLibrarySearch();

// Loads the system directory's copy by its full path; null when it cannot.
HMODULE LoadSystemLibrary(const char *name);
