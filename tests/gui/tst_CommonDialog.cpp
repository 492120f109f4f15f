// The dialog wrappers, without showing a dialog.
#include "ui/widgets/CommonDialog.h"
#include "ui/widgets/clsBrowseFolder.h"

#include <QTest>

using namespace quaverly::ui;
using namespace Qt::StringLiterals;

class tst_CommonDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openResult_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("cancelled") << QStringList {} << 0 << QString() << QStringList {} << true;
        QTest::newRow("one file") << QStringList { u"/usr/bin/mpv"_s } << 1 << u"/usr/bin/"_s
                                  << QStringList { u"mpv"_s } << false;
        QTest::newRow("several, in order") << QStringList { u"/opt/a/z.desktop"_s, u"/opt/a/b c.desktop"_s } << 2
                                           << u"/opt/a/"_s << QStringList { u"z.desktop"_s, u"b c.desktop"_s } << false;
    }
    void openResult()
    {
        QFETCH(QStringList, paths);
        const OpenResult result = CommonDialog::resultFromPaths(paths);
        QTEST(result.count, "count");
        QTEST(result.folder, "folder");
        QTEST(result.files, "files");
        QTEST(result.cancelled, "cancelled");
    }

    void folderPickerNeedsAShownDialog()
    {
        clsBrowseFolder picker;
        QCOMPARE(picker.Title, u"Choose Folder"_s);
        QVERIFY(!picker.isShown());
        QCOMPARE(picker.SetFolder(u"/tmp"_s), BrowseFolderError::DialogNotShown);
        QCOMPARE(picker.SetStatus(u"text"_s), BrowseFolderError::DialogNotShown);
    }
};

QTEST_MAIN(tst_CommonDialog)
#include "tst_CommonDialog.moc"
