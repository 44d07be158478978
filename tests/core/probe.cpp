// The one-time system probe and the version reader, one process per case.
#include "core_test.h"
#include "catalog/probe.h"

static std::vector<std::string> AppPathDirs()
{
    std::vector<std::string> dirs;
    REQUIRE(g_appPathDirs != nullptr);
    for (char **dir = g_appPathDirs; *dir; dir++)
        dirs.push_back(*dir);
    return dirs;
}

TEST_CASE("probe: help directory")
{
    ProbeSystem();
    CHECK(std::string(g_systemDir) == SystemDir());
    CHECK(std::string(g_helpDir) == SystemDir() + "\\..\\help");
}

TEST_CASE("probe: no help directory")
{
    std::string help = SystemDir() + "\\..\\help", away = help + "-orvid-test";
    REQUIRE(MoveFileA(help.c_str(), away.c_str()));
    ProbeSystem();
    MoveFileA(away.c_str(), help.c_str());
    CHECK(std::string(g_helpDir) == SystemDir());
}

TEST_CASE("probe: App Paths list")
{
    Machine machine;
    std::string dir = machine.Ie("ie5.0.0.0.exe"), upper = dir;
    CharUpperA(&upper[0]);
    machine.AppPath(dir + "\\;" + upper + ";;" + (machine.root / "missing"));
    ProbeSystem();
    CHECK(AppPathDirs() == std::vector<std::string>{ dir });
    CHECK(g_ie4Installed == 1);
}

TEST_CASE("probe: App Paths list of many directories")
{
    // Past the first capacity of ten and its doubling to twenty.
    Machine machine;
    std::vector<std::string> dirs;
    std::string path;
    for (int i = 0; i < 25; i++) {
        dirs.push_back(machine.root / ("dir" + std::to_string(i)));
        REQUIRE(CreateDirectoryA(dirs.back().c_str(), NULL));
        path += dirs.back() + ";";
    }
    machine.AppPath(path);
    ProbeSystem();
    CHECK(AppPathDirs() == dirs);
}

TEST_CASE("probe: App Paths value of another type without terminator")
{
    Machine machine;
    std::string dir = machine.Ie("ie5.0.0.0.exe");
    SetValue(HKLM, APP_PATHS, "Path", REG_BINARY, dir.data(), (DWORD)dir.size());
    ProbeSystem();
    CHECK(AppPathDirs() == std::vector<std::string>{ dir });
    CHECK(g_ie4Installed == 1);
}

static void ProbeIe(std::vector<const char *> fixtures, int expected)
{
    Machine machine;
    std::string path;
    for (const char *fixture : fixtures)
        path += machine.Ie(fixture) + ";";
    machine.AppPath(path);
    ProbeSystem();
    CHECK(AppPathDirs().size() == fixtures.size());
    CHECK(g_ie4Installed == expected);
}

TEST_CASE("probe: ie 4.71.913.3") { ProbeIe({ "ie4.71.913.3.exe" }, 0); }
TEST_CASE("probe: ie 4.71.913.4") { ProbeIe({ "ie4.71.913.4.exe" }, 1); }
TEST_CASE("probe: ie 4.71.914.0") { ProbeIe({ "ie4.71.914.0.exe" }, 1); }
TEST_CASE("probe: ie 5.0.0.0") { ProbeIe({ "ie5.0.0.0.exe" }, 1); }
TEST_CASE("probe: ie old then new") { ProbeIe({ "ie4.71.913.3.exe", "ie4.71.913.4.exe" }, 1); }
TEST_CASE("probe: ie new then old") { ProbeIe({ "ie4.71.913.4.exe", "ie4.71.913.3.exe" }, 1); }

TEST_CASE("probe: ie path beyond the limit")
{
    Machine machine;
    // "%s\iexplore.exe" of MAX_PATH characters: one too many.
    std::string dir = machine.root / std::string(MAX_PATH - machine.root.path.size() - 14, 'i');
    std::string fixture = FixturePath("ie5.0.0.0.exe"), target = dir + "\\iexplore.exe";
    REQUIRE(CreateDirectoryA(dir.c_str(), NULL));
    REQUIRE(CopyFileW(std::wstring(fixture.begin(), fixture.end()).c_str(),
                      (L"\\\\?\\" + std::wstring(target.begin(), target.end())).c_str(), FALSE));
    machine.AppPath(dir);
    ProbeSystem();
    CHECK(AppPathDirs().size() == 1);
    CHECK(g_ie4Installed == 0);
}

static void ProbeDirectShow(const char *fixture, int expected)
{
    Machine machine;
    machine.DirectShow(fixture);
    ProbeSystem();
    CHECK(g_directShowInstalled == expected);
    CHECK(g_ie4Installed == 0);
}

TEST_CASE("probe: DirectShow") { ProbeDirectShow("ds_exact.dll", 1); }
TEST_CASE("probe: directshow in lower case") { ProbeDirectShow("ds_lower.dll", 0); }
TEST_CASE("probe: DirectShow with a trailing blank") { ProbeDirectShow("ds_blank.dll", 0); }
TEST_CASE("probe: DirectShow in another language") { ProbeDirectShow("ds_german.dll", 0); }

TEST_CASE("probe: DirectShow server value of 260 bytes without terminator")
{
    // The bytes are the path as they are; a read past them would name no file.
    Machine machine;
    std::string path = machine.root.path;
    while (MAX_PATH - path.size() > 8)
        path += "\\.";
    path += MAX_PATH - path.size() == 7 ? "\\ds.dll" : "\\dsx.dll";
    REQUIRE(path.size() == MAX_PATH);
    PlaceFixture("ds_exact.dll", path);
    SetValue(HKEY_CLASSES_ROOT, DSHOW_SERVER, NULL, REG_BINARY, path.data(), MAX_PATH);
    ProbeSystem();
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
