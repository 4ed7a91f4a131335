// Labels and decorative views: text that ignores the mouse, what they paint, a footer drag.
#include "controls/QXViews.h"
#include "TestSupport.h"

#include <QtTest>

namespace {

QImage render(QWidget &w) { return testsupport::renderWidget(w); }

// Counts presses that reach it.
class Parent : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void mouseDoubleClickEvent(QMouseEvent *) override { ++presses; }
};

} // namespace

class TestViews : public QObject
{
    Q_OBJECT
private slots:
    void linkLabel()
    {
        Parent parent;
        auto *label = new QXLinkTextField(&parent);
        for (const QString text : {"<b>x</b>", "Tom & Jerry"}) {
            label->setToolTip("left over");
            label->setStringValue(text);
            label->setStringValue(text);
            QCOMPARE(label->toolTip(), QString());
            // Read exactly so: as wide as the characters themselves, tags included.
            QVERIFY(qAbs(label->sizeHint().width() - QFontMetrics(label->font()).horizontalAdvance(text)) <= 3);
        }
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QTest::mouseClick(label, Qt::LeftButton);
        QTest::mouseDClick(label, Qt::LeftButton);
        QCOMPARE(parent.presses, 0);
        QVERIFY(!label->hasSelectedText());
        QCOMPARE(label->cursor().shape(), Qt::ArrowCursor);
    }

    void pictures()
    {
        QXDarkGradientView dark;
        QXLightGradientView light;
        QXDarkBlueGradientView blue;
        for (QXDarkGradientView *v : std::initializer_list<QXDarkGradientView *>{&dark, &light, &blue}) {
            v->resize(60, 20);
            const QImage image = render(*v);
            // Opaque, with a near-white line along the top.
            QCOMPARE(qAlpha(image.pixel(30, 10)), 255);
            QVERIFY(qRed(image.pixel(30, 0)) >= 0xe6);
            QVERIFY(image.pixel(30, 1) != image.pixel(30, 0));
        }
        QVERIFY(qRed(render(dark).pixel(30, 10)) < 0x60 && qRed(render(light).pixel(30, 10)) > 0xc0);
        QVERIFY(qBlue(render(blue).pixel(30, 10)) > qRed(render(blue).pixel(30, 10)) + 40);
        QXGrayView gray;
        gray.resize(10, 10);
        QCOMPARE(render(gray).pixel(5, 5), qRgb(0x55, 0x55, 0x55));
        QXFakeTableHeaderView header;
        header.resize(40, 18);
        QVERIFY(qRed(render(header).pixel(20, 2)) > qRed(render(header).pixel(20, 17)));   // light, a line below
    }

    void shadowedLabel()
    {
        QXShadowedTextField label("Playlist");
        label.setStyleSheet("color: black;");
        label.resize(label.sizeHint());
        const QImage image = testsupport::renderWidget(label, QColor(0x80, 0x80, 0x80));
        // Dark text with a light shadow, the shadow below the text: light under dark far more
        // often than above it.
        const auto red = [&](int x, int y) { return qRed(image.pixel(x, y)); };
        int lighter = 0, darker = 0, below = 0, above = 0;
        for (int y = 0; y + 1 < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                lighter += red(x, y) > 0xa0;
                darker += red(x, y) < 0x40;
                below += red(x, y) < 0x78 && red(x, y + 1) > 0x88;
                above += red(x, y) > 0x88 && red(x, y + 1) < 0x78;
            }
        QVERIFY(lighter > 5 && darker > 5);
        QVERIFY2(below > 2 * above + 5, qPrintable(QString("%1 %2").arg(below).arg(above)));
    }

    void dragOnTheFooterMovesTheWindow()
    {
        for (bool dark : {true, false}) {
            QWidget window;
            window.resize(200, 100);
            QXDarkGradientView *footer = dark ? new QXDarkGradientView(&window) : new QXLightGradientView(&window);
            footer->setGeometry(0, 60, 200, 40);
            window.move(100, 100);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QPoint start = window.pos();
            QTest::mousePress(footer, Qt::LeftButton, {}, QPoint(10, 10));
            QTest::mouseMove(footer, QPoint(60, 40));
            QTest::mouseRelease(footer, Qt::LeftButton, {}, QPoint(60, 40));
            if (dark)
                QTRY_COMPARE(window.pos(), start + QPoint(50, 30));
            else
                QCOMPARE(window.pos(), start);
        }
    }
};

QTEST_MAIN(TestViews)
#include "test_views_xvfb.moc"
