// The system probe and the version reader.
#include "core_test.h"

static std::vector<std::string> Dirs(char **list)
{
    std::vector<std::string> dirs;
    for (char **dir = list; dir && *dir; dir++)
        dirs.push_back(*dir);
    return dirs;
}

TEST_CASE("probe: help directory")
{
    std::string help = SystemDir() + "\\..\\help", away = help + "-orvid-test";
    ProbeSystem();
    CHECK(std::string(g_systemDir) == SystemDir());
    CHECK(std::string(g_helpDir) == help);
    REQUIRE(MoveFileA(help.c_str(), away.c_str()));
    Reprobe();
    MoveFileA(away.c_str(), help.c_str());
    CHECK(std::string(g_helpDir) == SystemDir());
}

TEST_CASE("probe: App Paths list")
{
    Machine machine;
    std::vector<std::string> many;
    std::string manyText;
    for (int i = 0; i < 25; i++) {   // past the first capacity of ten and its doubling
        many.push_back(machine.root / ("dir" + std::to_string(i)));
        REQUIRE(CreateDirectoryA(many.back().c_str(), NULL));
        manyText += many.back() + ";";
    }
    std::string dir = many[0], upper = dir;
    CharUpperA(&upper[0]);
    const struct { DWORD type; std::string text; DWORD size; std::vector<std::string> dirs; } cases[] = {
        { REG_SZ, dir + "\\;" + upper + ";;" + (machine.root / "missing"), 0, { dir } },
        { REG_BINARY, dir, (DWORD)dir.size(), { dir } },   // no terminator
        { REG_SZ, manyText, 0, many },
    };
    for (const auto &c : cases) {
        INFO("Path: ", c.text);
        SetValue(HKLM, APP_PATHS, "Path", c.type, c.text.c_str(), c.size ? c.size : (DWORD)c.text.size() + 1);
        char **list = nullptr;
        GetAppPathDirs("iexplore.exe", &list);
        CHECK(Dirs(list) == c.dirs);
    }
}

TEST_CASE("probe: Internet Explorer 4")
{
    const struct { std::vector<const char *> fixtures; int ie4; } cases[] = {
        { { "ie4.71.913.3.exe" }, 0 }, { { "ie4.71.913.4.exe" }, 1 },
        { { "ie4.71.914.0.exe" }, 1 }, { { "ie5.0.0.0.exe" }, 1 },
        { { "ie4.71.913.3.exe", "ie4.71.913.4.exe" }, 1 }, { { "ie4.71.913.4.exe", "ie4.71.913.3.exe" }, 1 },
    };
    for (const auto &c : cases) {
        INFO(c.fixtures.front(), " first of ", c.fixtures.size());
        Machine machine;
        std::string path;
        for (const char *fixture : c.fixtures)
            path += machine.Ie(fixture) + ";";
        machine.AppPath(path);
        Reprobe();
        CHECK(Dirs(g_appPathDirs).size() == c.fixtures.size());
        CHECK(g_ie4Installed == c.ie4);
    }
    // "%s\iexplore.exe" of MAX_PATH characters: one too many.
    Machine machine;
    std::string dir = machine.root / std::string(MAX_PATH - machine.root.path.size() - 14, 'i');
    std::string fixture = FixturePath("ie5.0.0.0.exe"), target = dir + "\\iexplore.exe";
    REQUIRE(CreateDirectoryA(dir.c_str(), NULL));
    REQUIRE(CopyFileW(std::wstring(fixture.begin(), fixture.end()).c_str(),
                      (L"\\\\?\\" + std::wstring(target.begin(), target.end())).c_str(), FALSE));
    machine.AppPath(dir);
    Reprobe();
    CHECK(Dirs(g_appPathDirs).size() == 1);
    CHECK(g_ie4Installed == 0);
}

TEST_CASE("probe: DirectShow product name")
{
    const struct { const char *fixture; int found; } cases[] = {
        { "ds_exact.dll", 1 }, { "ds_lower.dll", 0 }, { "ds_blank.dll", 0 }, { "ds_german.dll", 0 } };
    for (const auto &c : cases) {
        INFO(c.fixture);
        Machine machine;
        machine.DirectShow(c.fixture);
        Reprobe();
        CHECK(g_directShowInstalled == c.found);
    }
    // A server value of 260 bytes without terminator: a read past them would name no file.
    Machine machine;
    std::string path = machine.root.path;
    while (MAX_PATH - path.size() > 8)
        path += "\\.";
    path += MAX_PATH - path.size() == 7 ? "\\ds.dll" : "\\dsx.dll";
    REQUIRE(path.size() == MAX_PATH);
    PlaceFixture("ds_exact.dll", path);
    SetValue(HKEY_CLASSES_ROOT, DSHOW_SERVER, NULL, REG_BINARY, path.data(), MAX_PATH);
    Reprobe();
    CHECK(g_directShowInstalled == 1);
}

TEST_CASE("probe: a second call changes nothing")
{
    Machine machine;
    ProbeSystem();
    REQUIRE((g_probeDone == 1 && g_ie4Installed == 0 && g_directShowInstalled == 0));
    machine.AppPath(machine.Ie("ie5.0.0.0.exe"));
    machine.DirectShow("ds_exact.dll");
    ProbeSystem();
    CHECK((g_ie4Installed == 0 && g_directShowInstalled == 0 && g_appPathDirs == nullptr));
}

TEST_CASE("versions")
{
    FileVersion a = { 1, 2, 3, 4 }, b = { 1, 2, 3, 4 }, c = { 1, 3, 0, 0 }, d = { 1, 2, 9, 9 };
    FileVersion high = { 0, 0, 0, 65535 }, zero = { 0, 0, 0, 0 };
    CHECK(CompareVersions(&a, &b) == 0);
    CHECK(CompareVersions(&c, &d) > 0);
    CHECK(CompareVersions(&d, &c) < 0);
    CHECK(CompareVersions(&high, &zero) == 65535);

    // v1 carries the newer file version; the product version is what counts.
    FileVersion version;
    CHECK(QueryFileVersion(FixturePath("v1.dll").c_str(), &version, NULL, NULL) == 1);
    CHECK((version.major == 1 && version.minor == 0 && version.build == 0 && version.revision == 0));
    for (const char *fixture : { "nover.dll", "truncated.dll", "missing.dll" }) {
        INFO(fixture);
        CHECK(QueryFileVersion(FixturePath(fixture).c_str(), &version, NULL, NULL) == 0);
    }
    const char *name = NULL;
    UINT length = 0;
    CHECK(QueryFileVersion(FixturePath("ds_blank.dll").c_str(), NULL, &name, &length) == 1);
    CHECK((name && std::string(name) == "DirectShow "));
    CHECK(QueryFileVersion(FixturePath("v1.dll").c_str(), NULL, NULL, NULL) == 0);

    // The buffer grows to the large resource and is then reused.
    DWORD smallSize = g_versionInfoSize;
    REQUIRE(QueryFileVersion(FixturePath("large.dll").c_str(), &version, NULL, NULL) == 1);
    CHECK((version.major == 3 && version.revision == 1));
    DWORD largeSize = g_versionInfoSize;
    BYTE *buffer = g_versionInfo;
    CHECK(largeSize > smallSize);
    REQUIRE(QueryFileVersion(FixturePath("v2.dll").c_str(), &version, NULL, NULL) == 1);
    CHECK(version.major == 2);
    CHECK((g_versionInfoSize == largeSize && g_versionInfo == buffer));
}
