// Release notes: which document is copied to the temporary directory and
// handed to the viewer the prefix has registered for its kind.
#include <doctest.h>
#include <objbase.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char PROG_VIEWER_HTM[] = "OrvidTest.htmviewer";
const char PROG_VIEWER_TXT[] = "OrvidTest.txtviewer";
const char PROG_NO_OPEN[] = "OrvidTest.noopen";
const DWORD VIEWER_WAIT_MS = 15000;

std::string TempPath(const char *name)
{
    char dir[MAX_PATH];
    REQUIRE(GetTempPathA(sizeof(dir), dir) > 0);
    return std::string(dir) + name;
}

// A setup directory with the given notes, a private viewer, and the kinds
// registered as the case needs; everything is put back afterwards.
struct Arrangement {
    SavedExtension htm;
    SavedExtension txt;

    Arrangement(const char *htmText, const char *txtText)
    {
        CoInitialize(nullptr);
        REQUIRE(MakeSetupDir("relnotes", nullptr));
        if (htmText)
            REQUIRE(WriteTextFile("release.htm", htmText));
        if (txtText)
            REQUIRE(WriteTextFile("release.txt", txtText));
        REQUIRE(InstallViewer());
        DeleteFileA(TempPath("release.htm").c_str());
        DeleteFileA(TempPath("release.txt").c_str());
        htm.extension[0] = 0;
        txt.extension[0] = 0;
    }
    ~Arrangement()
    {
        if (htm.extension[0])
            RestoreExtension(&htm, htmProg);
        if (txt.extension[0])
            RestoreExtension(&txt, PROG_VIEWER_TXT);
        DeleteFileA(TempPath("release.htm").c_str());
        DeleteFileA(TempPath("release.txt").c_str());
        RemoveTestRoot();
    }
    void ViewHtm()
    {
        htmProg = PROG_VIEWER_HTM;
        REQUIRE(RegisterViewer(".htm", PROG_VIEWER_HTM, VIEWER_EXE, &htm));
    }
    void HtmWithoutOpen()
    {
        htmProg = PROG_NO_OPEN;
        REQUIRE(RegisterKindWithoutOpen(".htm", PROG_NO_OPEN, &htm));
    }
    void ViewTxt() { REQUIRE(RegisterViewer(".txt", PROG_VIEWER_TXT, VIEWER_EXE, &txt)); }

private:
    const char *htmProg = PROG_VIEWER_HTM;
};

// The viewer's one line: its own path, then the document it was given.
std::string ViewerLog()
{
    char text[2048];
    ReadViewerLog(VIEWER_WAIT_MS, text, sizeof(text));
    return text;
}

std::string FileText(const std::string &path)
{
    char text[256];
    if (!ReadTextFile(path.c_str(), text, sizeof(text)))
        return "(missing)";
    return text;
}

// The copy is made at the temporary directory (which ends in '\') + "\" +
// the name; the shell hands the viewer the path in its full form, where the
// doubled separator is folded into one.
std::string OpenedAs(const char *name)
{
    return "\"" + std::string(VIEWER_EXE) + "\" \"" + TempPath(name) + "\"\n";
}

} // namespace

TEST_CASE("htm opened and txt untouched")
{
    Arrangement arrangement("htm notes", "txt notes");
    arrangement.ViewHtm();
    arrangement.ViewTxt();
    ShowReleaseNotes();
    CHECK(ViewerLog() == OpenedAs("release.htm"));
    CHECK(FileText(TempPath("release.htm")) == "htm notes");
    CHECK_FALSE(FileExists(TempPath("release.txt").c_str()));
}

TEST_CASE("only txt")
{
    Arrangement arrangement(nullptr, "txt notes");
    arrangement.ViewHtm();
    arrangement.ViewTxt();
    ShowReleaseNotes();
    CHECK(ViewerLog() == OpenedAs("release.txt"));
    CHECK(FileText(TempPath("release.txt")) == "txt notes");
    CHECK_FALSE(FileExists(TempPath("release.htm").c_str()));
}

TEST_CASE("htm without open command and txt tried next")
{
    Arrangement arrangement("htm notes", "txt notes");
    arrangement.HtmWithoutOpen();
    arrangement.ViewTxt();
    ShowReleaseNotes();
    CHECK(ViewerLog() == OpenedAs("release.txt"));
    // The copy that could not be opened stays.
    CHECK(FileText(TempPath("release.htm")) == "htm notes");
    CHECK(FileText(TempPath("release.txt")) == "txt notes");
}

TEST_CASE("existing copy overwritten")
{
    Arrangement arrangement("new notes", nullptr);
    arrangement.ViewHtm();
    REQUIRE(WriteTextFile(TempPath("release.htm").c_str(), "old notes, longer than the new"));
    ShowReleaseNotes();
    CHECK(ViewerLog() == OpenedAs("release.htm"));
    CHECK(FileText(TempPath("release.htm")) == "new notes");
}

TEST_CASE("no notes and nothing happens")
{
    Arrangement arrangement(nullptr, nullptr);
    arrangement.ViewHtm();
    arrangement.ViewTxt();
    ShowReleaseNotes();
    Sleep(1500);
    CHECK_FALSE(FileExists(VIEWER_LOG));
    CHECK_FALSE(FileExists(TempPath("release.htm").c_str()));
    CHECK_FALSE(FileExists(TempPath("release.txt").c_str()));
}

TEST_CASE("no temporary directory and nothing copied")
{
    Arrangement arrangement("htm notes", "txt notes");
    arrangement.ViewHtm();
    arrangement.ViewTxt();
    std::string realTemp = TempPath("");
    // A TMP longer than a path makes the platform refuse a temporary directory.
    char saved[MAX_PATH];
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof(saved));
    std::string tooLong = "C:\\" + std::string(300, 't');
    REQUIRE(SetEnvironmentVariableA("TMP", tooLong.c_str()));
    char probe[MAX_PATH];
    CHECK(GetTempPathA(sizeof(probe), probe) == 0);

    ShowReleaseNotes();

    SetEnvironmentVariableA("TMP", savedLength && savedLength < sizeof(saved) ? saved : nullptr);
    Sleep(1500);
    CHECK_FALSE(FileExists(VIEWER_LOG));
    CHECK_FALSE(FileExists((realTemp + "release.htm").c_str()));
    // Nor beside the bare name's other readings: the drive's root, the setup directory.
    CHECK_FALSE(FileExists("C:\\release.htm"));
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    CHECK_FALSE(FileExists((std::string(windowsDir) + "\\release.htm").c_str()));
}
