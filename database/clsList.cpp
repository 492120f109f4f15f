#include "database/clsList.h"

#include "database/DebugTrace.h"
#include "ui/modPerfCount.h"

#include <stdexcept>

namespace quaverly::database {
namespace {

// The leading number of a text (0 when there is none), as the numeric search compares.
double leadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    while (end < t.size() && (t[end].isDigit() || t[end] == QLatin1Char('.')))
        ++end;
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

void clsList::checkIndex(int index) const
{
    if (index < 0 || index >= ListCount())
        throw std::out_of_range("clsList index out of range");
}

void clsList::Selected(int index, bool selected)
{
    if (selected)
        m_selected = index;
    else if (m_selected == index)
        m_selected = kNoSelection;
}

void clsList::AddItem(const QString& text)
{
    m_items.push_back(text);
}

QString clsList::Text() const
{
    if (m_selected < 0 || m_selected >= ListCount())
        return {};
    return m_items[static_cast<size_t>(m_selected)];
}

void clsList::setText(const QString& text)
{
    if (m_selected < 0 || m_selected >= ListCount())
        return;
    m_items[static_cast<size_t>(m_selected)] = text;
}

void clsList::Clear()
{
    m_items.clear();
    m_selected = kNoSelection;
}

void clsList::setListIndex(int index)
{
    // The item array keeps one entry even when empty, so 0 is always accepted.
    if (index <= std::max(0, ListCount() - 1))
        m_selected = index;
}

void clsList::RemoveItem(int index)
{
    checkIndex(index);
    m_items.erase(m_items.begin() + index);
    if (m_items.empty())
        m_selected = kNoSelection;
}

const QString& clsList::list(int index) const
{
    checkIndex(index);
    return m_items[static_cast<size_t>(index)];
}

QString clsList::GetWholeList(const QString& pattern) const
{
    QString whole;
    for (size_t i = 0; i < m_items.size(); ++i) {
        QString piece = pattern;
        piece.replace(QLatin1String("NUMBER"), QString::number(i + 1), Qt::CaseSensitive);
        if (!whole.isEmpty())
            whole += QLatin1String("\r\n");
        whole += piece + m_items[i];
    }
    return whole;
}

void clsList::BuBBleSort()
{
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int i = 0; i + 1 < ListCount(); ++i) {
            if (m_items[i].toLower() > m_items[i + 1].toLower()) {
                SwapValues(i, i + 1);
                swapped = true;
            }
        }
    }
}

void clsList::Quicksort(int first, int last)
{
    // Iterate on the larger part so the recursion depth stays logarithmic.
    while (first < last) {
        std::uniform_int_distribution<int> pick(first, last);
        const int k = pick(m_random);
        const QString v = m_items[k];
        m_items[k] = m_items[first];
        int lo = first;
        int hi = last;
        for (;;) {
            while (!(m_items[hi] < v)) {
                --hi;
                if (hi <= lo)
                    break;
            }
            if (hi <= lo) {
                m_items[lo] = v;
                break;
            }
            m_items[lo] = m_items[hi];
            ++lo;
            while (m_items[lo] < v) {
                ++lo;
                if (lo >= hi)
                    break;
            }
            if (lo >= hi) {
                lo = hi;
                m_items[hi] = v;
                break;
            }
            m_items[hi] = m_items[lo];
        }
        if (lo - first < last - lo) {
            Quicksort(first, lo - 1);
            first = lo + 1;
        } else {
            Quicksort(lo + 1, last);
            last = lo - 1;
        }
    }
}

void clsList::QuicksortMain()
{
    m_random.seed(std::random_device {}());
    Quicksort(0, ListCount() - 1);
}

void clsList::InsertionSort(ui::modPerfCount* timer)
{
    if (timer)
        timer->PerfStart();
    const bool small = ListCount() <= 101;
    if (small) {
        for (int i = 0; i + 1 < ListCount(); ++i) {
            int m = i;
            for (int j = i; j < ListCount(); ++j) {
                if (m_items[m] > m_items[j])
                    m = j;
            }
            SwapValues(i, m);
        }
    } else {
        QuicksortMain();
    }
    if (timer) {
        timer->PerfStop();
        DebugTrace((small ? QStringLiteral("Insertion Sort took : ") : QStringLiteral("Quicksort took : "))
                   + QString::number(timer->PerfElapsed()));
    }
}

void clsList::SwapValues(int a, int b)
{
    checkIndex(a);
    checkIndex(b);
    std::swap(m_items[a], m_items[b]);
}

int clsList::LinearSearch(const QString& text, int compareMode) const
{
    const Qt::CaseSensitivity cs = compareMode == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < ListCount(); ++i) {
        if (m_items[i].compare(text, cs) == 0)
            return i;
    }
    return -1;
}

int clsList::BinarySearch(const QString& text, int first, int& last, bool numeric) const
{
    if (last == kNoSelection)
        last = ListCount() - 1;
    if (ListCount() == 0)
        return -1;
    const double wanted = numeric ? leadingNumber(text) : 0.0;
    int lo = std::max(0, first);
    int hi = std::min(last, ListCount() - 1);
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        int order = 0;
        if (numeric) {
            const double here = leadingNumber(m_items[mid]);
            order = here < wanted ? -1 : (here > wanted ? 1 : 0);
        } else {
            order = m_items[mid].compare(text);
        }
        if (order == 0)
            return mid;
        if (order > 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return -1;
}

void clsList::CopyFromList(const clsList& source)
{
    Clear();
    for (int i = 0; i < source.ListCount(); ++i)
        AddItem(source.list(i));
}

} // namespace quaverly::database
