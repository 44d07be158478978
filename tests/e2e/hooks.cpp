// The per-component hooks of a setup.exe built for one end-to-end row: the two
// Swift encoders are one group, and the Flowcaster filter asks for a directory.
#include "setup/hooks.h"

int IsGroupedComponent(const SetupComponent *component)
{
    return component == &g_componentTable[ROW_SWIFT] || component == &g_componentTable[ROW_SWIFT_VECTRIX];
}

int NeedsInstallDirectory(const SetupComponent *component)
{
    return component == &g_componentTable[ROW_FLOWCASTER_FILTER];
}
