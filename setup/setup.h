// The setup shell: host window, setup sequence, release notes.
#pragma once
#include <windows.h>
#include <stddef.h>
#include "catalog/components.h"

#define WM_SETUP_START (WM_USER + 1)

extern HINSTANCE g_hInstance;
extern char g_installDir[MAX_PATH];

// Class of the host window; its caption is the setup's title.
extern const char SETUP_CLASS_NAME[];

int RegisterSetupClass(HINSTANCE hInstance);
int CreateSetupWindow(HINSTANCE hInstance, int showCommand);
LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the whole setup with hwndHost owning every page and box; 1 when it
// reached the summary question.
int RunSetup(HWND hwndHost, HINSTANCE hInstance);

// The failure box's text for a component that failed with code: the header
// naming it, then the system's text for the code, or "Error code 0x....."
// when the system has none. Always terminated within size.
void FormatFailureText(char *text, size_t size, const SetupComponent *component, DWORD code);

// Per-component hooks; no row of the built-in table answers yes.
int IsGroupedComponent(const SetupComponent *component);
int NeedsInstallDirectory(const SetupComponent *component);

void ShowReleaseNotes();
