// Identifiers of the dialog templates and their controls.
#pragma once

// The file's icon
#define IDI_SETUP               1

// Dialog templates
#define IDD_COMPONENTS          101
#define IDD_PROGRESS            102
#define IDD_SKIPPED             103
#define IDD_DIRECTORY           104

// Component list and skipped list pages
#define IDC_LIST_TEXT           1000

// Progress page
#define IDC_PROGRESS_ITEMS      1001
#define IDC_PROGRESS_STATUS     1002

// Install directory page
#define IDC_DIRECTORY_EDIT      1003
#define IDC_BROWSE              1004

// Fixed text labels
#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
