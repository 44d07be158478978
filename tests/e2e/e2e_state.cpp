// Arranges and checks the registry of a scenario's prefix from inside it, so
// that values are compared by their exact type, size and bytes.
//
//   e2e_state FILE
//
// FILE holds one operation a line, fields split by tabs, texts as raw
// Windows-1252 bytes; "%SYS%" stands for the system directory, a value name
// "@" for the default value:
//   set     KEY NAME TEXT     write a REG_SZ value (keys created as needed)
//   delkey  KEY               remove a key with all below it
//   sz      KEY NAME TEXT     expect a REG_SZ value of exactly TEXT and its zero
//   novalue KEY NAME          expect no such value
//   nokey   KEY               expect no such key
//   show    KEY [NAME]        print the key's string values (or only NAME) and
//                             those of its subkeys, in UTF-8
// KEY starts with HKLM\, HKCU\ or HKCR\. The exit code counts the failures.
#include <windows.h>
#include <shlwapi.h>
#include <strsafe.h>
#include <stdio.h>
#include <string.h>
#include "tests/driver/pagedriver.h"

namespace {

const size_t FIELD_CHARS = 1024;
const int MAX_FIELDS = 4;

const struct {
    const char *prefix;
    HKEY key;
} g_roots[] = {
    {"HKLM\\", HKEY_LOCAL_MACHINE},
    {"HKCU\\", HKEY_CURRENT_USER},
    {"HKCR\\", HKEY_CLASSES_ROOT},
};

char g_systemDir[MAX_PATH];

// Copies a field into out, with "%SYS%" replaced; 0 when it does not fit.
int Expand(const char *field, char *out, size_t size)
{
    const char token[] = "%SYS%";
    out[0] = 0;
    for (const char *p = field; *p;) {
        int isToken = strncmp(p, token, sizeof(token) - 1) == 0;
        char one[2] = {*p, 0};
        if (FAILED(StringCchCatA(out, size, isToken ? g_systemDir : one)))
            return 0;
        p += isToken ? sizeof(token) - 1 : 1;
    }
    return 1;
}

const char *ValueName(const char *name)
{
    return strcmp(name, "@") == 0 ? NULL : name;
}

void PrintBytes(const char *label, const BYTE *data, DWORD size)
{
    printf("  %s (%lu bytes):", label, (unsigned long)size);
    for (DWORD i = 0; i < size && i < 300; i++)
        printf(" %02x", data[i]);
    printf("\n");
}

void PrintUtf8(const char *text)
{
    static char utf8[FIELD_CHARS * 3];
    fputs(ToUtf8(text, utf8, sizeof(utf8)), stdout);
}

// The operations; name and text are null where the line has none.

int SetString(HKEY root, const char *subKey, const char *name, const char *text)
{
    HKEY key;
    if (RegCreateKeyExA(root, subKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS) {
        printf("FAIL cannot create %s\n", subKey);
        return 0;
    }
    LONG status = RegSetValueExA(key, ValueName(name), 0, REG_SZ, (const BYTE *)text,
                                 (DWORD)strlen(text) + 1);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        printf("FAIL cannot set %s [%s]\n", subKey, name);
    return status == ERROR_SUCCESS;
}

int DeleteTree(HKEY root, const char *subKey, const char *, const char *)
{
    DWORD status = SHDeleteKeyA(root, subKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        printf("FAIL cannot delete %s (status %lu)\n", subKey, (unsigned long)status);
        return 0;
    }
    return 1;
}

int CheckString(HKEY root, const char *subKey, const char *name, const char *text)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        printf("FAIL key %s missing\n", subKey);
        return 0;
    }
    static BYTE data[4096];
    // Poisoned, so that bytes the query did not write cannot pass.
    memset(data, 0xCC, sizeof(data));
    DWORD type = 0, size = sizeof(data);
    LONG status = RegQueryValueExA(key, ValueName(name), NULL, &type, data, &size);
    RegCloseKey(key);
    DWORD expectedSize = (DWORD)strlen(text) + 1;
    if (status != ERROR_SUCCESS) {
        printf("FAIL %s [%s] missing (status %ld)\n", subKey, name, status);
        return 0;
    }
    if (type != REG_SZ || size != expectedSize || memcmp(data, text, expectedSize) != 0) {
        printf("FAIL %s [%s]: type %lu, expected REG_SZ\n", subKey, name, (unsigned long)type);
        PrintBytes("expected", (const BYTE *)text, expectedSize);
        PrintBytes("actual", data, size);
        return 0;
    }
    return 1;
}

