// File-system helpers shared by the probe, the installer and the pages.
#pragma once
#include <windows.h>

// 1 when the path names an existing folder; an empty path names none.
int IsDirectory(const char *path);

// Cuts trailing '\' and '/' off the text.
void TrimSeparators(char *path);

// The part after the last '\' or '/': the whole text when there is none.
char *FindFileName(char *path);

// 1 when the path names an existing file: not a folder, not missing.
int IsFile(const char *path);

// Creates every directory along the path, outermost first; failures are
// ignored. A path that does not fit MAX_PATH creates nothing.
void CreateDirectoryPath(const char *path);
