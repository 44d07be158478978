// Per-component hooks of the setup sequence, alone so that a build can put
// its own in their place: no row of the built-in table is grouped or asks
// for an install directory.
#include "setup/hooks.h"

int IsGroupedComponent(const SetupComponent *component)
{
    return 0;
}

int NeedsInstallDirectory(const SetupComponent *component)
{
    return 0;
}