int CheckNoValue(HKEY root, const char *subKey, const char *name, const char *)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 1;
    LONG status = RegQueryValueExA(key, ValueName(name), NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS)
        printf("FAIL %s [%s] exists\n", subKey, name);
    return status != ERROR_SUCCESS;
}

int CheckNoKey(HKEY root, const char *subKey, const char *, const char *)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 1;
    RegCloseKey(key);
    printf("FAIL key %s exists\n", subKey);
    return 0;
}

// The key's string values (or only the one named only), then its subkeys' while depth > 0.
void ShowKey(HKEY root, const char *subKey, const char *only, int depth)
{
    HKEY key;
    printf("  ");
    PrintUtf8(subKey);
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        printf(": none\n");
        return;
    }
    printf("\n");
    for (DWORD i = 0;; i++) {
        static char name[FIELD_CHARS];
        static BYTE data[FIELD_CHARS];
        DWORD nameSize = sizeof(name), type = 0, dataSize = sizeof(data) - 1;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        if (type != REG_SZ || (only && lstrcmpiA(name, only) != 0))
            continue;
        data[dataSize] = 0;     // stored values may lack their terminator
        printf("    ");
        PrintUtf8(name[0] ? name : "(default)");
        printf(" = ");
        PrintUtf8((const char *)data);
        printf("\n");
    }
    for (DWORD i = 0; depth > 0; i++) {
        char child[256], path[FIELD_CHARS];
        DWORD childSize = sizeof(child);
        if (RegEnumKeyExA(key, i, child, &childSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        if (SUCCEEDED(StringCchPrintfA(path, ARRAYSIZE(path), "%s\\%s", subKey, child)))
            ShowKey(root, path, only, depth - 1);
    }
    RegCloseKey(key);
}

int Show(HKEY root, const char *subKey, const char *name, const char *)
{
    ShowKey(root, subKey, name, name ? 0 : 1);
    return 1;
}

const struct {
    const char *name;
    int fields;         // the operation and the key included
    int (*run)(HKEY root, const char *subKey, const char *name, const char *text);
} g_operations[] = {
    {"set", 4, SetString},
    {"delkey", 2, DeleteTree},
    {"sz", 4, CheckString},
    {"novalue", 3, CheckNoValue},
    {"nokey", 2, CheckNoKey},
    {"show", 2, Show},
    {"show", 3, Show},
};

// One line of the file; 1 when it holds.
int RunLine(char *line, int number)
{
    static char fields[MAX_FIELDS][FIELD_CHARS];
    int count = 0;
    for (char *field = line; field && count < MAX_FIELDS; count++) {
        char *tab = strchr(field, '\t');
        if (tab)
            *tab = 0;
        if (!Expand(field, fields[count], FIELD_CHARS)) {
            printf("FAIL line %d: field too long\n", number);
            return 0;
        }
        field = tab ? tab + 1 : NULL;
    }
    for (size_t r = 0; count >= 2 && r < ARRAYSIZE(g_roots); r++) {
        size_t length = strlen(g_roots[r].prefix);
        if (strncmp(fields[1], g_roots[r].prefix, length) != 0)
            continue;
        for (size_t i = 0; i < ARRAYSIZE(g_operations); i++)
            if (strcmp(fields[0], g_operations[i].name) == 0 && count == g_operations[i].fields)
                return g_operations[i].run(g_roots[r].key, fields[1] + length,
                                           count > 2 ? fields[2] : NULL, count > 3 ? fields[3] : NULL);
    }
    printf("FAIL line %d: bad operation %s\n", number, fields[0]);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: e2e_state FILE\n");
        return 255;
    }
    UINT length = GetSystemDirectoryA(g_systemDir, ARRAYSIZE(g_systemDir));
    FILE *file = length && length < ARRAYSIZE(g_systemDir) ? fopen(argv[1], "rb") : NULL;
    if (!file) {
        fprintf(stderr, "e2e_state: cannot read %s\n", argv[1]);
        return 255;
    }
    static char line[4 * FIELD_CHARS];
    int failures = 0, number = 0;
    while (fgets(line, sizeof(line), file)) {
        number++;
        line[strcspn(line, "\r\n")] = 0;
        if (line[0] && line[0] != '#' && !RunLine(line, number))
            failures++;
    }
    fclose(file);
    return failures;
}
