// The package's built-in component table and its behaviour flags.
#pragma once
#include <windows.h>

#define COMP_CHECK_VERSION      0x001   // skip when the installed copy is newer
#define COMP_COPY               0x002   // copy from the setup directory
#define COMP_REGISTER           0x004   // self-register through RegSvr32.exe
#define COMP_BLOCKED            0x008   // run time only: dependents are not installed
#define COMP_HELP_DIR           0x010   // goes to the help directory
#define COMP_BLOCKS_DEPENDENTS  0x020   // a skip as older or a failed copy/registration blocks dependents
#define COMP_NEEDS_PARENT       0x040   // not installed while parent is blocked
#define COMP_NEEDS_IE4_OR_DSHOW 0x080   // skipped unless Internet Explorer 4 or DirectShow is found
#define COMP_NEEDS_WININET      0x100   // skipped unless wininet.dll loads
// 0x200 and 0x400 mean nothing: the driver bit keeps the value it always had.
#define COMP_YVU9_DRIVER        0x800   // write the YVU9 video-driver entries

struct SetupComponent {
    const char *fileName;       // bare file name; null in a display-only row
    const char *displayName;    // null for rows never shown by name
    const char *reason;         // why skipped or failed; set at run time, points at a static text
    DWORD flags;
    SetupComponent *parent;     // read only with COMP_NEEDS_PARENT
};

// Rows named by their place in the table; the table has one more, closing row.
enum {
    ROW_VIDEO_CODEC = 0,
    ROW_FLOWCASTER_FILTER,
    ROW_SWIFT,
    ROW_SWIFT_VECTRIX,
    ROW_YVU9,
    ROW_HELP_CNT,
    ROW_HELP_HLP,
    ROW_HELP_BMP,
    ROW_AUDIO_CODEC,
    ROW_BLANK,
    ROW_FOOTNOTE,
    COMPONENT_ROWS
};

// Ends at the first row whose fileName and displayName are both null.
extern SetupComponent g_componentTable[COMPONENT_ROWS + 1];

// Why a row is skipped or failed, as the skipped page would say; a row points
// at one of these texts, never at a copy.
extern const char REASON_NO_WININET[];
extern const char REASON_NO_IE4_OR_DSHOW[];
extern const char REASON_NEWER_INSTALLED[];
extern const char REASON_COPY_FAILED[];
extern const char REASON_REGISTER_FAILED[];
extern const char REASON_REGISTRY_FAILED[];

// Gives the row its reason, and decides whether that blocks what depends on
// the row: planning and the installer both set reasons through it.
void SetReason(SetupComponent *row, const char *reason);
// A row that needs its parent is passed over while that is blocked.
int IsParentBlocked(const SetupComponent *row);
