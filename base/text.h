// Bounded text: every function takes the destination's size in bytes and
// leaves it terminated. Each answers 1 when the whole text fit and 0 when it
// was cut (or the size is 0), so that a caller can refuse a cut path.
#pragma once
#include <windows.h>

int TextCopy(char *dest, size_t size, const char *text);
int TextAppend(char *dest, size_t size, const char *text);
// The system's own formatter (wsprintf's conversions), into a scratch buffer first.
int TextFormat(char *dest, size_t size, const char *format, ...);
