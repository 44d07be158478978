// Reading one text value and writing one string value; each answers 1 or 0
// and, on failure, leaves the registry's error code as the last error.
#pragma once
#include <windows.h>

// Reads a value as text: its bytes as stored, whatever its type (a
// REG_EXPAND_SZ with its variables unexpanded, a REG_BINARY as the bytes that
// its writer left); what they name is checked where it is used. size: in, the text buffer's bytes, at
// least 1; out, the bytes that the value needs with a terminator, which is
// also all that a null text asks. The text always ends inside the buffer,
// whether or not the value was stored with its terminator, and is empty when
// the read fails. The key is opened with full access on purpose: a key the
// user may not change counts as missing.
int ReadRegistryText(const char *subKey, const char *valueName, char *text, DWORD *size, HKEY root);
int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root);
