// The extract and m3u commands of quaverly-cli, run as a user would run them,
// over a demo iPod (songs with Latin, Japanese and Korean tags).
#include "FakeIpod.h"
#include "tests/common/CliRun.h"
#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/DemoIpod.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <taglib/id3v2tag.h>
#include <taglib/wavfile.h>

using namespace quaverly::exporting::test;
using namespace Qt::StringLiterals;

namespace {

using Run = quaverly::test::CliRun;
using quaverly::test::runCli;

} // namespace

class tst_ExtractCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_ipod;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli")).isExecutable());
        m_ipod = m_dir.filePath(u"ipod"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(m_ipod, {}, &error), qPrintable(error));
    }

    void extractCopiesTheSelectionAndSaysSo()
    {
        const QString target = m_dir.filePath(u"some"_s);
        const QStringList args { u"extract"_s, m_ipod,     u"--to"_s,       target,
                                 u"--genre"_s, u"J-Pop"_s, u"--template"_s, u"[artist]/[title]"_s };
        const QJsonArray plan = QJsonDocument::fromJson(runCli(args + QStringList { u"--dry-run"_s, u"--json"_s }).out)
                                    .array();
        QVERIFY(!plan.isEmpty());

        const Run run = runCli(args);
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith(QStringLiteral("Copied %1 of %1 songs").arg(plan.size()).toUtf8()));
        QStringList expected;
        for (const auto& entry : plan) {
            expected.append(entry[u"destination"_s].toString());
            QCOMPARE(contents(target + u'/' + expected.last()), contents(entry[u"source"_s].toString()));
        }
        expected.sort();
        QCOMPARE(filesBelow(target), expected);
    }

    void aMissingSongFailsTheRunAndIsNamed()
    {
        const QString ipod = m_dir.filePath(u"broken"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(ipod, {}, &error), qPrintable(error));
        const QJsonArray plan = QJsonDocument::fromJson(
                                    runCli({ u"extract"_s, ipod, u"--to"_s, u"x"_s, u"--dry-run"_s, u"--json"_s }).out)
                                    .array();
        QVERIFY(plan.size() > 2);
        QVERIFY(QFile::remove(plan[1][u"source"_s].toString()));

        const Run run = runCli({ u"extract"_s, ipod, u"--to"_s, m_dir.filePath(u"partial"_s), u"--json"_s });
        QCOMPARE(run.status, 1);
        const QJsonObject report = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(report[u"copied"_s].toInt(), plan.size() - 1);
        QCOMPARE(report[u"failed"_s].toInt(), 1);
        const QJsonObject failure = report[u"failures"_s].toArray().at(0).toObject();
        QCOMPARE(failure[u"index"_s].toInt(), plan[1][u"index"_s].toInt());
        QVERIFY(failure[u"song"_s].toString().contains(u" - "_s));
        QVERIFY(!failure[u"reason"_s].toString().isEmpty());
    }

    void m3uListsTheSongsInRowOrder()
    {
        const QJsonArray plan = QJsonDocument::fromJson(
                                    runCli({ u"extract"_s, m_ipod, u"--to"_s, u"x"_s, u"--dry-run"_s, u"--json"_s })
                                        .out)
                                    .array();
        QByteArray expected;
        for (const auto& entry : plan)
            expected += entry[u"source"_s].toString().toUtf8() + '\n';
        const auto paths = [](const QByteArray& m3u) {
            QByteArray only = m3u.startsWith("#EXTM3U\n") ? QByteArray() : QByteArray("no header\n");
            for (const QByteArray& line : m3u.split('\n')) {
                if (!line.isEmpty() && !line.startsWith('#'))
                    only += line + '\n';
            }
            return only;
        };

        const Run toStdout = runCli({ u"m3u"_s, m_ipod });
        QCOMPARE(toStdout.status, 0);
        QCOMPARE(paths(toStdout.out), expected);
        const QString file = m_dir.filePath(u"list.m3u"_s);
        QCOMPARE(runCli({ u"m3u"_s, m_ipod, u"--out"_s, file }).status, 0);
        QCOMPARE(paths(contents(file)), expected);
    }

    void tagsAndCoversOnRequest()
    {
        const QString target = m_dir.filePath(u"tagged"_s);
        const Run run = runCli({ u"extract"_s, m_ipod, u"--to"_s, target, u"--genre"_s, u"Jazz"_s, u"--template"_s,
                                 u"[album]/[title]"_s, u"--tags"_s, u"--covers"_s, u"--json"_s });
        QCOMPARE(run.status, 0);
        const QJsonObject report = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(report[u"tagged"_s].toInt(), report[u"copied"_s].toInt());
        QCOMPARE(report[u"covers"_s][u"written"_s].toInt(), 2); // "Late Set" and "Rive Gauche"
        // The demo's covers in the order of its albums: "Late Set" is the third, "Rive Gauche" the fourth.
        QCOMPARE(contents(target + u"/Late Set/cover.png"_s), quaverly::tools::makeCoverPng(3));
        QCOMPARE(contents(target + u"/Rive Gauche/cover.png"_s), quaverly::tools::makeCoverPng(4));
        TagLib::RIFF::WAV::File copy(QFile::encodeName(target + u"/Rive Gauche/Café Society.wav"_s).constData(), false);
        QVERIFY(copy.isValid());
        QCOMPARE(QString::fromStdString(copy.ID3v2Tag()->artist().to8Bit(true)), u"Les Étoiles Filantes"_s);
        QCOMPARE(QString::fromStdString(copy.ID3v2Tag()->genre().to8Bit(true)), u"Jazz"_s);
        QCOMPARE(copy.ID3v2Tag()->year(), 2004u);
        // Without the options nothing is added.
        const QString plain = m_dir.filePath(u"plain"_s);
        QCOMPARE(runCli({ u"extract"_s, m_ipod, u"--to"_s, plain, u"--genre"_s, u"Jazz"_s, u"--template"_s,
                          u"[album]/[title]"_s })
                     .status,
                 0);
        QVERIFY(!QFile::exists(plain + u"/Late Set/cover.png"_s));
    }
};

QTEST_GUILESS_MAIN(tst_ExtractCommand)
#include "tst_ExtractCommand.moc"
