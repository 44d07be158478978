// Install planning over the component table.
#include "core_test.h"
#include "catalog/plan.h"
#include <algorithm>

typedef std::vector<int> Rows;

static Rows Listed(SetupComponent **list)
{
    Rows rows;
    for (int slot = 0; slot < COMPONENT_LIST_SLOTS && list[slot]; slot++)
        rows.push_back((int)(list[slot] - g_componentTable));
    return rows;
}

static std::string Reason(int row) { return g_componentTable[row].reason ? g_componentTable[row].reason : "(none)"; }
static bool Blocked(int row) { return (g_componentTable[row].flags & COMP_BLOCKED) != 0; }

// Plans afresh on a machine with the given Internet Explorer and DirectShow;
// `arrange` places the rows' source and installed files.
template <typename Arrange>
static void Plan(const char *ie, bool directShow, Arrange arrange)
{
    Machine machine;
    if (ie)
        machine.AppPath(machine.Ie(ie));
    if (directShow)
        machine.DirectShow("ds_exact.dll");
    SetupDir setup;
    struct Installed : std::vector<std::string> {
        ~Installed() { for (const std::string &file : *this) DeleteFileA(file.c_str()); }
    } installed;
    arrange([&](int row, const char *source, const char *target) {
        PlaceFixture(source, setup / g_componentTable[row].fileName);
        installed.push_back(SystemDir() + "\\" + g_componentTable[row].fileName);
        PlaceFixture(target, installed.back());
    });
    for (int row = 0; row < COMPONENT_ROWS; row++) {   // marks left by an earlier plan
        g_componentTable[row].reason = NULL;
        g_componentTable[row].flags &= ~COMP_BLOCKED;
    }
    Reprobe();
    SetupComponent **all, **install, **skip;
    PlanComponents(&all, &install, &skip);
    CHECK((all == allComponents && install == installList && skip == skipList));
    CHECK(Listed(allComponents) == Rows{ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });
}

static auto nothing = [](auto) {};

// Every row but the skipped ones is installed, none blocked.
static void CheckSkipped(const Rows &skipped, const char *reason)
{
    Rows install;
    for (int row = 0; row < COMPONENT_ROWS; row++) {
        bool skip = std::find(skipped.begin(), skipped.end(), row) != skipped.end();
        INFO("row ", row);
        CHECK(Reason(row) == (skip ? reason : "(none)"));
        CHECK_FALSE(Blocked(row));
        if (!skip)
            install.push_back(row);
    }
    CHECK(Listed(skipList) == skipped);
    CHECK(Listed(installList) == install);
}

TEST_CASE("plan: Internet Explorer 4 or DirectShow")
{
    const struct { const char *ie; bool directShow; Rows skipped; } cases[] = {
        { "ie5.0.0.0.exe", false, {} }, { "ie4.71.913.3.exe", true, {} }, { "ie4.71.913.3.exe", false, { 1 } } };
    for (const auto &c : cases) {
        INFO(c.ie, c.directShow ? " with DirectShow" : "");
        Plan(c.ie, c.directShow, nothing);
        CheckSkipped(c.skipped, "Neither Internet Explorer* version 4 nor DirectShow* is installed");
    }
}

TEST_CASE("plan: without wininet")
{
    REQUIRE(LoadLibraryA("wininet.dll") == NULL);
    Plan(NULL, false, nothing);
    CheckSkipped({ 1 }, "Wininet.dll is not installed");
}

TEST_CASE("plan: installed files newer or older or equal or without version")
{
    Plan("ie5.0.0.0.exe", false, [](auto place) {
        place(ROW_VIDEO_CODEC, "v1.dll", "v2.dll");
        place(ROW_FLOWCASTER_FILTER, "v1.dll", "truncated.dll");
        place(ROW_SWIFT, "v2.dll", "v2.dll");
        place(ROW_SWIFT_VECTRIX, "nover.dll", "v2.dll");
        place(ROW_YVU9, "v1.dll", "nover.dll");
        place(ROW_AUDIO_CODEC, "v1.dll", "v2.dll");   // v1 has the newer file version
    });
    CHECK(Listed(skipList) == Rows{ 0, 8 });
    CHECK(Listed(installList) == Rows{ 1, 2, 3, 4, 9, 10 });
    CHECK(Reason(ROW_VIDEO_CODEC) == "A newer version of the file is already installed.");
    CHECK(Reason(ROW_AUDIO_CODEC) == "A newer version of the file is already installed.");
    CHECK(Blocked(ROW_VIDEO_CODEC));
    CHECK_FALSE(Blocked(ROW_AUDIO_CODEC));
    for (int row : { 1, 2, 3, 4, 5, 6, 7, 9, 10 })
        CHECK((Reason(row) == "(none)" && !Blocked(row)));
}

TEST_CASE("plan: a table without rows")
{
    SetupComponent empty[1] = {};
    PlanTable(empty);
    CHECK((allComponents[0] == nullptr && installList[0] == nullptr && skipList[0] == nullptr));
}
