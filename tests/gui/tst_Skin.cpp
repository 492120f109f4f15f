// The skin is drawn in code: every element must paint something, inside its
// box, at normal and double display scale.
#include "ui/widgets/Skin.h"

#include <QImage>
#include <QTest>

using namespace quaverly::ui;

Q_DECLARE_METATYPE(quaverly::ui::SkinElement)

class tst_Skin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyElementPaints_data()
    {
        QTest::addColumn<SkinElement>("element");
        QTest::addColumn<qreal>("scale");
        const std::pair<const char*, SkinElement> elements[] = {
            { "caption", SkinElement::Caption },
            { "back", SkinElement::Back },
            { "close", SkinElement::Close },
            { "close hover", SkinElement::CloseHover },
            { "minimise", SkinElement::Minimize },
            { "minimise hover", SkinElement::MinimizeHover },
            { "pod", SkinElement::Pod },
            { "star full", SkinElement::StarFull },
            { "star empty", SkinElement::StarEmpty },
            { "clear search", SkinElement::ClearSearch },
            { "play", SkinElement::Play },
            { "pause", SkinElement::Pause },
            { "previous", SkinElement::Previous },
            { "next", SkinElement::Next },
        };
        for (const auto& [name, element] : elements) {
            for (qreal scale : { 1.0, 2.0 })
                QTest::addRow("%s @%gx", name, scale) << element << scale;
        }
    }
    void everyElementPaints()
    {
        QFETCH(SkinElement, element);
        QFETCH(qreal, scale);
        const QSize size(24, 24);
        const QPixmap pixmap = Skin::pixmap(element, size, scale);
        QCOMPARE(pixmap.size(), size * scale); // drawn at the display's resolution, not scaled up
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        QVERIFY2(painted > image.width(), "the element paints next to nothing");
    }

    void hoverTwinsDifferFromTheirImages()
    {
        const auto image = [](SkinElement e) { return Skin::pixmap(e, QSize(22, 22), 1.0).toImage(); };
        QVERIFY(image(SkinElement::Close) != image(SkinElement::CloseHover));
        QVERIFY(image(SkinElement::Minimize) != image(SkinElement::MinimizeHover));
        QVERIFY(image(SkinElement::StarFull) != image(SkinElement::StarEmpty));
    }

    void appIconHasTheUsualSizes()
    {
        const QIcon icon = Skin::appIcon();
        for (int side : { 16, 22, 32, 48, 256 })
            QVERIFY(icon.availableSizes().contains(QSize(side, side)));
    }
};

QTEST_MAIN(tst_Skin)
#include "tst_Skin.moc"
