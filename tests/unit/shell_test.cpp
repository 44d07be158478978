// Tables of the pages and the setup shell: failure text, the recorder that
// stands in for the programs started, the install directory and progress pages.
#include "unit.h"
#include <process.h>
#include "setup/sequence.h"
#include "ui/pages.h"

TEST_CASE("the failure text: the system's words, else the code; cut to its buffer, terminated")
{
    SetupComponent named = {"codec.dll", "Codec", NULL, 0, NULL}, unnamed = {"codec.dll", NULL, NULL, 0, NULL};
    char full[512], text[512];
    FormatFailureText(full, sizeof(full), &named, ERROR_FILE_NOT_FOUND);
    CHECK(string(full).find("Codec") != string::npos);
    CHECK(string(full).find("File not found.") != string::npos);
    FormatFailureText(text, sizeof(text), &unnamed, ERROR_FILE_NOT_FOUND);
    CHECK(string(text).find("codec.dll") != string::npos);
    FormatFailureText(text, sizeof(text), &named, 0x2000FFFF);
    CHECK(string(text).substr(string(text).size() - 22) == "Error code 0x2000FFFF.");
    for (size_t size : {1u, 20u, 70u}) {
        memset(text, '#', sizeof(text));
        FormatFailureText(text, size, &named, ERROR_FILE_NOT_FOUND);
        CHECK(string(text) == string(full).substr(0, size - 1));
        CHECK(text[size] == '#');
    }
}

TEST_CASE("the recorder writes NAME.log beside itself only when that is a path")
{
    Scratch s("recorder");
    const string folder = s / string(200, 'r');
    CreateDirectoryA(folder.c_str(), NULL);
    // Started from 257 and 258 characters, one-letter extension: ".log" fits the first.
    for (size_t length : {257u, 258u}) {
        const string name = folder + "\\" + string(length - folder.size() - 3, 'n');
        REQUIRE(CopyFileA(ORVID_RECORDER, (name + ".x").c_str(), FALSE));
        CHECK(_spawnl(_P_WAIT, (name + ".x").c_str(), "recorder", NULL) == (length == 257 ? 0 : 1));
        CHECK(Exists(name + ".log") == (length == 257));
    }
}

TEST_CASE("the install directory page hands on no path cut to fit")
{
    Scratch s("directory");
    struct Row { string typed; int handedOn; } rows[] = {
        {s / "Publisher", 1},
        {s / string(300, 'p'), 0},      // refused as a directory that cannot be created
    };
    for (const Row &r : rows) {
        DirectoryDialog page(GetModuleHandleA(NULL), IDD_DIRECTORY, NULL);
        REQUIRE(page.Create());
        SetDlgItemTextA(page.Window(), IDC_DIRECTORY_EDIT, r.typed.c_str());
        SendMessageA(page.Window(), WM_COMMAND, IDOK, 0);
        char handed[MAX_PATH] = "#";
        CHECK(page.CopyDirectory(handed, sizeof(handed)) == r.handedOn);
        CHECK(string(handed) == (r.handedOn ? r.typed : ""));
        CHECK(Exists(r.typed) == !!r.handedOn);
    }
}

TEST_CASE("the progress page shows each row as it is added, though no message is served")
{
    ProgressDialog page(GetModuleHandleA(NULL), NULL);
    REQUIRE(page.Create());
    page.AddItem("codec");
    page.SetStatus("DONE");
    for (int id : {IDC_PROGRESS_ITEMS, IDC_PROGRESS_STATUS})
        CHECK(!GetUpdateRect(GetDlgItem(page.Window(), id), NULL, FALSE));
    // The handle goes with the window, however it went.
    DestroyWindow(page.Window());
    CHECK(!page.Window());
}
