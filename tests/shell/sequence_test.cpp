// The setup sequence with the built-in table, driven page by page. Run with
// wininet.dll unloadable, so that the filter row is always skipped.
#include <doctest.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char *const ALL_NAMES[] = {NAME_CODEC, NAME_FILTER, NAME_SWIFT, NAME_VECTRIX, NAME_YVU9,
                                 NAME_AUDIO, NAME_BLANK, NAME_FOOTNOTE, nullptr};
const char *const INSTALLED_NAMES[] = {NAME_CODEC, NAME_SWIFT, NAME_VECTRIX, NAME_YVU9,
                                       NAME_AUDIO, NAME_BLANK, NAME_FOOTNOTE, nullptr};

// A message box by caption, text and owner; questions offer Yes and No only.
void CheckBox(const PageInfo &box, const char *caption, const std::string &text, HWND owner, int question)
{
    CHECK(box.kind == PAGE_MESSAGEBOX);
    CHECK(std::string(box.caption) == caption);
    REQUIRE(MessageBoxText(&box) != nullptr);
    CHECK(MessageBoxText(&box) == text);
    CHECK(box.owner == owner);
    CHECK(PageHasButton(&box, IDYES) == question);
    CHECK(PageHasButton(&box, IDNO) == question);
    CHECK(PageHasButton(&box, IDOK) == !question);
}

void CheckProgress(const SequenceRun &run, const char *const *words)
{
    REQUIRE(run.kinds.find('P') != std::string::npos);
    const PageInfo &page = *RecordedPage((int)run.kinds.find('P'));
    CHECK(std::string(page.caption) == TITLE_SETUP);
    CHECK(page.owner == run.host);
    CHECK(PageControlText(&page, 1001) == ExpectedItems(INSTALLED_NAMES));
    CHECK(PageControlText(&page, 1002) == ExpectedLines(words));
}

// Cancel on the progress page while the failure box's loop serves it: the
// request is taken before the next component. Yes ends the run at the
// question, with no summary; No goes on with the component.
void CancelDuringFailureBox(int answer, int result, const char *kinds)
{
    const char *const missing[] = {"ovswift.dll", nullptr};
    SetupDirScope scope(answer == IDYES ? "cancelyes" : "cancelno", missing);
    DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_SKIPPED, IDOK, nullptr},
                          {PAGE_MESSAGEBOX, 0, nullptr},    {PAGE_PROGRESS, IDCANCEL, nullptr},
                          {PAGE_MESSAGEBOX, IDOK, nullptr}, {PAGE_MESSAGEBOX, answer, nullptr},
                          {PAGE_MESSAGEBOX, IDNO, nullptr}, {}};
    if (answer == IDYES)
        steps[6] = DriverStep();
    static SequenceRun run;
    RunSequence(steps, &run);
    CHECK(run.result == result);
    CHECK(run.kinds == kinds);
    CHECK(std::string(run.driver.seen[2].caption) == "Setup Error");
    // The sequence's own question is owned by the host window.
    CheckBox(run.driver.seen[5], TITLE_SETUP, TEXT_CONFIRM, run.host, 1);
    if (answer == IDNO)
        CheckBox(run.driver.seen[6], TITLE_SETUP, TEXT_SUMMARY_FAILED, run.host, 1);
    // Installed before the cancel stays; the next component only after No.
    CHECK(Installed("ovcodec.dll"));
    CHECK(Installed("ovswiftx.dll") == (answer == IDNO));
    CHECK(Installed("ovaudio.ax") == (answer == IDNO));
}

} // namespace

