// Installing one component: copy, self-registration, video-driver entries.
#pragma once
#include "catalog/components.h"
#include "catalog/probe.h"

struct RegistryEntry {
    const char *subKey;         // under HKEY_LOCAL_MACHINE; null ends a list
    const char *valueName;      // null: the value name is the target path
    const char *data;           // null: the data is the target path
};

extern const char DRIVER_DESCRIPTION[];

// Why a component failed, as the skipped page would say.
extern const char REASON_COPY_FAILED[];
extern const char REASON_REGISTER_FAILED[];
extern const char REASON_REGISTRY_FAILED[];

// 0 on success (or when passed over), else the error code of the failed step.
DWORD InstallComponent(const SystemProbe *probe, SetupComponent *component);
