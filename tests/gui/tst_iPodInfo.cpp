// The iPod Information window: the Sysinfo lines as the device wrote them,
// the facts of SysInfoExtended, and the space line.
#include "devicetools/ui/iPodInfo.h"
#include "tests/common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using namespace quaverly::devicetools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

} // namespace

class tst_iPodInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsSysinfoLinesAndSpace()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath(u"iPod_Control/Device"_s));
        // Written by the device with line feeds, one empty line inside.
        QVERIFY(
            writeFile(dir.path() + u"/iPod_Control/Device/SysInfo"_s,
                      "BoardHwName: iPod Q98\npszSerialNumber: 8K6110DEMO1\n\nvisibleBuildID: 0x01128000 (1.2.1)\n"));
        iPodInfo window(dir.path());
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(entries(window.List1),
                 (QStringList { u"BoardHwName: iPod Q98"_s, u"pszSerialNumber: 8K6110DEMO1"_s, QString(),
                                u"visibleBuildID: 0x01128000 (1.2.1)"_s }));
        QCOMPARE(window.lblInfo->text(), u"Your iPod Info"_s);
        const QString space = window.lblSpace->text();
        QVERIFY2(space.startsWith(u"Space On iPod: "_s) && space.contains(u"GB out of "_s) && space.endsWith(u"GB"_s),
                 qPrintable(space));
        window.show();
        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void addsTheExtendedFacts()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath(u"iPod_Control/Device"_s));
        QVERIFY(writeFile(dir.path() + u"/iPod_Control/Device/SysInfo"_s, "ModelNumStr: MA147\n"));
        QVERIFY(writeFile(dir.path() + u"/iPod_Control/Device/SysInfoExtended"_s,
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                          "<key>SerialNumber</key><string>8K6110XYZ99</string>"
                          "<key>VisibleBuildID</key><string>1.3</string></dict></plist>\n"));
        iPodInfo window(dir.path());
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        const QStringList shown = entries(window.List1);
        QCOMPARE(shown.value(0), u"ModelNumStr: MA147"_s);
        QVERIFY2(shown.size() > 1 && shown.mid(1).join(u'|').contains(u"8K6110XYZ99"_s), qPrintable(shown.join(u'|')));
    }

    void withoutAniPodTheWindowStillOpens()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        iPodInfo window(dir.path() + u"/gone"_s);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(window.List1->count(), 0);
        QCOMPARE(window.lblSpace->text(), u"Space On iPod: unknown"_s);
    }
};

QTEST_MAIN(tst_iPodInfo)
#include "tst_iPodInfo.moc"