TEST_CASE("list page cancelled")
{
    SetupDirScope scope("listcancel");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    const PageInfo &list = run.driver.seen[0];
    CHECK(std::string(list.caption) == TITLE_SETUP);
    CHECK(PageControlText(&list, 1000) == ExpectedLines(ALL_NAMES));
    CHECK(list.owner == run.host);
    // The list page's own question is owned by the page.
    CheckBox(run.driver.seen[1], TITLE_SETUP, TEXT_CONFIRM, list.hwnd, 1);
    CHECK(IsWarningIcon(run.driver.seen[1].icon));
    CHECK(run.kinds == "MC");
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("cancel answered no goes on and skipped page cancelled")
{
    SetupDirScope scope("skipcancel");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDNO, nullptr},
                                {PAGE_COMPONENTS, IDOK, nullptr},     {PAGE_SKIPPED, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDYES, nullptr},    {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    // After No the same page is still there, its text unchanged.
    CHECK(run.driver.seen[2].hwnd == run.driver.seen[0].hwnd);
    CHECK(PageControlText(&run.driver.seen[2], 1000) == ExpectedLines(ALL_NAMES));
    const PageInfo &skipped = run.driver.seen[3];
    CHECK(std::string(skipped.caption) == TITLE_SETUP);
    CHECK(std::string(PageControlText(&skipped, 1000)) == NAME_FILTER "\n\tWininet.dll is not installed\n\n\n");
    CHECK(skipped.owner == run.host);
    CheckBox(run.driver.seen[4], TITLE_SETUP, TEXT_CONFIRM, skipped.hwnd, 1);
    CHECK(run.kinds == "MCMS");
    CHECK_FALSE(Installed("ovcodec.dll"));
}

TEST_CASE("install list finished")
{
    SetupDirScope scope("finished");
    // Notes and a viewer are there, but No opens nothing.
    REQUIRE(WriteTextFile("release.txt", "notes"));
    ViewerScope viewer(".txt", "OrvidTest.txtviewer");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_SKIPPED, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, IDNO, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 1);
    CheckBox(run.driver.seen[2], TITLE_SETUP, TEXT_SUMMARY_OK, run.host, 1);
    CHECK(run.driver.seen[2].icon == nullptr);
    // The progress page goes before the summary question.
    CHECK(run.kinds == "CSPM");
    const char *const done[] = {"DONE", "DONE", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    CheckProgress(run, done);
    CHECK(Installed("ovcodec.dll"));
    CHECK(Installed("ovaudio.ax"));
    CHECK_FALSE(Installed("ovflow.ax"));
    CHECK(ViewerLog(1500).empty());
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
    // Named by the display name, or a help file by its file name.
    CheckBox(run.driver.seen[2], "Setup Error", ExpectedFailureText(NAME_SWIFT, ERROR_FILE_NOT_FOUND), run.host, 0);
    CheckBox(run.driver.seen[3], "Setup Error", ExpectedFailureText("orvid.cnt", ERROR_FILE_NOT_FOUND), run.host, 0);
    CheckBox(run.driver.seen[4], TITLE_SETUP, TEXT_SUMMARY_FAILED, run.host, 1);
    for (int i = 2; i <= 4; i++)
        CHECK(IsWarningIcon(run.driver.seen[i].icon));
    // The help file has no row of its own, so no status word either.
    const char *const words[] = {"DONE", "FAILED", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    CheckProgress(run, words);
    // Installation went on after each failure.
    CHECK(Installed("ovswiftx.dll"));
    CHECK(Installed("ovaudio.ax"));
    CHECK(ViewerLog(15000).find("release.txt") != std::string::npos);
}

TEST_CASE("cancel during a failure box confirmed")
{
    CancelDuringFailureBox(IDYES, 0, "CSMMP");
}

TEST_CASE("cancel during a failure box answered no")
{
    CancelDuringFailureBox(IDNO, 1, "CSMMPM");
}

TEST_CASE("failure text")
{
    SetupComponent named = {"ovswift.dll", NAME_SWIFT, nullptr, 0, nullptr};
    char text[512];
    FormatFailureText(text, sizeof(text), &named, 0xFFFFFFFF);
    CHECK(std::string(text) == "Setup failed to install the " NAME_SWIFT
                               " due to the following reason:  \n\nError code 0xFFFFFFFF.");

    // The system's text for this code carries insert sequences, which stand as written.
    char raw[256];
    REQUIRE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           ERROR_MR_MID_NOT_FOUND, GetUserDefaultLangID(), raw, sizeof(raw), nullptr));
    REQUIRE(strchr(raw, '%') != nullptr);
    FormatFailureText(text, sizeof(text), &named, ERROR_MR_MID_NOT_FOUND);
    CHECK(text == ExpectedFailureText(NAME_SWIFT, ERROR_MR_MID_NOT_FOUND));

    // Bounded by the size given, cut in the name or in the system's text; the guard bytes stay.
    std::string longName(700, 'n');
    SetupComponent huge = {"x.dll", longName.c_str(), nullptr, 0, nullptr};
    const struct { const SetupComponent *component; DWORD code; size_t size; const char *start; } cuts[] = {
        {&huge, ERROR_FILE_NOT_FOUND, 512, "Setup failed to install the nnn"},
        {&named, 0xFFFFFFFF, 40, "Setup failed to install the Orvid"},
    };
    for (const auto &cut : cuts) {
        char bounded[512 + 8];
        memset(bounded, 'G', sizeof(bounded));
        FormatFailureText(bounded, cut.size, cut.component, cut.code);
        CHECK(strlen(bounded) == cut.size - 1);
        CHECK(strncmp(bounded, cut.start, strlen(cut.start)) == 0);
        CHECK(std::string(bounded + cut.size, 8) == std::string(8, 'G'));
    }
}
