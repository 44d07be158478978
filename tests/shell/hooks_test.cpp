// The sequence with hooks that answer yes: a directory page for the filter
// row (which wininet.dll being unloadable keeps skipped) and a group of the
// two Swift encoders.
#include <doctest.h>
#include <string.h>
#include <string>
#include "tests/shell/shelltest.h"

namespace {

const char DIRECTORY_ROOT[] = TEST_ROOT "\\dirpage";

} // namespace

TEST_CASE("directory page cancelled")
{
    SetupDirScope scope("dircancel");
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_DIRECTORY, IDCANCEL, nullptr},
                                {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    // The grouped Swift encoders stand once, under the first one's name.
    const char *const listed[] = {NAME_CODEC, NAME_FILTER, NAME_SWIFT, NAME_YVU9, NAME_AUDIO,
                                  NAME_BLANK, NAME_FOOTNOTE, nullptr};
    CHECK(PageControlText(&run.driver.seen[0], 1000) == ExpectedLines(listed));
    const PageInfo &directory = run.driver.seen[1];
    CHECK(directory.owner == run.host);
    CHECK(std::string(PageControlText(&directory, 1003)) == "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher");
    CHECK(run.driver.seen[2].owner == directory.hwnd);
    CHECK(run.kinds == "CMD");
    CHECK(g_installDir[0] == 0);
    CHECK(g_componentTable[ROW_FLOWCASTER_FILTER].reason != g_installDir);
}

TEST_CASE("chosen directory stands for the skipped reason bounded")
{
    SetupDirScope scope("dirlong");
    // Longer than a path may be: the sequence keeps what fits.
    std::string typed = DIRECTORY_ROOT;
    while (typed.size() < 600)
        typed += "\\level";
    const DriverStep steps[] = {{PAGE_COMPONENTS, IDOK, nullptr}, {PAGE_DIRECTORY, IDOK, typed.c_str()},
                                {PAGE_SKIPPED, IDCANCEL, nullptr}, {PAGE_MESSAGEBOX, IDYES, nullptr}, {}};
    static SequenceRun run;
    RunSequence(steps, &run);

    CHECK(run.result == 0);
    CHECK(PageControlText(&run.driver.seen[1], 1003) == typed);
    CHECK(strlen(g_installDir) == sizeof(g_installDir) - 1);
    CHECK(std::string(g_installDir) == typed.substr(0, sizeof(g_installDir) - 1));
    CHECK(g_componentTable[ROW_FLOWCASTER_FILTER].reason == g_installDir);
    CHECK(run.kinds == "CDMS");
    CHECK(PageControlText(&run.driver.seen[2], 1000) == std::string(NAME_FILTER "\n\t") + g_installDir + "\n\n\n");
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
    CHECK(PageControlText(&run.driver.seen[2], 1000) == NAME_FILTER "\n\t" + chosen + "\n\n\n");
    // The second of the group adds no line and no status, but its failure is reported.
    CHECK(MessageBoxText(&run.driver.seen[3]) == ExpectedFailureText(NAME_VECTRIX, ERROR_FILE_NOT_FOUND));
    REQUIRE(run.kinds == "CDSMPM");
    const PageInfo &progress = *RecordedPage(4);
    const char *const announced[] = {NAME_CODEC, NAME_SWIFT, NAME_YVU9, NAME_AUDIO, NAME_BLANK,
                                     NAME_FOOTNOTE, nullptr};
    CHECK(PageControlText(&progress, 1001) == ExpectedItems(announced));
    const char *const words[] = {"DONE", "DONE", "DONE", "DONE", "DONE", "DONE", nullptr};
    CHECK(PageControlText(&progress, 1002) == ExpectedLines(words));
    CHECK(std::string(MessageBoxText(&run.driver.seen[4])) == TEXT_SUMMARY_FAILED);
}
