// OutputStream: what goes in comes out as UTF-8, in order, across buffer
// ends; a failed write is reported instead of being lost.
#include "cli/output/OutputStream.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

#include <cstdio>
#include <limits>

using namespace quaverly::cli;
using namespace Qt::StringLiterals;

class tst_OutputStream : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numbers_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::newRow("zero") << qint64(0);
        QTest::newRow("minus one") << qint64(-1);
        QTest::newRow("ten") << qint64(10);
        QTest::newRow("largest") << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min();
    }
    void numbers()
    {
        QFETCH(qint64, value);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        OutputStream out(buffer);
        out.writeNumber(value);
        QVERIFY(out.finish());
        QCOMPARE(buffer.data(), QByteArray::number(value));
    }

    void textAsUtf8AcrossBufferEnds()
    {
        // Pieces of every UTF-8 length, long enough to fill the buffer many
        // times, with bytes written in between.
        const QString piece = u"a é 夜 🎵 \t\"\\"_s;
        QString text;
        while (text.size() < 5 * qsizetype(OutputStream::kBufferBytes))
            text += piece;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            OutputStream out(buffer);
            out.write("<");
            out.writeText(text);
            out.put('|');
            out.writeText(text.mid(3)); // starts on a different byte of the buffer
            out.write(">");
        } // the destructor hands on what is left
        QCOMPARE(buffer.data(), "<" + text.toUtf8() + "|" + text.mid(3).toUtf8() + ">");
    }

    void unpairedSurrogateInText()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        OutputStream out(buffer);
        out.writeText(QString(u"x"_s + QChar(char16_t(0xdc00)) + u"y"_s + QChar(char16_t(0xd800))));
        QVERIFY(out.finish());
        QCOMPARE(buffer.data(), QByteArray("x\xef\xbf\xbdy\xef\xbf\xbd"));
    }

    void fullDiskIsReported()
    {
        std::FILE* full = std::fopen("/dev/full", "w");
        if (!full)
            QSKIP("no /dev/full on this system");
        OutputStream out(full);
        for (int i = 0; i < 1000; ++i)
            out.writeText(u"a line that will never reach the disk\n"_s);
        QVERIFY(!out.finish());
        QVERIFY(out.failed());
        QVERIFY(!out.errorString().isEmpty());
        std::fclose(full);
    }

    void failingDeviceStopsWriting()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadOnly); // every write fails
        OutputStream out(buffer);
        out.write(QByteArray(int(OutputStream::kBufferBytes) * 2, 'x').toStdString());
        QVERIFY(out.failed());
        const QString first = out.errorString();
        out.write("more");
        QVERIFY(!out.finish());
        QCOMPARE(out.errorString(), first);
        QCOMPARE(buffer.data(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_OutputStream)
#include "tst_OutputStream.moc"
