// The page text that transcripts and diagnostics are made of, at its size limits.
#include <doctest.h>
#include <string.h>
#include "tests/driver/pagedriver.h"

TEST_CASE("FormatPage escapes each control onto one line and reports a cut")
{
    static PageInfo page;
    lstrcpynA(page.caption, "A\\B", ARRAYSIZE(page.caption));
    page.controlCount = 2;
    page.controls[0] = ControlInfo{1, "Button", "OK", 0, 1};
    page.controls[1] = ControlInfo{65535, "Static", "x\ty\r\nz", 0, 0};
    const char expected[] = "A\\\\B\n1 Button: OK\n65535 Static hidden: x\\ty\\r\\nz\n";

    char out[sizeof(expected) + 8];
    memset(out, 'X', sizeof(out));
    CHECK(FormatPage(&page, out, sizeof(expected)) == 1);
    CHECK(strcmp(out, expected) == 0);

    // One byte short: cut, terminated within the buffer, nothing written past it.
    memset(out, 'X', sizeof(out));
    CHECK(FormatPage(&page, out, sizeof(expected) - 1) == 0);
    CHECK(strlen(out) < sizeof(expected) - 1);
    CHECK(strncmp(out, expected, strlen(out)) == 0);
    CHECK(out[sizeof(expected) - 1] == 'X');

    memset(out, 'X', sizeof(out));
    CHECK(FormatPage(&page, out, 0) == 0);
    CHECK(out[0] == 'X');
}
