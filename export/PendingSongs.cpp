#include "export/PendingSongs.h"

#include "database/Library.h"

#include <QSet>

namespace quaverly::exporting {

void PendingSongs::AddSongs(const std::vector<int>& trackIndexes)
{
    m_indexes.clear();
    m_indexes.reserve(trackIndexes.size());
    QSet<int> seen;
    seen.reserve(static_cast<qsizetype>(trackIndexes.size()));
    for (const int index : trackIndexes) {
        if (!seen.contains(index)) {
            seen.insert(index);
            m_indexes.push_back(index);
        }
    }
}

void PendingSongs::remove(const std::vector<int>& positions)
{
    std::vector<bool> drop(m_indexes.size(), false);
    for (const int position : positions) {
        if (position >= 0 && position < size())
            drop[static_cast<size_t>(position)] = true;
    }
    size_t kept = 0;
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        if (!drop[i])
            m_indexes[kept++] = m_indexes[i];
    }
    m_indexes.resize(kept);
}

QStringList PendingSongs::lines(const database::Library& library) const
{
    QStringList result;
    result.reserve(size());
    for (const int index : m_indexes) {
        if (index < 0 || index >= library.TrackCount()) {
            result.append(QString());
            continue;
        }
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(index)];
        result.append(track.Artist + QStringLiteral(" - ") + track.Title);
    }
    return result;
}

} // namespace quaverly::exporting
