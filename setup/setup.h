// The setup shell: host window, setup sequence, release notes.
#pragma once
#include <windows.h>
#include "catalog/components.h"

#define WM_SETUP_START (WM_USER + 1)

extern HINSTANCE g_hInstance;
extern char g_installDir[MAX_PATH];

int RegisterSetupClass(HINSTANCE hInstance);
int CreateSetupWindow(HINSTANCE hInstance, int showCommand);
LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the whole setup with hwndHost owning every page and box; 1 when it
// reached the summary question.
int RunSetup(HWND hwndHost, HINSTANCE hInstance);

// Per-component hooks; no row of the built-in table answers yes.
int IsGroupedComponent(const SetupComponent *component);
int NeedsInstallDirectory(const SetupComponent *component);

void ShowReleaseNotes();
