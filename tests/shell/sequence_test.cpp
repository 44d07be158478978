// The setup sequence with the built-in table, driven page by page. Run with
// wininet.dll unloadable, so that the filter row is always skipped.
#include <doctest.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char *const ALL_NAMES[] = {NAME_CODEC, NAME_FILTER, NAME_SWIFT, NAME_VECTRIX, NAME_YVU9,
                                 NAME_AUDIO, NAME_BLANK, NAME_FOOTNOTE, NULL};
const char *const INSTALLED_NAMES[] = {NAME_CODEC, NAME_SWIFT, NAME_VECTRIX, NAME_YVU9,
                                       NAME_AUDIO, NAME_BLANK, NAME_FOOTNOTE, NULL};
const char SKIPPED_FILTER[] = NAME_FILTER "\n\tWininet.dll is not installed\n\n\n";

std::string ListText()
{
    char text[1024];
    ExpectedLines(ALL_NAMES, text, sizeof(text));
    return text;
}

void CheckBox(const PageInfo &box, const char *caption, const char *text, HWND owner)
{
    CHECK(box.kind == PAGE_MESSAGEBOX);
    CHECK(std::string(box.caption) == caption);
    REQUIRE(MessageBoxText(&box) != nullptr);
    CHECK(std::string(MessageBoxText(&box)) == text);
    CHECK(box.owner == owner);
}

void CheckQuestion(const PageInfo &box, const char *caption, const char *text, HWND owner)
{
    CheckBox(box, caption, text, owner);
    CHECK(PageHasButton(&box, IDYES));
    CHECK(PageHasButton(&box, IDNO));
    CHECK_FALSE(PageHasButton(&box, IDOK));
}

} // namespace

