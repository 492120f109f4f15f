#include "database/Library.h"

namespace quaverly::database {

void Library::buildTrackIndex()
{
    TrackIndexByUIN.clear();
    TrackIndexByUIN.reserve(static_cast<qsizetype>(Tracks.size()));
    // QHash::insert replaces, so walk backwards to let the first track win.
    for (int i = TrackCount() - 1; i >= 0; --i)
        TrackIndexByUIN.insert(Tracks[static_cast<size_t>(i)].UIN, i);
}

int Library::indexOfUIN(qint32 uin) const
{
    return TrackIndexByUIN.value(uin, -1);
}

} // namespace quaverly::database
