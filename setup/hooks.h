// Per-component hooks of the setup sequence, in a file of their own so that a
// build can link its own; no row of the built-in table answers yes.
#pragma once
#include "catalog/components.h"

// Of the grouped components only the first of a list stands, for the whole group.
int IsGroupedComponent(const SetupComponent *component);
// The component asks for an install directory before anything is installed.
int NeedsInstallDirectory(const SetupComponent *component);