TEST_CASE("list page cancelled")
{
    SetupDirScope scope("listcancel", nullptr);
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    const PageInfo &list = run.driver.seen[0];
    CHECK(list.kind == PAGE_COMPONENTS);
    CHECK(std::string(list.caption) == TITLE_SETUP);
    CHECK(std::string(PageControlText(&list, 1000)) == ListText());
    CHECK(list.owner == run.host);
    // The list page's own question is owned by the page.
    CheckQuestion(run.driver.seen[1], TITLE_SETUP, TEXT_CONFIRM, list.hwnd);
    CHECK(IsWarningIcon(run.driver.seen[1].icon));
    // Nothing after the list page: no other page, nothing installed.
    CHECK(run.recorded == 2);
    CHECK(CountRecorded(&run, PAGE_COMPONENTS) == 1);
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("cancel answered no goes on and skipped page cancelled")
{
    SetupDirScope scope("skipcancel", nullptr);
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDNO, nullptr},
                                {PAGE_COMPONENTS, IDOK, nullptr},     {PAGE_SKIPPED, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDYES, nullptr},    {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    // After No the same page is still there, with its text unchanged.
    CHECK(run.driver.seen[2].hwnd == run.driver.seen[0].hwnd);
    CHECK(std::string(PageControlText(&run.driver.seen[2], 1000)) == ListText());
    const PageInfo &skipped = run.driver.seen[3];
    CHECK(std::string(skipped.caption) == TITLE_SETUP);
    CHECK(std::string(PageControlText(&skipped, 1000)) == SKIPPED_FILTER);
    CHECK(skipped.owner == run.host);
    CheckQuestion(run.driver.seen[4], TITLE_SETUP, TEXT_CONFIRM, skipped.hwnd);
    CHECK(run.recorded == 4);
    CHECK(CountRecorded(&run, PAGE_PROGRESS) == 0);
    CHECK(CountRecorded(&run, PAGE_SKIPPED) == 1);
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("install list finished")
{
    SetupDirScope scope("finished", nullptr);
    // Notes and a viewer are there, but No opens nothing.
    REQUIRE(WriteTextFile("release.txt", "notes"));
    ViewerScope viewer(".txt", "OrvidTest.txtviewer");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_SKIPPED, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, IDNO, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 1);
    const PageInfo &summary = run.driver.seen[2];
    CheckQuestion(summary, TITLE_SETUP, TEXT_SUMMARY_OK, run.host);
    CHECK(summary.icon == nullptr);

    int progress = FindRecorded(&run, PAGE_PROGRESS);
    REQUIRE(progress >= 0);
    const PageInfo &page = *run.pages[progress];
    CHECK(std::string(page.caption) == TITLE_SETUP);
    CHECK(page.owner == run.host);
    char items[2048];
    ExpectedItems(INSTALLED_NAMES, items, sizeof(items));
    CHECK(std::string(PageControlText(&page, 1001)) == items);
    const char *const done[] = {"DONE", "DONE", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    char statuses[512];
    ExpectedLines(done, statuses, sizeof(statuses));
    CHECK(std::string(PageControlText(&page, 1002)) == statuses);
    // The progress page went before the summary question was answered.
    int box = FindRecorded(&run, PAGE_MESSAGEBOX);
    CHECK(progress < box);
    CHECK(run.recorded == 4);
    CHECK(Installed("ovcodec.dll"));
    CHECK(Installed("ovaudio.ax"));
    CHECK_FALSE(Installed("ovflow.ax"));
    char log[512];
    ReadViewerLog(1500, log, sizeof(log));
    CHECK(std::string(log).empty());
}

TEST_CASE("failures reported in boxes")
{
    const char *const missing[] = {"ovswift.dll", "orvid.cnt", nullptr};
    SetupDirScope scope("failures", missing);
    // Yes opens the notes even after failures.
    REQUIRE(WriteTextFile("release.txt", "notes"));
    ViewerScope viewer(".txt", "OrvidTest.txtviewer");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_SKIPPED, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, IDOK, nullptr}, {PAGE_MESSAGEBOX, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 1);
    char text[512];
    // A component with a display name is named by it, a help file by its file name.
    ExpectedFailureText(NAME_SWIFT, ERROR_FILE_NOT_FOUND, text, sizeof(text));
    CheckBox(run.driver.seen[2], "Setup Error", text, run.host);
    CHECK(PageHasButton(&run.driver.seen[2], IDOK));
    CHECK(IsWarningIcon(run.driver.seen[2].icon));
    ExpectedFailureText("orvid.cnt", ERROR_FILE_NOT_FOUND, text, sizeof(text));
    CheckBox(run.driver.seen[3], "Setup Error", text, run.host);
    CHECK(IsWarningIcon(run.driver.seen[3].icon));
    CheckQuestion(run.driver.seen[4], TITLE_SETUP, TEXT_SUMMARY_FAILED, run.host);
    CHECK(IsWarningIcon(run.driver.seen[4].icon));

    int progress = FindRecorded(&run, PAGE_PROGRESS);
    REQUIRE(progress >= 0);
    char items[2048];
    ExpectedItems(INSTALLED_NAMES, items, sizeof(items));
    CHECK(std::string(PageControlText(run.pages[progress], 1001)) == items);
    // The help file has no row of its own, so no status word either.
    const char *const words[] = {"DONE", "FAILED", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    char statuses[512];
    ExpectedLines(words, statuses, sizeof(statuses));
    CHECK(std::string(PageControlText(run.pages[progress], 1002)) == statuses);
    // Installation went on after each failure.
    CHECK(Installed("ovswiftx.dll"));
    CHECK(Installed("ovaudio.ax"));
    char log[512];
    ReadViewerLog(15000, log, sizeof(log));
    CHECK(strstr(log, "release.txt") != nullptr);
}

TEST_CASE("cancel during a failure box confirmed")
{
    const char *const missing[] = {"ovswift.dll", nullptr};
    SetupDirScope scope("cancelyes", missing);
    // The failure box's loop serves the progress page: its Cancel is taken
    // before the next component.
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr},  {PAGE_SKIPPED, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, 0, nullptr},     {PAGE_PROGRESS, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDOK, nullptr},  {PAGE_MESSAGEBOX, IDYES, nullptr},
                                {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    CHECK(std::string(run.driver.seen[2].caption) == "Setup Error");
    // The sequence's own question is owned by the host window.
    CheckQuestion(run.driver.seen[5], TITLE_SETUP, TEXT_CONFIRM, run.host);
    // List, skipped page, failure box, question, progress page; no summary question.
    REQUIRE(run.recorded == 5);
    CHECK(run.pages[4]->kind == PAGE_PROGRESS);
    CHECK(CountRecorded(&run, PAGE_MESSAGEBOX) == 2);
    // What was installed stays; nothing after the failed component is.
    CHECK(Installed("ovcodec.dll"));
    CHECK_FALSE(Installed("ovswiftx.dll"));
}

TEST_CASE("cancel during a failure box answered no")
{
    const char *const missing[] = {"ovswift.dll", nullptr};
    SetupDirScope scope("cancelno", missing);
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr},  {PAGE_SKIPPED, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, 0, nullptr},     {PAGE_PROGRESS, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDOK, nullptr},  {PAGE_MESSAGEBOX, IDNO, nullptr},
                                {PAGE_MESSAGEBOX, IDNO, nullptr},  {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 1);
    CheckQuestion(run.driver.seen[5], TITLE_SETUP, TEXT_CONFIRM, run.host);
    CheckQuestion(run.driver.seen[6], TITLE_SETUP, TEXT_SUMMARY_FAILED, run.host);
    CHECK(Installed("ovswiftx.dll"));
    CHECK(Installed("ovaudio.ax"));
}

TEST_CASE("failure text")
{
    SetupComponent named = {"ovswift.dll", NAME_SWIFT, nullptr, 0, nullptr};
    SetupComponent unnamed = {"orvid.hlp", nullptr, nullptr, 0, nullptr};
    char text[512];
    char expected[512];

    SUBCASE("system text for the code")
    {
        FormatFailureText(text, sizeof(text), &unnamed, ERROR_FILE_NOT_FOUND);
        ExpectedFailureText("orvid.hlp", ERROR_FILE_NOT_FOUND, expected, sizeof(expected));
        CHECK(std::string(text) == expected);
        CHECK(strlen(text) > strlen("Setup failed to install the orvid.hlp due to the following reason:  \n\n"));
    }
    SUBCASE("no system text: the code in hexadecimal")
    {
        FormatFailureText(text, sizeof(text), &named, 0xFFFFFFFF);
        CHECK(std::string(text) == "Setup failed to install the " NAME_SWIFT
                                   " due to the following reason:  \n\nError code 0xFFFFFFFF.");
    }
    SUBCASE("insert sequences stand as the system wrote them")
    {
        // The system's text for this code carries insert sequences.
        const DWORD code = ERROR_MR_MID_NOT_FOUND;
        char raw[256];
        REQUIRE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                               GetUserDefaultLangID(), raw, sizeof(raw), nullptr));
        REQUIRE(strchr(raw, '%') != nullptr);
        FormatFailureText(text, sizeof(text), &named, code);
        ExpectedFailureText(NAME_SWIFT, code, expected, sizeof(expected));
        CHECK(std::string(text) == expected);
    }
    SUBCASE("bounded by the buffer")
    {
        std::string longName(700, 'n');
        SetupComponent huge = {"x.dll", longName.c_str(), nullptr, 0, nullptr};
        memset(text, 'X', sizeof(text));
        FormatFailureText(text, sizeof(text), &huge, ERROR_FILE_NOT_FOUND);
        CHECK(strlen(text) == sizeof(text) - 1);
        CHECK(strncmp(text, "Setup failed to install the nnn", 31) == 0);

        char small[40 + 8];
        memset(small, 'G', sizeof(small));
        FormatFailureText(small, 40, &named, 0xFFFFFFFF);
        CHECK(strlen(small) == 39);
        CHECK(std::string(small + 40, 8) == std::string(8, 'G'));
    }
}
