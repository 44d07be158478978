// The package's components, in the order they are listed, planned and installed.
#include "catalog/components.h"

SetupComponent g_componentTable[] = {
    { "ovcodec.dll", "Orvid\xAE video codec", NULL,
      COMP_CHECK_VERSION | COMP_COPY | COMP_REGISTER | COMP_BLOCKS_DEPENDENTS, NULL },
    { "ovflow.ax", "Orvid\xAE video Flowcaster DirectShow* filter", NULL,
      COMP_CHECK_VERSION | COMP_COPY | COMP_REGISTER | COMP_NEEDS_IE4_OR_DSHOW | COMP_NEEDS_WININET, NULL },
    { "ovswift.dll", "Orvid\xAE video Swift Encoder", NULL,
      COMP_CHECK_VERSION | COMP_COPY, NULL },
    { "ovswiftx.dll", "Orvid\xAE video Swift Encoder designed for Vectrix(TM) Technology", NULL,
      COMP_CHECK_VERSION | COMP_COPY, NULL },
    { "ovyvu9.dll", "Orvid\xAE raw (YVU9) codec", NULL,
      COMP_CHECK_VERSION | COMP_COPY | COMP_YVU9_DRIVER, NULL },
    // Help files go with the video codec: not installed when it is blocked.
    { "orvid.cnt", NULL, NULL, COMP_COPY | COMP_HELP_DIR | COMP_NEEDS_PARENT, &g_componentTable[ROW_VIDEO_CODEC] },
    { "orvid.hlp", NULL, NULL, COMP_COPY | COMP_HELP_DIR | COMP_NEEDS_PARENT, &g_componentTable[ROW_VIDEO_CODEC] },
    { "ovview.bmp", NULL, NULL, COMP_COPY | COMP_HELP_DIR | COMP_NEEDS_PARENT, &g_componentTable[ROW_VIDEO_CODEC] },
    { "ovaudio.ax", "Orvid\xAE audio codec", NULL,
      COMP_CHECK_VERSION | COMP_COPY | COMP_REGISTER, NULL },
    // Display-only rows: a blank line and the footnote for the asterisks.
    { NULL, " ", NULL, 0, NULL },
    { NULL, "* Brand, name or Trademark owned by another company", NULL, 0, NULL },
    { NULL, NULL, NULL, 0, NULL }
};

// A row added without its name, or a name without its row, does not build:
// the lists of planning are sized from the names.
static_assert(sizeof(g_componentTable) / sizeof(g_componentTable[0]) == COMPONENT_ROWS + 1,
              "the row names follow the table");

const char REASON_NO_WININET[] = "Wininet.dll is not installed";
const char REASON_NO_IE4_OR_DSHOW[] = "Neither Internet Explorer* version 4 nor DirectShow* is installed";
const char REASON_NEWER_INSTALLED[] = "A newer version of the file is already installed.";
const char REASON_COPY_FAILED[] = "CopyFile failure";
const char REASON_REGISTER_FAILED[] = "regsvr32.exe failure";
const char REASON_REGISTRY_FAILED[] = "failure to set registry entries";

void SetReason(SetupComponent *row, const char *reason)
{
    row->reason = reason;
    // A file kept as newer, or not put in place, or not registered, blocks
    // what builds on it in a row that says so; a missing prerequisite and the
    // driver's entries block nothing.
    if ((reason == REASON_NEWER_INSTALLED || reason == REASON_COPY_FAILED || reason == REASON_REGISTER_FAILED) &&
        (row->flags & COMP_BLOCKS_DEPENDENTS))
        row->flags |= COMP_BLOCKED;
}

int IsParentBlocked(const SetupComponent *row)
{
    return (row->flags & COMP_NEEDS_PARENT) && row->parent && (row->parent->flags & COMP_BLOCKED);
}
