#include "database/Library.h"

namespace quaverly::database {

void Library::BuildTrackIndex()
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

QString Library::GetTrackField(qint32 uin, int kind) const
{
    const int index = indexOfUIN(uin);
    if (index < 0)
        return {};
    const TrackRecord& track = Tracks[static_cast<size_t>(index)];
    switch (static_cast<TrackField>(kind)) {
    case TrackField::Title:
        return track.Title;
    case TrackField::Artist:
        return track.Artist;
    case TrackField::Album:
        return track.Album;
    case TrackField::Genre:
        return track.Genre;
    case TrackField::Index:
        return QString::number(index);
    }
    return {};
}

} // namespace quaverly::database
