// The setup sequence: the pages, the installation and the summary question.
#pragma once
#include <windows.h>
#include <stddef.h>
#include "catalog/components.h"

// Runs the whole setup with hwndHost owning every page and box; 1 when it
// reached the summary question.
int RunSetup(HWND hwndHost, HINSTANCE hInstance);

// The failure box's text for a component that failed with code: the header
// naming it, then the system's text for the code, or "Error code 0x....."
// when the system has none. Always terminated within size.
void FormatFailureText(char *text, size_t size, const SetupComponent *component, DWORD code);
