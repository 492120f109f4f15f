#include "tests/common/TestFiles.h"
#include "tests/support/RecordingPromptService.h"
#include "updates/UpdateHandOver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::updates;
using namespace quaverly::ui;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

} // namespace

class tst_UpdateHandOver : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;

    // A program folder holding `files` (each an empty file).
    QString makeProgramDir(const QStringList& files)
    {
        QString dir = m_dir.filePath(QString::number(++m_count));
        if (!QDir().mkpath(dir))
            return {};
        for (const QString& name : files) {
            if (!writeFile(dir + u'/' + name, "x"))
                return {};
        }
        return dir;
    }
    static QStringList names(const QString& dir)
    {
        QStringList list = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        list.sort();
        return list;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void pendingUpdatesAreTheNewFiles()
    {
        const QString dir = makeProgramDir(
            { u"quaverly.new"_s, u"stayvane.NEW"_s, u"notes.new.txt"_s, u"new"_s, u"quaverly"_s });
        QVERIFY(!dir.isEmpty());
        QVERIFY(QDir().mkpath(dir + u"/skins.new"_s)); // a folder is no update
        const QStringList pending = pendingUpdates(dir);
        QCOMPARE(pending, (QStringList { dir + u"/quaverly.new"_s, dir + u"/stayvane.NEW"_s }));
        QVERIFY(hasPendingUpdates(dir));
        QVERIFY(!hasPendingUpdates(makeProgramDir({ u"quaverly"_s })));
        QVERIFY(!hasPendingUpdates(QString()));
    }

    void missingUpdaterDiscardsTheUpdatesAfterOneMessage()
    {
        const QString dir = makeProgramDir({ u"a.new"_s, u"b.new"_s, u"quaverly"_s });
        QVERIFY(!dir.isEmpty());
        RecordingPromptService prompts;
        const UpdateResult result = InstallUpdates({ dir, 4242 }, prompts);
        QCOMPARE(result.error, UpdateError::UpdaterMissing);
        QCOMPARE(prompts.requests.size(), 1u);
        QCOMPARE(prompts.requests.front().title, u"Updater Missing!"_s);
        QCOMPARE(prompts.requests.front().icon, PromptIcon::Information);
        QCOMPARE(names(dir), QStringList { u"quaverly"_s });
        QCOMPARE(result.removed.size(), 2);
        QVERIFY(result.notRemoved.isEmpty());
    }

    void theUpdaterGetsTheProcessIdAsItsOnlyArgument()
    {
        const QString dir = makeProgramDir({ u"a.new"_s });
        QVERIFY(!dir.isEmpty());
        const QString record = dir + u"/arguments.txt"_s;
        QVERIFY(writeFile(dir + u'/' + updaterFileName(),
                          "#!/bin/sh\necho \"$# $*\" > '" + QFile::encodeName(record) + "'\n", true));
        RecordingPromptService prompts;
        const UpdateResult result = InstallUpdates({ dir, 4242 }, prompts);
        QCOMPARE(result.error, UpdateError::None);
        QVERIFY(result.installerPid > 0);
        QVERIFY(prompts.requests.empty());
        QTRY_COMPARE(readText(record), u"1 4242\n"_s);
        QVERIFY(QFile::exists(dir + u"/a.new"_s)); // the installer's to consume
    }

    void anUpdaterThatCannotStartIsReported()
    {
        const QString dir = makeProgramDir({ u"a.new"_s, updaterFileName() }); // not executable
        QVERIFY(!dir.isEmpty());
        RecordingPromptService prompts;
        QCOMPARE(InstallUpdates({ dir, 4242 }, prompts).error, UpdateError::StartFailed);
        QVERIFY(prompts.requests.empty());
        QVERIFY(QFile::exists(dir + u"/a.new"_s));
    }

    void currentProgramIsTheRunningExecutable()
    {
        const UpdateContext context = UpdateContext::currentProgram();
        QCOMPARE(context.programDir, QCoreApplication::applicationDirPath());
        QCOMPARE(context.processId, QCoreApplication::applicationPid());
    }
};

QTEST_GUILESS_MAIN(tst_UpdateHandOver)
#include "tst_UpdateHandOver.moc"
