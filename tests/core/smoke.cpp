#include <doctest.h>
#include <windows.h>
#include "catalog/components.h"
TEST_CASE("table shape") { CHECK(g_componentTable[COMPONENT_ROWS].fileName == nullptr); }
TEST_CASE("version") { CHECK((GetVersion() & 0x80000000u) == 0); }
