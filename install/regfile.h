// Small registry and file-system helpers; each answers 1 or 0.
#pragma once
#include <windows.h>

// size: in, the buffer's capacity; out, the value's length. A null data asks the length only.
int ReadRegistryValue(const char *subKey, const char *valueName, BYTE *data, DWORD *size, HKEY root);
int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root);

// Trims trailing '\' and '/' from the caller's text before asking.
int IsDirectory(char *path);

// Creates every directory along the path; failures are ignored.
void CreateDirectoryPath(const char *path);
