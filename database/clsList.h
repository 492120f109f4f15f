#pragma once
#include <QString>
#include <QStringList>

#include <random>
#include <vector>

namespace quaverly::ui {
class modPerfCount;
}

namespace quaverly::database {

/// An ordered list of texts with a list box's vocabulary (AddItem, RemoveItem,
/// ListCount, ListIndex, Text, list) plus sorts and searches. Indexes are
/// 0-based; -99 means no item is selected; searches answer -1 when nothing is
/// found. Out-of-range access throws std::out_of_range.
class clsList
{
public:
    static constexpr int kNoSelection = -99;

    void Selected(int index, bool selected);
    [[nodiscard]] bool Selected(int index) const { return index == m_selected; }

    void AddItem(const QString& text);
    [[nodiscard]] QString Text() const;
    void setText(const QString& text);
    void Clear();
    [[nodiscard]] int ListCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] int ListIndex() const { return m_selected; }
    /// Stores the index when it is not beyond the last item; a larger one is ignored.
    void setListIndex(int index);
    void RemoveItem(int index);
    [[nodiscard]] const QString& list(int index) const;

    /// Every item, each after `pattern` with "NUMBER" replaced by its 1-based
    /// position, joined by CR LF.
    [[nodiscard]] QString GetWholeList(const QString& pattern) const;

    /// Ascending, ignoring letter case, stable.
    void BuBBleSort();
    /// Ascending by character codes (random pivot) over items first..last.
    void Quicksort(int first, int last);
    void QuicksortMain();
    /// The program's sort: exact ascending order; a selection sort up to 101
    /// items, the quicksort above. Times itself when given a timer.
    void InsertionSort(ui::modPerfCount* timer = nullptr);
    void SwapValues(int a, int b);

    /// compareMode 0: exact; 1: letter case ignored.
    [[nodiscard]] int LinearSearch(const QString& text, int compareMode) const;
    /// Searches items first..last of an ascending list. last == -99 means the
    /// last item, and is then set to that index. numeric: compare the leading
    /// numbers of the texts.
    [[nodiscard]] int BinarySearch(const QString& text, int first, int& last, bool numeric) const;

    template <typename Target> void CopyToList(Target& target) const
    {
        target.Clear();
        for (const QString& item : m_items)
            target.AddItem(item);
    }
    void CopyFromList(const clsList& source);

    [[nodiscard]] const std::vector<QString>& items() const { return m_items; }

private:
    void checkIndex(int index) const;

    std::vector<QString> m_items;
    int m_selected = kNoSelection;
    std::mt19937 m_random { std::random_device {}() };
};

} // namespace quaverly::database
