// The colour dialog, driven as a user would: the modal dialog is found once it is shown, a colour is chosen
// and the dialog accepted or cancelled.
#include "ui/widgets/CommonDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

using namespace quaverly::ui;

class tst_CommonDialog : public QObject
{
    Q_OBJECT

    // Runs `drive` on the colour dialog as soon as it is the active modal window.
    static void whenShown(const std::function<void(QColorDialog*)>& drive)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, drive] {
            if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                drive(dialog);
            }
        });
        timer->start();
    }

private Q_SLOTS:
    void chosenColourIsAnswered()
    {
        QWidget owner;
        CommonDialog dialogs;
        QColor shownFirst;
        whenShown([&shownFirst](QColorDialog* dialog) {
            shownFirst = dialog->currentColor();
            dialog->setCurrentColor(QColor(10, 200, 30));
            dialog->accept();
        });
        const ColorResult result = dialogs.ShowColor(&owner, true, QColor(255, 0, 0));
        QCOMPARE(shownFirst, QColor(255, 0, 0));
        QVERIFY(!result.cancelled);
        QCOMPARE(result.colour, QColor(10, 200, 30));
    }

    void cancelledDialogAnswersBlack()
    {
        CommonDialog dialogs;
        whenShown([](QColorDialog* dialog) {
            dialog->setCurrentColor(QColor(10, 200, 30));
            dialog->reject();
        });
        const ColorResult result = dialogs.ShowColor(nullptr, false, QColor(255, 0, 0));
        QVERIFY(result.cancelled);
        QCOMPARE(result.colour, QColor(0, 0, 0));
    }

    // The custom colours start near-white once; a colour the user keeps there stays for the next dialog.
    void customColoursStartNearWhiteOnce()
    {
        QColorDialog::setCustomColor(0, QColor(1, 2, 3));
        CommonDialog dialogs;
        whenShown([](QColorDialog* dialog) { dialog->reject(); });
        (void)dialogs.ShowColor(nullptr, false, Qt::white);
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QCOMPARE(QColorDialog::customColor(i), QColor(254, 254, 254));

        QColorDialog::setCustomColor(3, QColor(7, 8, 9));
        whenShown([](QColorDialog* dialog) { dialog->reject(); });
        (void)dialogs.ShowColor(nullptr, false, Qt::white);
        QCOMPARE(QColorDialog::customColor(3), QColor(7, 8, 9));
    }
};

QTEST_MAIN(tst_CommonDialog)
#include "tst_CommonDialog.moc"
