// File-system helpers on the system's file attributes.
#include "base/files.h"
#include "base/text.h"

void TrimSeparators(char *path)
{
    int len = lstrlenA(path);
    while (len > 0 && (path[len - 1] == '\\' || path[len - 1] == '/'))
        path[--len] = '\0';
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
    for (; *text; text++)
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
        if (sep > work && sep[-1] != ':') {
            *sep = '\0';
            CreateDirectoryA(work, NULL);
        }
        *sep = '\\';
        cursor = sep + 1;
    }
    CreateDirectoryA(work, NULL);
}
