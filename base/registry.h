// Reading one registry value and writing one string value; each answers 1 or 0
// and, on failure, leaves the registry's error code as the last error.
#pragma once
#include <windows.h>

// size: in, the buffer's capacity; out, the value's length. A null data asks
// the length only. The key is opened with full access on purpose: a key the
// user may not change counts as missing.
int ReadRegistryValue(const char *subKey, const char *valueName, BYTE *data, DWORD *size, HKEY root);
int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root);
