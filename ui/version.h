// The package's name, maker and version, which setup.exe's version resource
// (setup.rc) and the demo medium's components (medium/version.rci) carry
// alike, and setup.exe's own description and file name. Windows-1252 text.
#define PRODUCT_NAME            "Orvid\256 video 5.0"
#define PRODUCT_COMPANY         "Kalor"
#define PRODUCT_VERSION         5,0,0,17
#define PRODUCT_VERSION_TEXT    "5.0.0.17"
#define SETUP_DESCRIPTION       "Orvid\256 video 5.0 Setup"
#define SETUP_FILE              "setup.exe"
