#pragma once
#include <QStringList>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::exporting {

/// The songs waiting in the extraction window: track indexes (0-based, into
/// Library::Tracks), each at most once, in the order they were added.
/// Position i of the window's list always names pending entry i.
class PendingSongs
{
public:
    /// Starts a new list from `trackIndexes`, in their order; a repeated
    /// index is kept at its first place only.
    void AddSongs(const std::vector<int>& trackIndexes);
    /// Drops the entries at the given positions (any order, repeats and
    /// positions out of range ignored); the others keep their order.
    void remove(const std::vector<int>& positions);

    [[nodiscard]] const std::vector<int>& indexes() const { return m_indexes; }
    [[nodiscard]] int size() const { return static_cast<int>(m_indexes.size()); }
    [[nodiscard]] bool isEmpty() const { return m_indexes.empty(); }

    /// One line per entry: artist, " - ", title (empty line for an index
    /// that names no track).
    [[nodiscard]] QStringList lines(const database::Library& library) const;

private:
    std::vector<int> m_indexes;
};

} // namespace quaverly::exporting
