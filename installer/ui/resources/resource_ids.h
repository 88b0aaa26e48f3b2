#ifndef INSTALLER_UI_RESOURCES_RESOURCE_IDS_H_
#define INSTALLER_UI_RESOURCES_RESOURCE_IDS_H_

// Numeric ids of the installer's resources, shared by the code and installer.rc (which the
// resource compiler preprocesses, so these stay plain macros).

// The program icon: icon group 101, the icon the shell shows for installer.exe.
#define IDI_APP 101

// Texts, each in English (1033) and Simplified Chinese (2052).
#define IDS_TITLE 200
#define IDS_LAUNCH 201
#define IDS_DONE 202
#define IDS_MESSAGE_CAPTION 203
#define IDS_INSTALL 204
#define IDS_INSTALLING 205
#define IDS_FINISHED 206
#define IDS_AGREE 207
#define IDS_LICENSE 208
#define IDS_WAIT_FOR_INSTALL 209
#define IDS_CHECK_AGREEMENT 210
#define IDS_FEATURE_LEFT 211
#define IDS_FEATURE_RIGHT 212
#define IDS_CUSTOMIZE 213
#define IDS_DEFAULT 214
#define IDS_INSTALL_PATH 215
#define IDS_SELECT 216
#define IDS_PICK_FOLDER_TITLE 217
#define IDS_FOLDER_REFUSED 218
#define IDS_REGISTRY_FAILED 219
// Names screen readers speak for widgets that show no text of their own.
#define IDS_MINIMIZE_NAME 220
#define IDS_CLOSE_NAME 221
#define IDS_AGREEMENT_BOX_NAME 222

// Page pictures, 1000 pixels wide: the default and custom pages, installing, finished.
#define IDB_PAGE_DEFAULT 102
#define IDB_PAGE_INSTALLING 103
#define IDB_PAGE_FINISHED 104

// Button faces, 32 x 32 on the key colour RGB(115,147,222), which buttons leave out.
#define IDB_CLOSE_NORMAL 105
#define IDB_CLOSE_HOVER 106
#define IDB_CLOSE_PRESSED 107
#define IDB_MINIMIZE_NORMAL 108
#define IDB_MINIMIZE_HOVER 109
#define IDB_MINIMIZE_PRESSED 110
#define IDB_CHECKED 111
#define IDB_CHECKED_HOVER 112
#define IDB_UNCHECKED 113
#define IDB_UNCHECKED_HOVER 114
#define IDB_COLLAPSE 115
#define IDB_COLLAPSE_HOVER 116
#define IDB_EXPAND 117
#define IDB_EXPAND_HOVER 118

#endif  // INSTALLER_UI_RESOURCES_RESOURCE_IDS_H_
