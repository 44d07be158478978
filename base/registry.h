// Reading one text value and writing one string value; each answers 1 or 0
// and, on failure, leaves the registry's error code as the last error.
#pragma once
#include <windows.h>

// Reads a text value: REG_SZ, or REG_EXPAND_SZ as it is stored (the text is
// used as it stands, its variables unexpanded); a value of any other type is
// no text (ERROR_INVALID_DATATYPE). size: in, the text buffer's bytes, at
// least 1; out, the bytes that the value needs with a terminator, which is
// also all that a null text asks. The text always ends inside the buffer,
// whether or not the value was stored with its terminator, and is empty when
// the read fails. The key is opened with full access on purpose: a key the
// user may not change counts as missing.
int ReadRegistryText(const char *subKey, const char *valueName, char *text, DWORD *size, HKEY root);
int WriteRegistryString(const char *subKey, const char *valueName, const char *text, HKEY root);
