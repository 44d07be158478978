// Tables of the bottom layer, the catalog and the installer, run against the
// real registry, files and version library of the Wine prefix.
#include "unit.h"
#include <shellapi.h>
#include <map>
#include <vector>
#include "base/files.h"
#include "base/text.h"
#include "catalog/plan.h"
#include "install/installer.h"
#include "ui/version.h"

// What the probe keeps to itself: the buffer that every version read shares
// (null before the first), and its size.
const BYTE *GetVersionBuffer(DWORD *size);
static const char APP_PATHS[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";
static const char DSHOW_SERVER[] = "CLSID\\{05589FA1-C356-11CE-BF01-00AA0055595A}\\InprocServer32";

TEST_CASE("bounded text is cut at the destination's size, terminated, and says so")
{
    struct Row { size_t size; const char *start, *text; int fit; const char *result; } rows[] = {
        {6, "", "abcde", 1, "abcde"},       // exactly fills
        {6, "", "abcdef", 0, "abcde"},      // one too many
        {6, "ab", "cde", 1, "abcde"},
        {6, "ab", "cdef", 0, "abcde"},
        {3, "abc", "d", 0, "abc"},          // already over: left alone
    };
    for (const Row &r : rows) {
        char buffer[8] = "";
        memset(buffer, '#', sizeof(buffer));
        lstrcpyA(buffer, r.start);
        // Nothing from buffer[size] on is written.
        const string past(buffer + r.size, sizeof(buffer) - r.size);
        CHECK(TextAppend(buffer, r.size, r.text) == r.fit);
        CHECK(string(buffer) == r.result);
        CHECK(string(buffer + r.size, sizeof(buffer) - r.size) == past);
    }
    // The system's formatter fills at most 1024 bytes: 1022 characters surely
    // fit, and 1024 were cut, whatever it answers.
    char buffer[1100];
    for (size_t length : {1022u, 1024u}) {
        const string text(length, 'x');
        CHECK(TextFormat(buffer, sizeof(buffer), "%s", text.c_str()) == (length < 1024));
        CHECK(string(buffer) == (length < 1024 ? text : ""));
    }
    CHECK(!TextFormat(buffer, 10, "%s-%d", "abcdefgh", 42));
    CHECK(string(buffer) == "abcdefgh-");
}

// Run with Wine's version library, and (ORVID_VERSIONS) with the stand-ins for
// those of Windows 98 (the block in the 16-bit layout, the bare resource size
// reported) and NT 4.0 (one and a half times the resource, texts copied past it).
static const string LONG_NAME(6000, 'x');

TEST_CASE("a version is the product version of a sound version block, on every system")
{
    char system[8] = "";
    GetEnvironmentVariableA("ORVID_VERSIONS", system, sizeof(system));
    const int on = string(system) == "98" ? 1 : string(system) == "nt4" ? 2 : 0;
    // The library that the probe loaded, asked again what it hands out from a
    // block that the probe read: all of it lies inside the probe's own buffer.
    auto query = (decltype(&VerQueryValueA))(void *)GetProcAddress(LoadLibraryA("version.dll"), "VerQueryValueA");
    // Product version and product name read, on Wine, 98, NT 4.0. The buffer
    // only grows: the blocks that claim more than they hold come before the large one.
    struct Row {
        const char *file; int ok[3]; FileVersion version; int named[3]; const char *name = "Orvid test fixture";
    } rows[] = {
        {"v1.dll", {1, 1, 1}, {1, 0, 0, 0}, {1, 1, 1}},  // the file version, 9.0.0.0, is not read
        {"v2.dll", {1, 1, 1}, {2, 0, 0, 0}, {1, 1, 1}},
        {"nover.dll", {0, 0, 0}, {}, {0, 0, 0}},
        {"short16.dll", {0, 0, 0}, {}, {0, 0, 0}},       // declares 16 bytes, holds 52
        {"cut52.dll", {0, 0, 0}, {}, {0, 0, 0}},         // claims 52 bytes where the block holds 20
        {"badsig.dll", {0, 0, 0}, {}, {0, 0, 0}},
        // Outer lengths beyond the resource: far, or 200 bytes (within what
        // Wine reads, not what NT 4.0 reads); Wine copies the name past both.
        {"ffff.dll", {0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0}, "DirectShow"},
        {"over200.dll", {1, 1, 0}, {1, 0, 0, 0}, {0, 1, 0}, "DirectShow"},
        // The outer length at the size Wine reports, one more, less than a header.
        {"at_size.dll", {1, 1, 0}, {1, 0, 0, 0}, {0, 1, 0}},
        {"past_size.dll", {0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0}},
        {"tiny.dll", {0, 0, 0}, {}, {0, 0, 0}},
        {"large.dll", {1, 1, 1}, {3, 1, 4, 1}, {1, 1, 1}, LONG_NAME.c_str()},
        {"missing.dll", {0, 0, 0}, {}, {0, 0, 0}},
        {"..\\demo-medium\\setup.exe", {1, 1, 1}, {PRODUCT_VERSION}, {1, 1, 1}, PRODUCT_NAME},  // as built
    };
    for (const Row &r : rows) {
        INFO(string(r.file), " on ", on);
        FileVersion version = {7, 7, 7, 7};
        CHECK(QueryProductVersion(Fixture(r.file).c_str(), &version) == r.ok[on]);
        if (r.ok[on])
            CHECK(CompareVersions(&version, &r.version) == 0);
        const char *name = NULL;
        UINT length = 7;
        CHECK(QueryProductName(Fixture(r.file).c_str(), &name, &length) == r.named[on]);
        CHECK(string(name ? name : "", name ? length - 1 : 0) == (r.named[on] ? r.name : ""));
        DWORD size = 0;
        const BYTE *buffer = GetVersionBuffer(&size), *value = NULL;
        for (const char *path : {"\\", "\\StringFileInfo\\040904E4\\ProductName"})
            if ((r.ok[on] || r.named[on]) && query(buffer, path, (void **)&value, &length))
                CHECK((value >= buffer && length <= size && (DWORD)(value - buffer) <= size - length));
    }
}

TEST_CASE("the App Paths list and the browser threshold")
{
    Scratch s("appdirs");
    TestKey appPaths(HKEY_LOCAL_MACHINE, APP_PATHS, "Path");
    const string dirs[] = {s / "a", s / "b"};
    for (const string &dir : dirs)
        CreateDirectoryA(dir.c_str(), NULL);
    SetEnvironmentVariableA("ORVID_B", dirs[1].c_str());
    CopyFileA(Fixture("ie_old.exe").c_str(), (dirs[0] + "\\iexplore.exe").c_str(), FALSE);
    CopyFileA(Fixture("ie_min.exe").c_str(), (dirs[1] + "\\iexplore.exe").c_str(), FALSE);
    string otherCase = dirs[0];
    CharUpperA(&otherCase[0]);

    struct Row { DWORD type; string value; int ie4; } rows[] = {
        // The same directory in other case, an empty element and a missing
        // directory are passed over; 4.71.913.3 is too old.
        {REG_SZ, dirs[0] + "\\;" + otherCase + ";;" + s / "nope", 0},
        {REG_SZ, dirs[1] + "\\\\", 1},                 // 4.71.913.4 counts
        {REG_SZ, s / "nope;" + otherCase + ";" + dirs[1], 1},   // every directory is tried
        {REG_SZ, dirs[1] + ";" + dirs[0], 1},           // whatever the order
        {REG_BINARY, dirs[1], 1},                       // any type: its bytes,
        {REG_EXPAND_SZ, dirs[1], 1},                    // here without a terminator,
        {REG_EXPAND_SZ, "%ORVID_B%", 0},                // taken as they stand
        {REG_SZ, "", 0},
    };
    for (Row &r : rows) {
        INFO(r.type, " ", r.value);
        appPaths.Set(r.type, r.type == REG_SZ ? r.value + '\0' : r.value);
        SystemProbe probe;
        ProbeDirectories(&probe);
        ProbePrerequisites(&probe);
        CHECK(probe.ie4Installed == r.ie4);
    }
}

TEST_CASE("DirectShow is a server file named exactly so, from a key that may be changed")
{
    struct Row { string server; int locked, installed; } rows[] = {
        {Fixture("ds_exact.dll"), 0, 1},
        {Fixture("ds_lower.dll"), 0, 0},
        {Fixture("ds_blank.dll"), 0, 0},
        {Fixture("ds_german.dll"), 0, 0},
        {string(260, 'x'), 0, 0},           // 260 bytes, no terminator
        {Fixture("ds_exact.dll"), 1, 0},    // a key the user may not change is missing
    };
    for (const Row &r : rows) {
        INFO(r.server, r.locked);
        TestKey key(HKEY_CLASSES_ROOT, DSHOW_SERVER);
        key.Set(REG_SZ, r.server);
        if (r.locked)
            key.Lock();
        SystemProbe probe;
        ProbeDirectories(&probe);
        ProbePrerequisites(&probe);
        CHECK(probe.directShowInstalled == r.installed);
    }
}

TEST_CASE("planning keeps newer or versioned installed files and blocks their dependents")
{
    // An older product with a higher file version is replaced: the end-to-end
    // rows that install an older codec.
    struct Row { const char *installed, *offered; int ie4; const char *codecReason; int helpInstalled; } rows[] = {
        {NULL, "v1.dll", 1, NULL, 1},
        {"v2.dll", "v1.dll", 1, REASON_NEWER_INSTALLED, 0},
        {"v1.dll", "", 1, REASON_NEWER_INSTALLED, 0},   // an empty copy on a damaged medium
        {"v1.dll", NULL, 1, NULL, 1},                   // no copy: left to fail as it is copied
        {"nover.dll", "v1.dll", 1, NULL, 1},
        {"v1.dll", "v1.dll", 0, NULL, 1},
    };
    for (const Row &r : rows) {
        INFO(r.installed, " <- ", r.offered);
        Scratch sys("sys"), medium("medium");
        SetCurrentDirectoryA(medium.path.c_str());
        SetupComponent table[] = {
            {"codec.dll", "codec", NULL, COMP_CHECK_VERSION | COMP_COPY | COMP_BLOCKS_DEPENDENTS, NULL},
            {"help.hlp", NULL, NULL, COMP_COPY | COMP_HELP_DIR | COMP_NEEDS_PARENT, &table[0]},
            {"filter.ax", "filter", NULL, COMP_NEEDS_IE4_OR_DSHOW | COMP_NEEDS_WININET | COMP_BLOCKS_DEPENDENTS, NULL},
            {"filter.hlp", NULL, NULL, COMP_COPY | COMP_NEEDS_PARENT, &table[2]},
            {NULL, NULL, NULL, 0, NULL},
        };
        if (r.installed)
            CopyFileA(Fixture(r.installed).c_str(), (sys / "codec.dll").c_str(), FALSE);
        if (r.offered && *r.offered)
            CopyFileA(Fixture(r.offered).c_str(), (medium / "codec.dll").c_str(), FALSE);
        else if (r.offered)
            WriteBytes(medium / "codec.dll", "");
        SystemProbe probe = ProbeOf(sys.path, sys.path, r.ie4);
        ComponentPlan plan;
        PlanComponents(&probe, table, &plan);
        CHECK(table[0].reason == r.codecReason);
        CHECK((plan.skipList[0] == &table[0]) == (r.codecReason != NULL));
        int helpListed = 0, filterHelpListed = 0;
        for (SetupComponent **row = plan.installList; *row; row++) {
            helpListed |= *row == &table[1];
            filterHelpListed |= *row == &table[3];
        }
        CHECK(helpListed == r.helpInstalled);
        // The filter's prerequisites; wininet comes from the system directory.
        // A missing one skips the filter, and never blocks its dependents.
        CHECK(table[2].reason == (r.ie4 ? NULL : REASON_NO_IE4_OR_DSHOW));
        CHECK(filterHelpListed);
        SetCurrentDirectoryA("C:\\");
    }
}

// One component installed into a scratch system directory from a scratch medium.
TEST_CASE("installing one component: copy, registration, paths that do not fit")
{
    const DWORD copy = COMP_COPY | COMP_BLOCKS_DEPENDENTS;
    // The Windows 95 family, with no replacing move, fails to rename onto the folder.
    const DWORD onFolder = (GetVersion() & 0x80000000) ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED;
    // What the row arranges (see below), the codec's flags, and what installing it answers.
    struct Row { const char *arrangement; DWORD flags, code; const char *reason; int blocked; } rows[] = {
        {"ok", copy, 0, NULL, 0},
        {"no source", copy, ERROR_FILE_NOT_FOUND, REASON_COPY_FAILED, 1},
        {"target is a folder", copy, onFolder, REASON_COPY_FAILED, 1},
        {"long system directory", copy, ERROR_FILENAME_EXCED_RANGE, REASON_COPY_FAILED, 1},
        {"RegSvr32.exe is a folder", copy | COMP_REGISTER, ERROR_FILE_NOT_FOUND, REASON_REGISTER_FAILED, 1},
    };
    for (const Row &r : rows) {
        INFO(r.arrangement);
        Scratch sys("sys"), medium("medium");
        SetCurrentDirectoryA(medium.path.c_str());
        string arrangement = r.arrangement, longDir = sys.path + "\\" + string(240, 'd');
        SystemProbe probe = ProbeOf(arrangement == "long system directory" ? longDir : sys.path, sys.path);
        if (arrangement != "no source")
            WriteBytes(medium / "codec.dll", "codec bytes");
        WriteBytes(medium / "help.hlp", "help bytes");
        if (arrangement == "target is a folder")
            CreateDirectoryA((sys / "codec.dll").c_str(), NULL);
        if (arrangement == "RegSvr32.exe is a folder")
            CreateDirectoryA((medium / "RegSvr32.exe").c_str(), NULL);

        SetupComponent codec = {"codec.dll", "codec", NULL, r.flags, NULL};
        SetupComponent help = {"help.hlp", NULL, NULL, COMP_COPY | COMP_NEEDS_PARENT, &codec};
        SetLastError(0xdeadbeef);
        CHECK(InstallComponent(&probe, &codec) == r.code);
        CHECK(codec.reason == r.reason);
        CHECK(!!(codec.flags & COMP_BLOCKED) == r.blocked);
        // A blocked codec's help file is passed over, and that counts as done.
        CHECK(InstallComponent(&probe, &help) == 0);
        CHECK(Exists(sys / "help.hlp") == !r.blocked);
        if (r.code == 0 || r.reason == REASON_REGISTER_FAILED)
            CHECK(ReadBytes(sys / "codec.dll") == "codec bytes");
        CHECK(!Exists(longDir));
        SetCurrentDirectoryA("C:\\");
    }
}

TEST_CASE("ShellExecuteA's own failure codes, as the system codes of the same meaning")
{
    // Every other result up to 32 means no system code.
    std::map<UINT_PTR, DWORD> codes = {
        {0, ERROR_NOT_ENOUGH_MEMORY}, {SE_ERR_FNF, ERROR_FILE_NOT_FOUND}, {SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
        {SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED}, {SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY},
        {ERROR_BAD_FORMAT, ERROR_BAD_FORMAT}, {SE_ERR_SHARE, ERROR_SHARING_VIOLATION},
        {SE_ERR_ASSOCINCOMPLETE, ERROR_NO_ASSOCIATION}, {SE_ERR_DDETIMEOUT, ERROR_DDE_FAIL},
        {SE_ERR_DDEFAIL, ERROR_DDE_FAIL}, {SE_ERR_DDEBUSY, ERROR_DDE_FAIL}, {SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
        {SE_ERR_DLLNOTFOUND, ERROR_DLL_NOT_FOUND},
    };
    for (UINT_PTR result = 0; result <= 32; result++)
        CHECK_MESSAGE(ShellExecuteError(result) == (codes.count(result) ? codes[result] : FAILED_WITHOUT_CODE), result);
}

// Run on code page 932 (unit932), where 0x5C and 'A'..'Z' are also second
// bytes: 表 is 95 5C, ソ 83 5C, 能 94 5C, ア 83 41 and ヂ 83 61.
TEST_CASE("paths are walked by characters of a double-byte code page")
{
    REQUIRE(GetACP() == 932);
    const string chart = "\x90\x7D\x95\x5C", sono = "\x83\x5C\x94\x5C", a = "\x83\x41", di = "\x83\x61";
    struct Trim { string path, trimmed, name; } trims[] = {
        {"C:\\" + chart, "C:\\" + chart, chart},
        {"C:\\" + chart + "\\/\\", "C:\\" + chart, ""},
        {"C:\\x\\" + sono + ".exe", "C:\\x\\" + sono + ".exe", sono + ".exe"},
    };
    // A text cut to its buffer ends between characters.
    char cut[4];
    CHECK(!TextCopy(cut, sizeof(cut), ("ab" + chart).c_str()));
    CHECK(string(cut) == "ab");
    for (Trim &t : trims) {
        char path[MAX_PATH];
        lstrcpyA(path, t.path.c_str());
        CHECK(string(FindFileName(path)) == t.name);
        TrimSeparators(path);
        CHECK(string(path) == t.trimmed);
    }

    // Each level is made as named, and nothing of half a character.
    Scratch s("dbcs");
    for (const string &nested : {chart + "\\" + sono, chart + "\\" + sono + "/" + a})
        CreateDirectoryPath((s / nested).c_str());
    for (const string &level : {s.path, s / chart, s / chart + "\\" + sono}) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((level + "\\*").c_str(), &found);
        std::vector<string> names;
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
            if (found.cFileName[0] != '.')
                names.push_back(found.cFileName);
        FindClose(find);
        CHECK(names == std::vector<string>{level == s.path ? chart : level == s / chart ? sono : a});
    }

    // The browser is found in a folder whose name differs from a folder listed
    // before it only in a second byte's case (one listed with its trailing
    // separator: the browser932 row).
    TestKey appPaths(HKEY_LOCAL_MACHINE, APP_PATHS, "Path");
    CreateDirectoryA((s / a).c_str(), NULL);
    CreateDirectoryA((s / di).c_str(), NULL);
    REQUIRE(CopyFileA(Fixture("ie_min.exe").c_str(), (s / di + "\\iexplore.exe").c_str(), FALSE));
    appPaths.Set(REG_SZ, s / a + ";" + s / di + '\0');
    SystemProbe probe;
    ProbeDirectories(&probe);
    ProbePrerequisites(&probe);
    CHECK(probe.ie4Installed == 1);
}
