// Registry and file-system helpers against the prefix's registry and disk.
#include "core_test.h"
#include "install/regfile.h"
#include <algorithm>

static const char TEST_KEY[] = "Software\\Orvid Test";
static const char VALUES[] = "Software\\Orvid Test\\Values";

TEST_CASE("registry read and write")
{
    SavedValue guard(HKLM, TEST_KEY, NULL);
    REQUIRE(!guard.createdKey.empty());
    SetString(HKLM, VALUES, "Name", "abcdef");
    SetString(HKLM, VALUES, NULL, "default");

    DWORD size = 0;
    CHECK(ReadRegistryValue(VALUES, "Name", NULL, &size, HKLM) == 1);
    CHECK(size == 7);
    char data[16] = "xxxxxxxxxxxxxxx";
    size = 6;
    CHECK(ReadRegistryValue(VALUES, "Name", (BYTE *)data, &size, HKLM) == 0);
    size = 7;
    CHECK(ReadRegistryValue(VALUES, "Name", (BYTE *)data, &size, HKLM) == 1);
    CHECK(std::string(data, 8) == std::string("abcdef\0x", 8));
    size = sizeof(data);
    CHECK(ReadRegistryValue(VALUES, NULL, (BYTE *)data, &size, HKLM) == 1);
    CHECK(std::string(data, size) == std::string("default", 8));
    CHECK(ReadRegistryValue(VALUES, "Missing", NULL, &size, HKLM) == 0);
    CHECK(ReadRegistryValue("Software\\Orvid Test\\Missing", "Name", NULL, &size, HKLM) == 0);

    CHECK(WriteRegistryString("Software\\Orvid Test\\a\\b\\c", "Value", "abc", HKLM) == 1);
    CheckString(HKLM, "Software\\Orvid Test\\a\\b\\c", "Value", "abc");

    // Opened for full access, a key the user may only read counts as missing.
    LockedKey locked(HKLM, VALUES);
    CHECK(ReadRegistryValue(VALUES, "Name", NULL, &size, HKLM) == 0);
    CHECK(WriteRegistryString(VALUES, "Other", "abc", HKLM) == 0);
    CHECK_FALSE(ValueExists(HKLM, VALUES, "Other"));
}

TEST_CASE("IsDirectory")
{
    ScratchDir dir("isdir");
    PlaceFixture("v1.dll", dir / "file.dll");
    char path[MAX_PATH];
    for (const char *separators : { "\\\\", "/\\/" }) {
        lstrcpynA(path, (dir.path + separators).c_str(), sizeof(path));
        CHECK(IsDirectory(path) == 1);
        CHECK(std::string(path) == dir.path);
    }
    for (const std::string &text : { dir / "file.dll", dir / "file.dll\\", dir / "missing", std::string(), std::string("\\\\//") }) {
        INFO("path: ", text);
        lstrcpynA(path, text.c_str(), sizeof(path));
        CHECK(IsDirectory(path) == 0);
    }
    CHECK(path[0] == '\0');
}

TEST_CASE("CreateDirectoryPath")
{
    ScratchDir dir("mkdir");
    std::string slashes = dir.path + "/s1/s2";
    for (char &c : slashes)
        c = c == '\\' ? '/' : c;
    for (const std::string &path : { dir / "a\\b\\c", dir / "t\\u\\", slashes })
        CreateDirectoryPath(path.c_str());
    CHECK(IsDir(dir / "a\\b\\c"));
    CHECK(IsDir(dir / "t\\u"));
    CHECK(IsDir(dir / "s1\\s2"));

    // Backslashes first: the first prefix is x\m/n, so m alone is never made.
    CreateDirectoryPath((dir / "x\\m/n\\o").c_str());
    CHECK(IsDir(dir / "x"));
    CHECK_FALSE(Exists(dir / "x\\m"));

    std::string level = dir / std::string(120, 'a');
    std::string fits = level + "\\" + std::string(MAX_PATH - 2 - level.size(), 'b');
    CreateDirectoryPath(fits.c_str());
    CHECK(IsDir(fits));
    // Longer paths are refused or made whole, never made cut.
    std::string deep = level + "\\" + std::string(MAX_PATH - 1 - level.size(), 'c');
    while (deep.size() < 1023)
        deep += "\\" + std::string(std::min<size_t>(100, 1022 - deep.size()), 'd');
    CreateDirectoryPath(deep.c_str());
    CHECK_FALSE(Exists(deep.substr(0, MAX_PATH - 1)));
}
