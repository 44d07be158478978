// Sorting the component table into what is shown, installed and skipped, and
// where each component's file comes from and goes.
#pragma once
#include "catalog/components.h"

#define COMPONENT_LIST_SLOTS 12

// Filled from the first slot on and closed by a null pointer.
typedef SetupComponent *ComponentList[COMPONENT_LIST_SLOTS];

extern ComponentList allComponents;
extern ComponentList installList;
extern ComponentList skipList;

extern const char REASON_NO_WININET[];
extern const char REASON_NO_IE4_OR_DSHOW[];
extern const char REASON_NEWER_INSTALLED[];

void PlanComponents(SetupComponent ***all, SetupComponent ***install, SetupComponent ***skip);

// The planning pass over any table; PlanComponents runs it on g_componentTable.
void PlanTable(SetupComponent *table);

// source = ".\" + file name; target = help or system directory + "\" + file
// name, both MAX_PATH buffers. Answers 0, with both empty and the last error
// set, when there is no directory or a path would not fit: never a cut path.
int BuildComponentPaths(char *source, char *target, const SetupComponent *component);
