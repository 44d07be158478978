// Stands in for the program the shell starts for a document: appends its
// command line, and a line feed, to viewer.log beside itself, then ends.
#include "tests/driver/pagedriver.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    if (!PathBesideProgram("viewer.log", path, sizeof(path)))
        return 1;
    return AppendToFile(path, GetCommandLineA()) && AppendToFile(path, "\n") ? 0 : 1;
}
