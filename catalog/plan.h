// Sorting the component table into what is shown, installed and skipped, and
// where each component's file comes from and goes.
#pragma once
#include "catalog/components.h"
#include "catalog/probe.h"

// Filled from the first slot on and closed by a null pointer; one slot for
// every row of the table and one for the null.
typedef SetupComponent *ComponentList[COMPONENT_ROWS + 1];

struct ComponentPlan {
    ComponentList allComponents;
    ComponentList installList;
    ComponentList skipList;
};

// Plans a table of at most COMPONENT_ROWS rows on what the probe found,
// writing the skip reasons into the rows.
void PlanComponents(const SystemProbe *probe, SetupComponent *table, ComponentPlan *plan);

// source = ".\" + file name; target = help or system directory + "\" + file
// name. Answers 0, with both empty and the last error set, when there is no
// directory or a path would not fit: never a cut path.
int BuildComponentPaths(char (&source)[MAX_PATH], char (&target)[MAX_PATH], const SetupComponent *component,
                        const SystemProbe *probe);
