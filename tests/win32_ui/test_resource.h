#pragma once

// Dialogs and control ids of the wrapper tests' own resources.
#define IDD_CONTROLS 100
#define IDD_PAGE 101

#define IDC_BUTTON 1001
#define IDC_PICTURE 1002
#define IDC_LABEL 1003
#define IDC_CHECK 1004
#define IDC_PLAIN_CHECK 1005
#define IDC_GROUP 1006
#define IDC_SLIDER 1007
#define IDC_EDIT 1008
#define IDC_MEMO 1009
#define IDC_DROPDOWN 1010
#define IDC_LIST 1011
#define IDC_TABS 1012
#define IDC_VIEW_MEMO 1013
#define IDC_PASSWORD 1014

#define IDC_PAGE_LABEL 1101
#define IDC_PAGE_BUTTON 1102

// The radio buttons a Win32RadioGroup makes take the ids from here on.
#define IDC_GROUP_ITEMS 1200
