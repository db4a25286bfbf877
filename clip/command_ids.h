/* Command identifiers of the menu and of the restore request. Plain
   #defines, because the resource compiler reads this header too. */
#pragma once

#define IDM_START_WITH_WINDOWS 39998
#define IDM_TRAY 39999
#define IDM_UNDO_FIX 40000
#define IDM_CLEAN 40001
#define IDM_SHOW_HIDDEN 40002
#define IDM_FIX_ALL 40003
#define IDM_FIX 40004
#define IDM_MIN 40005
#define IDM_RESTORE 40007
#define IDM_EXIT 40008
#define IDM_HIDE 40009
#define IDM_HELP 40010
#define IDM_ABOUT 40011
#define IDM_DEFAULT 40012
#define IDM_FORMAT_FIRST 40013
