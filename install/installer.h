// Installing one component: copy, self-registration, video-driver entries.
#pragma once
#include "catalog/components.h"
#include "catalog/probe.h"

// What a step that failed without an error code of its own answers: never
// 0, so that the failure never reads as success.
#define FAILED_WITHOUT_CODE ((DWORD)-1)

// What ShellExecuteA's own failure result (0 to 32) means as a system error
// code; FAILED_WITHOUT_CODE where no system code means the same.
DWORD ShellExecuteError(UINT_PTR result);

// 0 on success (or when passed over), else the error code of the failed step.
DWORD InstallComponent(const SystemProbe *probe, SetupComponent *component);

// Where a run was cut short between setting a component's old file aside
// and moving the new one in, the old file lies under our name with none under
// its own: moves each such file of the component table back. Called before
// anything reads the machine, so that nothing sees it as the cut left it.
void RestoreSetAsideFiles(const SystemProbe *probe);
