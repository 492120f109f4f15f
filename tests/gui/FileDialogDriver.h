#pragma once
// Drives the real Qt file dialogs (non-native) from a test as a user would:
// wait for the modal dialog, click its entries and buttons, type in its boxes.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace quaverly::testing {

/// Runs `steps` on the modal file dialog once it is up; whatever they leave
/// open is cancelled, so no test can hang on a dialog.
inline void whenFileDialogShows(std::function<void(QFileDialog*)> steps)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, steps] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        steps(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

/// The dialog's file list.
inline QListView* fileList(QFileDialog* dialog)
{
    return dialog->findChild<QListView*>(QStringLiteral("listView"));
}

/// The row of `name` in the dialog's file list, once the list has read its
/// folder and shows it; invalid while it is not listed.
inline QModelIndex shownEntry(QFileDialog* dialog, const QString& name)
{
    QListView* list = fileList(dialog);
    if (!list || !list->model())
        return {};
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
        const QModelIndex index = model->index(row, 0, list->rootIndex());
        if (index.data().toString() == name && list->visualRect(index).isValid())
            return index;
    }
    return {};
}

/// Every name the dialog's file list shows.
inline QStringList shownEntries(QFileDialog* dialog)
{
    QStringList names;
    QListView* list = fileList(dialog);
    if (!list || !list->model())
        return names;
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names.append(list->model()->index(row, 0, list->rootIndex()).data().toString());
    return names;
}

/// Clicks the entry `name` until it is selected: a list that has just read or
/// filtered its folder may still move its entries (it sorts them a moment
/// later), and a user would click again too. False when it never was.
[[nodiscard]] inline bool clickEntry(QFileDialog* dialog, const QString& name)
{
    QListView* list = fileList(dialog);
    return QTest::qWaitFor(
        [&] {
            const QModelIndex entry = shownEntry(dialog, name);
            if (!entry.isValid())
                return false;
            if (!list->selectionModel()->isSelected(entry))
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(entry).center());
            QCoreApplication::processEvents(); // a pending sort or filter runs before the selection is looked at
            return list->selectionModel()->isSelected(shownEntry(dialog, name));
        },
        5000);
}

/// The accept button ("&Open" or "&Choose").
inline QPushButton* acceptButton(QFileDialog* dialog)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
}

inline QLineEdit* nameBox(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

inline QComboBox* filterBox(QFileDialog* dialog)
{
    return dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

} // namespace quaverly::testing
