#include "browser/TrackKeys.h"

#include "database/Library.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>

namespace quaverly::browser {
namespace {

// Case-insensitive collation in the user's language. In the C locale Qt's
// collator bypasses ICU and ignores the case setting for sort keys, so English
// rules stand in for it there.
QCollator caseInsensitiveCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

TrackKeys::TrackKeys(const database::Library& library)
{
    build(library, Field::Genre);
    build(library, Field::Artist);
    build(library, Field::Album);
}

const QString& TrackKeys::text(const database::Library& library, Field field, int track)
{
    const database::TrackRecord& record = library.Tracks[size(track)];
    switch (field) {
    case Field::Genre:
        return record.Genre;
    case Field::Artist:
        return record.Artist;
    case Field::Album:
        break;
    }
    return record.Album;
}

void TrackKeys::build(const database::Library& library, Field field)
{
    FieldKeys& keys = m_fields[idx(field)];
    const int count = library.TrackCount();
    keys.groupOfTrack.assign(size(count), -1);

    // Most tracks repeat a spelling already met, so look the exact text up
    // first and fold only new spellings.
    QHash<QString, int> byExact;
    QHash<QString, int> byFolded;
    std::vector<QString> representative; // first spelling per group
    for (int i = 0; i < count; ++i) {
        const QString& value = text(library, field, i);
        int group = byExact.value(value, -1);
        if (group < 0) {
            const QString folded = value.toCaseFolded();
            group = byFolded.value(folded, -1);
            if (group < 0) {
                group = static_cast<int>(representative.size());
                byFolded.insert(folded, group);
                representative.push_back(value);
                if (value.isEmpty())
                    keys.emptyGroup = group;
            }
            byExact.insert(value, group);
        }
        keys.groupOfTrack[size(i)] = group;
    }

    std::vector<int> order(representative.size());
    for (size_t g = 0; g < order.size(); ++g)
        order[g] = static_cast<int>(g);
    const QCollator collator = caseInsensitiveCollator();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(representative.size());
    for (const QString& value : representative)
        sortKeys.push_back(collator.sortKey(value));
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return sortKeys[size(a)].compare(sortKeys[size(b)]) < 0; });

    keys.rankOfGroup.assign(representative.size(), 0);
    int rank = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && sortKeys[size(order[k - 1])].compare(sortKeys[size(order[k])]) != 0)
            ++rank;
        keys.rankOfGroup[size(order[k])] = rank;
    }
}

} // namespace quaverly::browser
