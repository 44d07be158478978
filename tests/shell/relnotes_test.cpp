// Release notes: which document is copied to the temporary directory and
// handed to the viewer the prefix has registered for its kind.
#include <doctest.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char *const NONE = "(missing)";

std::string TempText(const char *name)
{
    char text[256];
    return ReadTextFile(TempPath(name).c_str(), text, sizeof(text)) ? text : NONE;
}

// The viewer's one line: its own path, then the copy's full path, where the
// separator the temporary directory already ends in is not doubled.
std::string OpenedAs(const char *name)
{
    return name ? "\"" + std::string(VIEWER_EXE) + "\" \"" + TempPath(name) + "\"\n" : "";
}

} // namespace

TEST_CASE("release notes copied and opened by kind")
{
    const struct {
        const char *htm, *txt;  // the notes in the setup directory
        int htmOpens;           // .htm registered with the viewer, or with no open command
        const char *oldCopy;    // in the temporary directory beforehand
        const char *opened;     // handed to the viewer
        const char *htmCopy, *txtCopy;
    } rows[] = {
        {"htm notes", "txt notes", 1, nullptr, "release.htm", "htm notes", NONE},
        {nullptr, "txt notes", 1, nullptr, "release.txt", NONE, "txt notes"},
        // The copy that could not be opened stays.
        {"htm notes", "txt notes", 0, nullptr, "release.txt", "htm notes", "txt notes"},
        {"new notes", nullptr, 1, "old notes, longer than the new", "release.htm", "new notes", NONE},
        {nullptr, nullptr, 1, nullptr, nullptr, NONE, NONE},
    };
    for (const auto &row : rows) {
        INFO("row " << &row - rows);
        SetupDirScope scope("relnotes");
        if (row.htm)
            REQUIRE(WriteTextFile("release.htm", row.htm));
        if (row.txt)
            REQUIRE(WriteTextFile("release.txt", row.txt));
        if (row.oldCopy)
            REQUIRE(WriteTextFile(TempPath("release.htm").c_str(), row.oldCopy));
        ViewerScope htm(".htm", row.htmOpens ? "OrvidTest.htmviewer" : "OrvidTest.noopen", row.htmOpens);
        ViewerScope txt(".txt", "OrvidTest.txtviewer");
        ShowReleaseNotes();
        CHECK(ViewerLog(row.opened ? 15000 : 1500) == OpenedAs(row.opened));
        CHECK(TempText("release.htm") == row.htmCopy);
        CHECK(TempText("release.txt") == row.txtCopy);
    }
}

TEST_CASE("no temporary directory and nothing copied")
{
    SetupDirScope scope("relnotes");
    REQUIRE(WriteTextFile("release.htm", "htm notes"));
    REQUIRE(WriteTextFile("release.txt", "txt notes"));
    ViewerScope htm(".htm", "OrvidTest.htmviewer");
    ViewerScope txt(".txt", "OrvidTest.txtviewer");
    std::string realTemp = TempPath("");
    // A TMP longer than a path makes the platform refuse a temporary directory.
    char saved[MAX_PATH];
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof(saved));
    REQUIRE(SetEnvironmentVariableA("TMP", ("C:\\" + std::string(300, 't')).c_str()));
    char probe[MAX_PATH];
    CHECK(GetTempPathA(sizeof(probe), probe) == 0);
    ShowReleaseNotes();
    SetEnvironmentVariableA("TMP", savedLength && savedLength < sizeof(saved) ? saved : nullptr);

    CHECK(ViewerLog(1500).empty());
    // Not in the temporary directory, nor beside the bare name's other readings.
    GetWindowsDirectoryA(probe, sizeof(probe));
    for (std::string dir : {realTemp, std::string("C:\\"), std::string(probe) + "\\"})
        CHECK(GetFileAttributesA((dir + "release.htm").c_str()) == INVALID_FILE_ATTRIBUTES);
}
