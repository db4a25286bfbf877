#include "clip/viewer_state.h"

ViewerState g_viewer;
