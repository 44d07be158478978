// Bounded copy, append and format on the system's own string functions.
#include "base/text.h"
#include <stdarg.h>

int TextCopy(char *dest, size_t size, const char *text)
{
    if (size == 0)
        return 0;
    // Cut between characters: half a double-byte character would join the
    // terminator, or whatever is appended next, into another one.
    size_t i = 0;
    for (size_t next; text[i]; i = next) {
        next = (size_t)(CharNextA(text + i) - text);
        if (next >= size)
            break;
        while (i < next) {
            dest[i] = text[i];
            i++;
        }
    }
    dest[i] = '\0';
    return text[i] == '\0';
}

int TextAppend(char *dest, size_t size, const char *text)
{
    size_t used = (size_t)lstrlenA(dest);
    if (used >= size)
        return 0;
    return TextCopy(dest + used, size - used, text);
}

int TextFormat(char *dest, size_t size, const char *format, ...)
{
    // wvsprintfA fills at most 1024 bytes, its terminator included (one more
    // here, should a system write it after them); a text that reaches that
    // length may have been cut there, and counts as cut.
    char scratch[1025];
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(scratch, format, args);
    va_end(args);
    if (length < 0 || length >= 1024) {
        TextCopy(dest, size, "");
        return 0;
    }
    return TextCopy(dest, size, scratch);
}
