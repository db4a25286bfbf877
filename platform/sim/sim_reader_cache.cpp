// The reading process's cache of clipboard data, as Wine 8 keeps it: what a
// process fetched is answered from its own copy until it opens the
// clipboard again while another process owns it; what it placed, always.
// A format it converts is put on the clipboard and fetched from the cache,
// and later readers get it as placed. The locale is made by Wine's server,
// not converted by the reader.
#include <algorithm>

#include "sim_internal.h"

namespace sim::internal {

namespace {

bool Contains(const std::vector<UINT>& formats, UINT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

}  // namespace

void NoteOpen(Clipboard& clipboard) {
    if (clipboard.owner != clipboard.opened_by) clipboard.read_in_session.clear();
}

void NoteRead(Clipboard& clipboard, UINT format, bool derived) {
    const bool own = clipboard.owner == clipboard.opened_by;
    const bool read_again = Contains(clipboard.read_in_session, format);
    const bool conversion =
        derived && format != CF_LOCALE && !Contains(clipboard.converted, format);
    if (own || read_again || conversion) ++clipboard.cached_answers;
    if (!read_again) clipboard.read_in_session.push_back(format);
    if (conversion) clipboard.converted.push_back(format);
}

}  // namespace sim::internal

namespace sim {

int CachedAnswers() {
    return internal::TheDesktop().clipboard.cached_answers;
}

}  // namespace sim
