// Resource ids shared by vorlix.rc and the Windows module.
#pragma once

#define IDI_VORLIX 100
#define IDD_CONFIGURE 2003
#define IDC_RES_640 1000
#define IDC_RES_800 1001
#define IDC_RES_1024 1002
#define IDC_RES_1152 1003
#define IDC_RES_1280 1004
#define IDC_RES_1600 1005
#define IDC_DENSITY 1006
#define IDC_HIGHLIGHT 1007
#define IDS_DESCRIPTION 1
