// Installing components: copies, RegSvr32.exe starts and the YVU9 driver
// entries, checked on disk, in the registry and in system.ini. Built twice:
// test_core_install95 runs as a Windows 95 family program.
#include "core_test.h"
#include "install/installer.h"

static const char NT_DRIVERS[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
static const char NT_DESCRIPTIONS[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc";
static const char W95_DRIVER[] = "System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9";
static const char DESCRIPTION[] = "Orvid\xAE video Raw YVU9 by Kalor";
static const char REGISTRY_FAILED[] = "failure to set registry entries";

static SetupComponent *Row(int row) { return &g_componentTable[row]; }

static std::string Target(int row)
{
    return SystemDir() + (Row(row)->flags & COMP_HELP_DIR ? "\\..\\help\\" : "\\") + Row(row)->fileName;
}

// The setup directory as current directory; no target of the table exists
// before or after.
struct Setup : SetupDir {
    Setup() { RemoveTargets(); }
    ~Setup() { RemoveTargets(); }
    static void RemoveTargets()
    {
        for (int row = 0; row < COMPONENT_ROWS; row++)
            if (Row(row)->fileName)
                DeleteFileA(Target(row).c_str());
    }
    void Source(int row, const char *fixture) { PlaceFixture(fixture, *this / Row(row)->fileName); }
    // The stand-in RegSvr32.exe's log, waited for up to waitMs.
    std::string Registrations(DWORD waitMs)
    {
        for (DWORD waited = 0; waited < waitMs && ReadBytes(*this / "regsvr32.log").empty(); waited += 50)
            Sleep(50);
        Sleep(300);   // room for a line still being written, or for a start that must not come
        return ReadBytes(*this / "regsvr32.log");
    }
};

static void CheckFailed(int row, DWORD result, const char *reason, bool blocked)
{
    INFO("row ", row);
    CHECK(result != 0);
    CHECK((Row(row)->reason && std::string(Row(row)->reason) == reason));
    CHECK(((Row(row)->flags & COMP_BLOCKED) != 0) == blocked);
}

TEST_CASE("install: copies and registration by RegSvr32.exe of the setup directory")
{
    Setup setup;
    PlaceFixture("RegSvr32.exe", setup / "RegSvr32.exe");
    const struct { int row; const char *source, *installed; } copies[] = {
        { ROW_SWIFT, "v1.dll", "v2.dll" }, { ROW_SWIFT_VECTRIX, "v2.dll", "v1.dll" },
        { ROW_AUDIO_CODEC, "v1.dll", NULL }, { ROW_HELP_CNT, "nover.dll", NULL } };
    for (const auto &c : copies) {
        INFO("row ", c.row);
        setup.Source(c.row, c.source);
        if (c.installed)
            PlaceFixture(c.installed, Target(c.row));
        CHECK(InstallComponent(Row(c.row)) == 0);
        CHECK(ReadBytes(Target(c.row)) == ReadBytes(FixturePath(c.source)));
        CHECK(Row(c.row)->reason == nullptr);
    }
    CHECK(InstallComponent(Row(ROW_BLANK)) == 0);

    // One start, for the audio codec: "/s " and the unquoted target path.
    std::string log = setup.Registrations(10000), tail = " /s " + Target(ROW_AUDIO_CODEC) + "\n";
    INFO("log: ", log);
    REQUIRE(log.size() > tail.size());
    CHECK(log.find("RegSvr32.exe") != std::string::npos);
    CHECK(log.compare(log.size() - tail.size(), tail.size(), tail) == 0);
    CHECK(log.find('\n') == log.size() - 1);
}

TEST_CASE("install: failed copies and no RegSvr32.exe in the setup directory")
{
    Setup setup;
    PlaceFixture("RegSvr32.exe", setup / "RegSvr32.exe");
    for (int row : { ROW_HELP_CNT, ROW_HELP_HLP, ROW_HELP_BMP })
        setup.Source(row, "nover.dll");
    CheckFailed(ROW_VIDEO_CODEC, InstallComponent(Row(ROW_VIDEO_CODEC)), "CopyFile failure", true);
    for (int row : { ROW_HELP_CNT, ROW_HELP_HLP, ROW_HELP_BMP }) {
        CHECK(InstallComponent(Row(row)) == 0);
        CHECK_FALSE(Exists(Target(row)));
    }
    CheckFailed(ROW_AUDIO_CODEC, InstallComponent(Row(ROW_AUDIO_CODEC)), "CopyFile failure", false);
    CHECK(setup.Registrations(1500).empty());

    REQUIRE(DeleteFileA((setup / "RegSvr32.exe").c_str()));
    setup.Source(ROW_AUDIO_CODEC, "v1.dll");
    CheckFailed(ROW_AUDIO_CODEC, InstallComponent(Row(ROW_AUDIO_CODEC)), "regsvr32.exe failure", false);
    CHECK(Exists(Target(ROW_AUDIO_CODEC)));
}

TEST_CASE("install: paths that do not fit")
{
    Setup setup;
    ProbeSystem();
    size_t room = MAX_PATH - 2 - SystemDir().size();
    std::string fits(room, 'f'), tooLong(room + 1, 'g'), target = SystemDir() + "\\" + tooLong;
    SetupComponent rows[] = { { fits.c_str(), "fits", NULL, COMP_COPY, NULL },
                              { tooLong.c_str(), "too long", NULL, COMP_COPY, NULL } };
    char source[MAX_PATH], built[MAX_PATH];
    CHECK(BuildComponentPaths(source, built, &rows[0], 0) == 1);
    CHECK(std::string(built) == SystemDir() + "\\" + fits);
    CHECK(std::string(source) == ".\\" + fits);
    CHECK(BuildComponentPaths(source, built, &rows[1], 0) == 0);
    CHECK((source[0] == '\0' && built[0] == '\0'));

    PlaceFixture("v1.dll", setup / tooLong);
    CHECK(InstallComponent(&rows[1]) != 0);
    CHECK_FALSE(Exists(target.substr(0, MAX_PATH - 1)));
    DeleteFileA(target.substr(0, MAX_PATH - 1).c_str());
    CHECK_FALSE(Exists(target));

    // No system directory: never the root of the current drive.
    PlaceFixture("v1.dll", setup / "fits.dll");
    SetupComponent rooted = { "fits.dll", "rooted", NULL, COMP_COPY, NULL };
    char saved[MAX_PATH];
    lstrcpynA(saved, g_systemDir, MAX_PATH);
    g_systemDir[0] = '\0';
    CHECK(BuildComponentPaths(source, built, &rooted, 0) == 0);
    CHECK(InstallComponent(&rooted) == ERROR_PATH_NOT_FOUND);
    lstrcpynA(g_systemDir, saved, MAX_PATH);
    CHECK_FALSE(Exists("\\fits.dll"));
}

// The YVU9 row's source in place, and every store it may write put back.
struct DriverEntries : Setup {
    SavedValue ntDriver{HKLM, NT_DRIVERS, "vidc.yvu9"};
    SavedValue ntDescription{HKLM, NT_DESCRIPTIONS, Target(ROW_YVU9).c_str()};
    SavedValue w95Driver{HKLM, W95_DRIVER, "Description"};
    DriverEntries()
    {
        Clear();
        Source(ROW_YVU9, "v1.dll");
    }
    ~DriverEntries() { Clear(); }
    void Clear()
    {
        ntDriver.Remove();
        ntDescription.Remove();
        RegDeleteTreeA(HKLM, W95_DRIVER);
        WritePrivateProfileStringA("drivers32", "VIDC.YVU9", NULL, "system.ini");
    }
    static std::string IniLine()
    {
        char line[MAX_PATH];
        GetPrivateProfileStringA("drivers32", "VIDC.YVU9", "", line, ARRAYSIZE(line), "system.ini");
        return line;
    }
};

static bool Windows95() { return (GetVersion() & 0x80000000u) != 0; }

TEST_CASE("install: YVU9 on Windows NT")
{
    REQUIRE_FALSE(Windows95());
    DriverEntries entries;
    CHECK(InstallComponent(Row(ROW_YVU9)) == 0);
    CheckString(HKLM, NT_DRIVERS, "vidc.yvu9", Target(ROW_YVU9));
    CheckString(HKLM, NT_DESCRIPTIONS, Target(ROW_YVU9).c_str(), DESCRIPTION);
    CHECK(DriverEntries::IniLine().empty());
    CHECK_FALSE(ValueExists(HKLM, W95_DRIVER, "Description"));

    // The second entry refused: the first stays written.
    entries.Clear();
    LockedKey locked(HKLM, NT_DESCRIPTIONS);
    CheckFailed(ROW_YVU9, InstallComponent(Row(ROW_YVU9)), REGISTRY_FAILED, false);
    CheckString(HKLM, NT_DRIVERS, "vidc.yvu9", Target(ROW_YVU9));
    CHECK_FALSE(ValueExists(HKLM, NT_DESCRIPTIONS, Target(ROW_YVU9).c_str()));
}

TEST_CASE("install: YVU9 on Windows 95")
{
    REQUIRE(Windows95());
    DriverEntries entries;
    char windows[MAX_PATH], shortPath[MAX_PATH];
    GetWindowsDirectoryA(windows, ARRAYSIZE(windows));
    HANDLE inUse = CreateFileA((std::string(windows) + "\\system.ini").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    REQUIRE(inUse != INVALID_HANDLE_VALUE);
    DWORD result = InstallComponent(Row(ROW_YVU9));
    CloseHandle(inUse);
    CHECK(result != 0);
    CHECK(Row(ROW_YVU9)->reason == nullptr);
    CHECK(DriverEntries::IniLine().empty());
    CHECK_FALSE(ValueExists(HKLM, W95_DRIVER, "Description"));

    CHECK(InstallComponent(Row(ROW_YVU9)) == 0);
    REQUIRE(GetShortPathNameA(Target(ROW_YVU9).c_str(), shortPath, ARRAYSIZE(shortPath)));
    CHECK(DriverEntries::IniLine() == shortPath);
    CHECK(StoredName(HKLM, "System\\CurrentControlSet\\control\\MediaResources\\icm", "vidc.YVU9", true) == "vidc.YVU9");
    CheckString(HKLM, W95_DRIVER, "Description", DESCRIPTION);
    CheckString(HKLM, W95_DRIVER, "Driver", Target(ROW_YVU9));
    CheckString(HKLM, W95_DRIVER, "FriendlyName", DESCRIPTION);
    CHECK_FALSE(ValueExists(HKLM, NT_DRIVERS, "vidc.yvu9"));

    entries.Clear();
    LockedKey locked(HKLM, W95_DRIVER);
    CheckFailed(ROW_YVU9, InstallComponent(Row(ROW_YVU9)), REGISTRY_FAILED, false);
    CHECK_FALSE(DriverEntries::IniLine().empty());
    CHECK_FALSE(ValueExists(HKLM, W95_DRIVER, "Description"));
}
