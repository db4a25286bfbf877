#include "clip/viewer_chain.h"

void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_viewer.next_viewer) return;
    DWORD_PTR result;
    SendMessageTimeoutA(g_viewer.next_viewer, message, wParam, lParam, SMTO_ABORTIFHUNG,
                        kPassOnTimeoutMs, &result);
}
