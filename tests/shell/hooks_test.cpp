// The sequence with hooks that answer yes: a directory page for the filter
// row (which wininet.dll being unloadable keeps skipped) and a group of the
// two Swift encoders.
#include <doctest.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char DIRECTORY_ROOT[] = TEST_ROOT "\\dirpage";

// The grouped Swift encoders stand once, under the first one's name.
const char *const LISTED[] = {NAME_CODEC, NAME_FILTER, NAME_SWIFT, NAME_YVU9, NAME_AUDIO,
                              NAME_BLANK, NAME_FOOTNOTE, nullptr};

} // namespace

TEST_CASE("directory page cancelled")
{
    SetupDirScope scope("dircancel", nullptr);
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_DIRECTORY, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    char list[1024];
    ExpectedLines(LISTED, list, sizeof(list));
    CHECK(std::string(PageControlText(&run.driver.seen[0], 1000)) == list);
    const PageInfo &directory = run.driver.seen[1];
    CHECK(directory.owner == run.host);
    CHECK(std::string(PageControlText(&directory, 1003))
          == "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher");
    CHECK(run.driver.seen[2].owner == directory.hwnd);
    // List page, question, directory page: no skipped page, no progress.
    CHECK(run.recorded == 3);
    CHECK(CountRecorded(&run, PAGE_SKIPPED) == 0);
    CHECK(CountRecorded(&run, PAGE_PROGRESS) == 0);
    CHECK(g_installDir[0] == 0);
    CHECK(g_componentTable[ROW_FLOWCASTER_FILTER].reason != g_installDir);
}

TEST_CASE("chosen directory stands for the skipped reason bounded")
{
    SetupDirScope scope("dirlong", nullptr);
    // Longer than a path may be: the sequence keeps what fits.
    std::string typed = DIRECTORY_ROOT;
    while (typed.size() < 600)
        typed += "\\level";
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_DIRECTORY, IDOK, typed.c_str()},
                                {PAGE_SKIPPED, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    CHECK(std::string(PageControlText(&run.driver.seen[1], 1003)) == typed);
    CHECK(strlen(g_installDir) == sizeof(g_installDir) - 1);
    CHECK(std::string(g_installDir) == typed.substr(0, sizeof(g_installDir) - 1));
    CHECK(g_componentTable[ROW_FLOWCASTER_FILTER].reason == g_installDir);
    std::string entry = std::string(NAME_FILTER) + "\n\t" + g_installDir + "\n\n\n";
    CHECK(std::string(PageControlText(&run.driver.seen[2], 1000)) == entry);
}

TEST_CASE("grouped components shown once")
{
    const char *const missing[] = {"ovswiftx.dll", nullptr};
    SetupDirScope scope("grouped", missing);
    std::string chosen = std::string(DIRECTORY_ROOT) + "\\publisher";
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_DIRECTORY, IDOK, chosen.c_str()},
                                {PAGE_SKIPPED, IDOK, nullptr},    {PAGE_MESSAGEBOX, IDOK, nullptr},
                                {PAGE_MESSAGEBOX, IDNO, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 1);
    CHECK(std::string(g_installDir) == chosen);
    CHECK(std::string(PageControlText(&run.driver.seen[2], 1000))
          == std::string(NAME_FILTER) + "\n\t" + chosen + "\n\n\n");
    // The second of the group adds no line and no status, but its failure is reported.
    char text[512];
    ExpectedFailureText(NAME_VECTRIX, ERROR_FILE_NOT_FOUND, text, sizeof(text));
    CHECK(std::string(MessageBoxText(&run.driver.seen[3])) == text);
    int progress = FindRecorded(&run, PAGE_PROGRESS);
    REQUIRE(progress >= 0);
    const char *const announced[] = {NAME_CODEC, NAME_SWIFT, NAME_YVU9, NAME_AUDIO, NAME_BLANK,
                                     NAME_FOOTNOTE, nullptr};
    char items[2048];
    ExpectedItems(announced, items, sizeof(items));
    CHECK(std::string(PageControlText(run.pages[progress], 1001)) == items);
    const char *const words[] = {"DONE", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    char statuses[512];
    ExpectedLines(words, statuses, sizeof(statuses));
    CHECK(std::string(PageControlText(run.pages[progress], 1002)) == statuses);
    CHECK(std::string(MessageBoxText(&run.driver.seen[4])) == TEXT_SUMMARY_FAILED);
}
