#include "app/viewer_window.h"

const WCHAR kClassName[] = WIDE_TEXT("Varnelo");
const WCHAR kWindowTitle[] = WIDE_TEXT("Varnelo for Win/95");
const char kHelpCaption[] = "Varnelo for Win/95";
const char kAboutCaption[] = "About Varnelo";
const char kCannotOpen[] = "Unable to open clipboard.";
const char kNoTextOrBitmap[] = "No TEXT or BITMAP data in clipboard.";
const char kPrivateData[] = "Private data in clipboard.";
const char kStartTurnedOff[] =
    "Varnelo's start with Windows is turned off in Task Manager (Startup).  Turn it on there "
    "to have Varnelo start when you log on.";

const char HelpText[] =
    "This program removes the annoying CR/LF at the end of all TEXT data Copied to the "
    "ClipBoard.  This allows much more useful Pasting in many programs, especially DOS "
    "programs.  To use it, just run it.  To have it start when you log on, check File/Start "
    "with Windows.\n"
    "\n"
    "The main window and its title show the current contents of the ClipBoard if it contains "
    "CF_TEXT or CF_BITMAP format data.\n"
    "\n"
    "Menu Commands:\n"
    "\tFile/Fix     \ttoggles whether Varnelo removes CR/LF.\n"
    "\tFile/Remove hidden\ttoggles whether Varnelo removes hidden characters.\n"
    "\tFile/Start with Windows\tstarts Varnelo at logon with the choices made now.\n"
    "\tFile/Undo fix\tputs back the text as it was before the last fix (Ctrl+Z).\n"
    "\tFile/Exit    \texits Varnelo.\n"
    "\tView/Hide\twill hide Varnelo's window.\n"
    "\tView/Min \twill minimize Varnelo's window.\n"
    "\tView/Show hidden\tshows line breaks and hidden characters, and counts them.\n"
    "\tView/Icon in notification area\tputs Varnelo's icon there, without a taskbar button.\n"
    "\tFormat/Default\tis the default TEXT or BITMAP display.\n"
    "\tFormat/????\tdisplays other available formats as text strings;\n"
    "\t\t\tthese are shown in priority order.\n"
    "\n"
    "Command Line options for how the window is initially displayed:\n"
    "\t-hide\t\tHidden\t(run Varnelo a 2nd time to restore)\n"
    "\t-normal\t\tNormal\n"
    "\t-min\t\tMinimized \t(default)\n"
    "\t-Max\t\tMaximized\n"
    "\n"
    "Other Command Line options:\n"
    "\t-viewonly\t\tClipboard Viewer only (don't remove CR/LF)\n"
    "\t-all\t\tRemove CR/LF from text of every kind, not only OEM text\n"
    "\t-clean\t\tRemove hidden characters too (zero-width, BOM, controls...)\n"
    "\t-show\t\tShow line breaks and hidden characters, and count them\n"
    "\t-tray\t\tIcon in the notification area; minimized means hidden there\n"
    "\t-?\t\tDisplay this message";

const char AboutText[] =
    "Varnelo\n"
    "Win/95\n"
    "Written by the Varnelo developers.\n"
    "Free to copy, use and give away.";
