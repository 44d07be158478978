// Install planning over the component table, one process per case.
#include "core_test.h"
#include "catalog/plan.h"
#include "catalog/probe.h"

typedef std::vector<SetupComponent *> Rows;

static Rows Listed(SetupComponent **list)
{
    Rows rows;
    for (int slot = 0; slot < COMPONENT_LIST_SLOTS && list[slot]; slot++)
        rows.push_back(list[slot]);
    return rows;
}

static Rows TableRows(std::initializer_list<int> numbers)
{
    Rows rows;
    for (int row : numbers)
        rows.push_back(&g_componentTable[row]);
    return rows;
}

static std::string Reason(int row) { return g_componentTable[row].reason ? g_componentTable[row].reason : "(none)"; }
static bool Blocked(int row) { return (g_componentTable[row].flags & COMP_BLOCKED) != 0; }

// Plans on a machine with the given Internet Explorer and DirectShow; the
// rows' source and installed files are placed by `arrange`.
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
    auto place = [&](int row, const char *source, const char *target) {
        PlaceFixture(source, setup / g_componentTable[row].fileName);
        installed.push_back(SystemDir() + "\\" + g_componentTable[row].fileName);
        PlaceFixture(target, installed.back());
    };
    arrange(place);
    SetupComponent **all, **install, **skip;
    PlanComponents(&all, &install, &skip);
    CHECK((all == allComponents && install == installList && skip == skipList));
    CHECK(Listed(allComponents) == TableRows({ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
}

static auto nothing = [](auto) {};

TEST_CASE("plan: nothing installed yet")
{
    Plan("ie5.0.0.0.exe", false, nothing);
    CHECK(Listed(installList) == TableRows({ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
    CHECK(skipList[0] == nullptr);
    for (int row = 0; row < COMPONENT_ROWS; row++)
        CHECK((Reason(row) == "(none)" && !Blocked(row)));
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
    CHECK(Listed(skipList) == TableRows({ 0, 8 }));
    CHECK(Listed(installList) == TableRows({ 1, 2, 3, 4, 9, 10 }));
    CHECK(Reason(ROW_VIDEO_CODEC) == "A newer version of the file is already installed.");
    CHECK(Reason(ROW_AUDIO_CODEC) == "A newer version of the file is already installed.");
    CHECK(Blocked(ROW_VIDEO_CODEC));
    CHECK_FALSE(Blocked(ROW_AUDIO_CODEC));
    for (int row : { 1, 2, 3, 4, 5, 6, 7, 9, 10 })
        CHECK((Reason(row) == "(none)" && !Blocked(row)));
}

TEST_CASE("plan: without wininet")
{
    REQUIRE(LoadLibraryA("wininet.dll") == NULL);
    Plan(NULL, false, nothing);
    CHECK(Listed(skipList) == TableRows({ 1 }));
    CHECK(Reason(ROW_FLOWCASTER_FILTER) == "Wininet.dll is not installed");
    CHECK_FALSE(Blocked(ROW_FLOWCASTER_FILTER));
    CHECK(Listed(installList) == TableRows({ 0, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
}

TEST_CASE("plan: neither Internet Explorer 4 nor DirectShow")
{
    Plan("ie4.71.913.3.exe", false, nothing);
    CHECK(Listed(skipList) == TableRows({ 1 }));
    CHECK(Reason(ROW_FLOWCASTER_FILTER) == "Neither Internet Explorer* version 4 nor DirectShow* is installed");
    CHECK_FALSE(Blocked(ROW_FLOWCASTER_FILTER));
}

TEST_CASE("plan: DirectShow without Internet Explorer 4")
{
    Plan("ie4.71.913.3.exe", true, nothing);
    REQUIRE((g_ie4Installed == 0 && g_directShowInstalled == 1));
    CHECK(skipList[0] == nullptr);
    CHECK(Listed(installList).size() == 11);
}

TEST_CASE("plan: a table without rows")
{
    SetupComponent empty[1] = {};
    PlanTable(empty);
    CHECK((allComponents[0] == nullptr && installList[0] == nullptr && skipList[0] == nullptr));
}
