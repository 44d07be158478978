// File-system helpers shared by the probe, the installer and the pages.
// Paths are walked by characters of the user's code page: on a double-byte
// one the second byte of a character may be the byte of '\' or '/'.
#include "base/files.h"
#include "base/text.h"

static int IsSeparator(const char *at)
{
    return *at == '\\' || *at == '/';
}

void TrimSeparators(char *path)
{
    char *trailing = NULL;
    for (char *p = path; *p; p = CharNextA(p))
        if (!IsSeparator(p))
            trailing = NULL;
        else if (!trailing)
            trailing = p;
    if (trailing)
        *trailing = '\0';
}

char *FindFileName(char *path)
{
    char *name = path;
    for (char *p = path; *p; p = CharNextA(p))
        if (IsSeparator(p))
            name = p + 1;
    return name;
}

int IsDirectory(const char *path)
{
    if (!path[0])
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int IsFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static char *FindChar(char *text, char c)
{
    for (; *text; text = CharNextA(text))
        if (*text == c)
            return text;
    return NULL;
}

void CreateDirectoryPath(const char *path)
{
    char work[MAX_PATH];
    // Cutting the path would create some other directory.
    if (!TextCopy(work, sizeof(work), path))
        return;

    char *cursor = work;
    for (;;) {
        // Backslashes are walked first; '/' only once none remains.
        char *sep = FindChar(cursor, '\\');
        if (!sep)
            sep = FindChar(cursor, '/');
        if (!sep)
            break;
        // No byte of a double-byte character is ':'.
        if (sep > work && sep[-1] != ':') {
            *sep = '\0';
            CreateDirectoryA(work, NULL);
        }
        *sep = '\\';
        cursor = sep + 1;
    }
    CreateDirectoryA(work, NULL);
}
