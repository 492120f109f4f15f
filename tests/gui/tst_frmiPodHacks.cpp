// The iPod Hacks window on a temporary iPod: the boxes read the flag files,
// Apply and Reset change them, and what resists is listed, not hidden.
#include "devicetools/ui/frmiPodHacks.h"
#include "tests/support/RecordingPromptService.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using namespace quaverly::devicetools;
using namespace Qt::StringLiterals;

namespace {

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

QStringList deviceFiles(const QString& root)
{
    QStringList names = QDir(root + u"/iPod_Control/Device"_s)
                            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

class tst_frmiPodHacks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(m_dir->path()).mkpath(u"iPod_Control/Device"_s));
        m_device = m_dir->path() + u"/iPod_Control/Device/"_s;
    }

    void boxesShowOnlyBareFlagFiles()
    {
        QVERIFY(touch(m_device + u"_short_deepsleep"_s));
        QVERIFY(touch(m_device + u"_show_voltage.txt"_s)); // a ".txt" file does not count
        ui::RecordingPromptService prompts;
        frmiPodHacks window(m_dir->path(), prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(window.windowTitle(), u"iPodHacks"_s);
        QVERIFY(!window.checkBoxes[0]->isChecked());
        QVERIFY(window.checkBoxes[1]->isChecked());
        QVERIFY(!window.checkBoxes[2]->isChecked());
        QVERIFY(!window.checkBoxes[3]->isChecked());
        QCOMPARE(window.labels[3]->text(),
                 u"Show CPU Speed - For 4G iPods, it shows the changing speed on iPod's processor."_s);
    }

    void applyThroughLabelsThenResetClearsEverything()
    {
        QVERIFY(touch(m_device + u"_disable_cache"_s));
        QVERIFY(touch(m_device + u"SysInfo"_s));
        ui::RecordingPromptService prompts;
        frmiPodHacks window(m_dir->path(), prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        QTest::mouseClick(window.labels[0], Qt::LeftButton); // a label click toggles its box
        QTest::mouseClick(window.labels[2], Qt::LeftButton);
        QVERIFY(window.checkBoxes[0]->isChecked());
        QVERIFY(!window.checkBoxes[2]->isChecked());
        QTest::mouseClick(window.cmdApply, Qt::LeftButton);
        QCOMPARE(deviceFiles(m_dir->path()), (QStringList { u"SysInfo"_s, u"_show_voltage"_s }));

        QTest::mouseClick(window.checkBoxes[3], Qt::LeftButton);
        QTest::mouseClick(window.cmdReset, Qt::LeftButton);
        QCOMPARE(deviceFiles(m_dir->path()), QStringList { u"SysInfo"_s });
        for (QCheckBox* box : window.checkBoxes)
            QVERIFY(!box->isChecked());
        QVERIFY(window.isVisible()); // Reset leaves the window open
        QVERIFY(prompts.requests.empty());
    }

    void okAppliesAndCloses_cancelTouchesNothing()
    {
        ui::RecordingPromptService prompts;
        {
            frmiPodHacks window(m_dir->path(), prompts);
            window.setAttribute(Qt::WA_DeleteOnClose, false);
            window.show();
            window.checkBoxes[1]->setChecked(true);
            QTest::mouseClick(window.cmdCancel, Qt::LeftButton);
            QVERIFY(!window.isVisible());
        }
        QVERIFY(deviceFiles(m_dir->path()).isEmpty());
        frmiPodHacks window(m_dir->path(), prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        window.checkBoxes[1]->setChecked(true);
        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(deviceFiles(m_dir->path()), QStringList { u"_short_deepsleep"_s });
    }

    void whatCannotBeChangedIsListed()
    {
        // A folder in the way of the ".txt" file: the flag cannot be created.
        QVERIFY(QDir(m_device).mkdir(u"_show_speed.txt"_s));
        QVERIFY(touch(m_device + u"_show_speed.txt/keep"_s));
        ui::RecordingPromptService prompts;
        frmiPodHacks window(m_dir->path(), prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.checkBoxes[0]->setChecked(true);
        window.checkBoxes[3]->setChecked(true);
        QTest::mouseClick(window.cmdApply, Qt::LeftButton);

        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].icon, ui::PromptIcon::Warning);
        QVERIFY2(prompts.requests[0].details.contains(u"_show_speed"_s), qPrintable(prompts.requests[0].details));
        QVERIFY(!prompts.requests[0].details.contains(u"_show_voltage"_s));
        QVERIFY(QFile::exists(m_device + u"_show_voltage"_s)); // the others were still applied
        QVERIFY(window.checkBoxes[0]->isChecked());
        QVERIFY(!window.checkBoxes[3]->isChecked()); // the box shows what the iPod has
    }

    void aMissingDeviceFolderIsReported()
    {
        QVERIFY(QDir(m_device).removeRecursively());
        ui::RecordingPromptService prompts;
        frmiPodHacks window(m_dir->path(), prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.checkBoxes[2]->setChecked(true);
        QTest::mouseClick(window.cmdApply, Qt::LeftButton);
        QCOMPARE(prompts.requests.size(), size_t(1));
        QVERIFY(!QFile::exists(m_device + u"_disable_cache"_s));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_device;
};

QTEST_MAIN(tst_frmiPodHacks)
#include "tst_frmiPodHacks.moc"
