// JsonWriter must print exactly what quaverly-cli printed when it built a
// QJsonDocument of everything (scripts compare and parse those bytes), while
// writing as it goes; and what it prints must be strict JSON in valid UTF-8.
#include "cli/output/JsonWriter.h"
#include "tests/common/StrictJson.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <limits>

using namespace quaverly::cli;
using namespace Qt::StringLiterals;

namespace {

QByteArray written(const std::function<void(JsonWriter&)>& produce)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        OutputStream out(buffer);
        JsonWriter json(out);
        produce(json);
        out.finish();
    }
    return buffer.data();
}

QByteArray writtenTree(const QJsonValue& tree)
{
    return written([&](JsonWriter& json) { json.value(tree); });
}

QByteArray byQt(const QJsonValue& tree)
{
    return tree.isArray() ? QJsonDocument(tree.toArray()).toJson(QJsonDocument::Indented)
                          : QJsonDocument(tree.toObject()).toJson(QJsonDocument::Indented);
}

QString everyControlCharacter()
{
    QString text;
    for (char16_t c = 0; c < 0x20; ++c)
        text += QChar(c);
    return text;
}

// Text that touches every encoding case: ASCII, escapes, two-, three- and
// four-byte UTF-8, the largest BMP characters and the line separator.
QString mixedText()
{
    return u"plain \"quoted\" back\\slash /slash \u007f é ß ߿ ࠀ 夜明け \u2028 \ufffe \uffff 🎵𝄞"_s
        + everyControlCharacter();
}

} // namespace

class tst_JsonWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameBytesAsQJsonDocument_data()
    {
        QTest::addColumn<QJsonValue>("tree");
        QTest::newRow("empty array") << QJsonValue(QJsonArray());
        QTest::newRow("empty object") << QJsonValue(QJsonObject());
        QTest::newRow("empty containers inside") << QJsonValue(QJsonArray {
            QJsonArray(), QJsonObject(), QJsonObject { { u"uins"_s, QJsonArray() }, { u"e"_s, QJsonObject() } } });
        QTest::newRow("nesting") << QJsonValue(QJsonObject {
            { u"a"_s, QJsonArray { 1, QJsonArray { 2, QJsonArray { 3 } }, QJsonObject { { u"b"_s, true } } } },
            { u"z"_s, QJsonValue::Null } });
        QTest::newRow("strings") << QJsonValue(QJsonArray { QString(), mixedText(), everyControlCharacter() });
        QTest::newRow("key escaping") << QJsonValue(QJsonObject { { mixedText(), 1 }, { u"ключ"_s, 2 } });
        QTest::newRow("integers") << QJsonValue(QJsonArray { 0, -1, 2147483647, qint64(-2147483648LL), qint64(1) << 53,
                                                             std::numeric_limits<qint64>::min(),
                                                             std::numeric_limits<qint64>::max() });
        QTest::newRow("doubles") << QJsonValue(QJsonArray { 0.1, -2.5, 3.0, 1e300, 4.9e-324, -0.0, 123456789.125,
                                                            std::numeric_limits<double>::infinity() });
        QTest::newRow("booleans") << QJsonValue(QJsonArray { true, false, QJsonValue::Null });
    }
    void sameBytesAsQJsonDocument()
    {
        QFETCH(QJsonValue, tree);
        const QByteArray bytes = writtenTree(tree);
        QCOMPARE(bytes, byQt(tree));
        QCOMPARE(quaverly::test::strictJsonError(bytes), QString());
    }

    void streamedCallsMatchTheTree()
    {
        // A track listing as the commands write it, member by member.
        const QJsonArray tree { QJsonObject { { u"album"_s, u"LP"_s },
                                              { u"index"_s, 0 },
                                              { u"last_played"_s, QJsonValue::Null },
                                              { u"size"_s, qint64(5000000000) },
                                              { u"uins"_s, QJsonArray { -5, 7 } } },
                                QJsonObject { { u"album"_s, u""_s },
                                              { u"index"_s, 1 },
                                              { u"last_played"_s, u"2024-01-02T10:00:00"_s },
                                              { u"size"_s, 0 },
                                              { u"uins"_s, QJsonArray() } } };
        const QByteArray bytes = written([](JsonWriter& json) {
            json.beginArray();
            for (int i = 0; i < 2; ++i) {
                json.beginObject();
                json.member("album", i == 0 ? u"LP"_s : QString());
                json.member("index", i);
                json.key("last_played");
                if (i == 0)
                    json.null();
                else
                    json.value(u"2024-01-02T10:00:00"_s);
                json.member("size", i == 0 ? qint64(5000000000) : qint64(0));
                json.key("uins");
                json.beginArray();
                if (i == 0) {
                    json.value(qint32(-5));
                    json.value(qint16(7));
                }
                json.endArray();
                json.endObject();
            }
            json.endArray();
            QVERIFY(json.complete());
        });
        QCOMPARE(bytes, byQt(tree));
    }

    void unpairedSurrogatesBecomeReplacementCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QChar high(char16_t(0xd83c));
        const QChar low(char16_t(0xdfb5));
        QTest::newRow("high alone") << u"a"_s + high + u"b"_s << u"a\ufffdb"_s;
        QTest::newRow("low alone") << u"a"_s + low << u"a\ufffd"_s;
        QTest::newRow("high at the end") << u"ab"_s + high << u"ab\ufffd"_s;
        QTest::newRow("reversed pair") << QString(low) + high << u"\ufffd\ufffd"_s;
        QTest::newRow("two highs, then a pair") << QString(high) + high + low << u"\ufffd🎵"_s;
    }
    void unpairedSurrogatesBecomeReplacementCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QByteArray bytes = written([&](JsonWriter& json) {
            json.beginObject();
            json.key(QStringView(text));
            json.value(text);
            json.endObject();
        });
        QCOMPARE(quaverly::test::strictJsonError(bytes), QString());
        const QJsonObject back = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(back.value(expected).toString(), expected);
    }

    void longTextCrossesTheBuffer()
    {
        // Several buffers of text; the odd step puts surrogate pairs and
        // escapes on every position relative to a buffer's end.
        QString text;
        const QString piece = mixedText() + u"x"_s;
        while (text.size() < 3 * qsizetype(OutputStream::kBufferBytes)) {
            qsizetype n = text.size() % piece.size() + 1;
            if (piece.at(n - 1).isHighSurrogate())
                ++n; // whole pairs only: Qt escapes an unpaired one instead
            text += piece.left(n);
        }
        const QJsonValue tree(QJsonArray { text, text.mid(1), text.mid(2) });
        const QByteArray bytes = writtenTree(tree);
        QCOMPARE(bytes, byQt(tree));
        QCOMPARE(quaverly::test::strictJsonError(bytes), QString());
    }
};

QTEST_GUILESS_MAIN(tst_JsonWriter)
#include "tst_JsonWriter.moc"
