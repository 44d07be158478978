// Hooks for the hook tests, in place of the built-in ones: the two Swift
// encoders form a group, and the filter row asks for an install directory.
#include "setup/setup.h"

int IsGroupedComponent(const SetupComponent *component)
{
    return component == &g_componentTable[ROW_SWIFT] || component == &g_componentTable[ROW_SWIFT_VECTRIX];
}

int NeedsInstallDirectory(const SetupComponent *component)
{
    return component == &g_componentTable[ROW_FLOWCASTER_FILTER];
}
