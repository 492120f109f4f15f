#pragma once
#include <QListView>
#include <QStringList>

#include <vector>

class QStringListModel;

namespace quaverly::browser {

/// One of the four browser lists. The window fills it from the browser
/// state; every selection change the user makes (click, Ctrl-click,
/// Shift-click, keys) is reported once as `Click(current, selectedRows)`,
/// where `current` is the entry acted on last, selected or not. Changes made
/// by the program raise nothing.
class BrowserListBox : public QListView
{
    Q_OBJECT
public:
    BrowserListBox(bool multiSelect, QWidget* parent);

    /// Replaces the entries and selects `selectedRows` with `current` as the
    /// current entry, silently.
    void setEntries(const QStringList& entries, int current, const std::vector<int>& selectedRows);
    [[nodiscard]] QStringList entries() const;
    [[nodiscard]] int count() const;
    [[nodiscard]] int currentRow() const;
    [[nodiscard]] std::vector<int> selectedRowList() const;

Q_SIGNALS:
    void Click(int current, const std::vector<int>& selectedRows);
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Selection and current entry settle within one event; the click is
    /// raised once, after both.
    void scheduleClick();
    void emitClick();

    QStringListModel* m_model;
    bool m_silent = false;
    bool m_clickPending = false;
};

} // namespace quaverly::browser
