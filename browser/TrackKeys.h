#pragma once
#include <QString>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// Grouping keys for the genre, artist and album of every track, computed once
/// per library so the browser never compares strings while filtering.
///
/// Two tracks share a group exactly when their texts are equal ignoring letter
/// case; the empty text is a group of its own (emptyGroup()). Ranks order the
/// groups as the song list's default sort does: ignoring letter case, in the
/// user's collation (English rules in the C locale); groups the collation
/// calls equal share a rank.
class TrackKeys
{
public:
    enum class Field { Genre = 0, Artist = 1, Album = 2 };

    explicit TrackKeys(const database::Library& library);

    [[nodiscard]] int group(Field field, int track) const { return m_fields[idx(field)].groupOfTrack[size(track)]; }
    [[nodiscard]] int rank(Field field, int track) const
    {
        const auto& f = m_fields[idx(field)];
        return f.rankOfGroup[size(f.groupOfTrack[size(track)])];
    }
    [[nodiscard]] int groupCount(Field field) const
    {
        return static_cast<int>(m_fields[idx(field)].rankOfGroup.size());
    }
    /// The group of the empty text, or -1 when no track has an empty one.
    [[nodiscard]] int emptyGroup(Field field) const { return m_fields[idx(field)].emptyGroup; }
    /// The text of the field for a track.
    [[nodiscard]] static const QString& text(const database::Library& library, Field field, int track);

private:
    struct FieldKeys
    {
        std::vector<int> groupOfTrack;
        std::vector<int> rankOfGroup;
        int emptyGroup = -1;
    };
    static size_t idx(Field field) { return static_cast<size_t>(field); }
    static size_t size(int i) { return static_cast<size_t>(i); }
    void build(const database::Library& library, Field field);

    FieldKeys m_fields[3];
};

} // namespace quaverly::browser
