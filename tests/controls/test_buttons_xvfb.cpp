// Context and wind buttons: their pixels in each state, the menu on the press, clicks by items.
#include "controls/QXButtons.h"
#include "TestSupport.h"

#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QtTest>

namespace {

QImage render(QWidget &w) { return testsupport::renderWidget(w); }

// Pixels of a and b where a is opaque / transparent, compared by a rule.
template <typename Rule>
bool everyPixel(const QImage &a, const QImage &b, Rule rule)
{
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!rule(a.pixel(x, y), b.pixel(x, y)))
                return false;
    return true;
}

int opaqueCount(const QImage &image)
{
    return testsupport::countPixels(image, [](QRgb p) { return qAlpha(p) == 255; });
}

} // namespace

class TestButtons : public QObject
{
    Q_OBJECT
private slots:
    void contextButtonPixels()
    {
        enum Ink { NoInk, HalfInk, FullInk };
        const struct { int width; bool enabled, withMenu; Ink expect; } cases[] = {
            {16, false, false, NoInk},     // disabled at 16 px: invisible
            {17, false, false, HalfInk},   // wider: half strength
            {16, true, false, FullInk},
            {16, false, true, FullInk},    // a menu keeps it whole
        };
        for (const auto &k : cases) {
            QXContextButton reference, b;
            for (QXContextButton *button : {&reference, &b}) {
                button->setImage("QXNext");
                button->resize(k.width, 16);
            }
            b.setEnabled(k.enabled);
            b.setPrimaryMenuSource([k] { return k.withMenu; }, [] { return nullptr; });
            const QImage full = render(reference), got = render(b);
            QVERIFY(opaqueCount(full) > 20);
            const auto ink = [&](QRgb f, QRgb g) {
                return qAbs(qAlpha(g) - (k.expect == NoInk ? 0 : k.expect == HalfInk ? qAlpha(f) / 2 : qAlpha(f))) <= 1;
            };
            QVERIFY2(everyPixel(full, got, ink), qPrintable(QString("%1 px, case %2").arg(k.width).arg(&k - cases)));
            if (k.expect == FullInk)
                QCOMPARE(got, full);
        }
    }

    void pressDarkensOnlyTheImage()
    {
        for (int width : {24, 16}) {
            QXContextButton b;
            b.setImage(width > 16 ? "QXPlay" : "QXNext");
            b.resize(width, width);
            const QImage normal = render(b);
            b.setDown(true);
            const QImage pressed = render(b);
            const int darker = width > 16 ? 51 : 26;   // black at 0.2 or 0.1 over the image
            QVERIFY(everyPixel(normal, pressed, [darker](QRgb n, QRgb p) {
                if (qAlpha(n) < 64)   // too faint to read a colour from
                    return qAbs(qAlpha(p) - qAlpha(n)) <= 1;
                const int expected = qRed(n) - qRed(n) * darker / 255;
                return qAlpha(p) == qAlpha(n) && qAbs(qRed(p) - expected) <= 2;
            }));
            QVERIFY(normal != pressed);
        }
    }

    void windButtonPixels()
    {
        QXWindButton b;
        b.setImage("QXWindForward");
        b.resize(b.sizeHint());
        QXContextButton glyph;   // the image alone, as drawn on the wind button's face
        glyph.setGround(QXGround::Light);
        glyph.setImage("QXWindForward");
        glyph.resize(22, 18);
        QCOMPARE(render(b).pixel(0, 10), qRgb(0x55, 0x55, 0x55));
        QCOMPARE(qAlpha(render(b).pixel(5, 1)), 0);   // 2 px cut off the top
        const QImage enabled = render(b);
        b.setEnabled(false);
        const QImage disabled = render(b);
        QCOMPARE(disabled.pixel(0, 10), qRgb(0x80, 0x80, 0x80));
        QCOMPARE(disabled.pixel(23, 21), qRgb(0x80, 0x80, 0x80));
        // Where the glyph is opaque, the disabled face shows the gradient through it: lighter.
        const QImage g = render(glyph);
        int checked = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 22; ++x)
                if (qAlpha(g.pixel(x, y)) == 255 && qRed(g.pixel(x, y)) == 0x55) {
                    QVERIFY(qRed(disabled.pixel(x + 1, y + 3)) > qRed(enabled.pixel(x + 1, y + 3)) + 20);
                    ++checked;
                }
        QVERIFY(checked > 10);
        b.setEnabled(true);
        b.setDown(true);
        QVERIFY(qRed(render(b).pixel(2, 5)) < qRed(enabled.pixel(2, 5)));   // pressed: darker face
    }

    // Every glyph in every state on both grounds, as one sheet (saved into $VISTREL_SHOTS).
    void contactSheet()
    {
        const QHash<QString, QString> alternates = {{"QXPlay", "QXPause"}, {"QXUnlock", "QXLock"},
                                                    {"QXPresent", "QXPresentExit"}, {"QXListHidden", "QXListVisible"}};
        const QStringList names = QXGlyphNames();
        QVERIFY(names.size() >= 16);
        QImage sheet(4 * 32 + 8, names.size() * 2 * 28, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&sheet);
        for (int row = 0; row < names.size() * 2; ++row) {
            const QString name = names[row / 2];
            const bool light = row % 2;
            p.fillRect(QRect(0, row * 28, sheet.width(), 28), light ? QColor(0xe4, 0xe4, 0xe4) : QColor(0x33, 0x33, 0x33));
            QImage states[4];   // normal, pressed, disabled, on
            for (int state = 0; state < 4; ++state) {
                QXContextButton b;
                b.setGround(light ? QXGround::Light : QXGround::Dark);
                b.setImage(name);
                b.setAlternateImage(alternates.value(name));
                b.setCheckable(true);
                b.resize(QXGlyphSize(name));
                b.setDown(state == 1);
                b.setEnabled(state != 2);
                b.setChecked(state == 3);
                states[state] = render(b);
                p.drawImage(4 + state * 32, row * 28 + 2, states[state]);
            }
            const bool wide = QXGlyphSize(name).width() > 16;
            QVERIFY2(opaqueCount(states[0]) > 8, qPrintable(name));
            QVERIFY2(states[1] != states[0], qPrintable(name));
            // Disabled: half strength when wide, nothing at 16 px.
            const bool anyInk = testsupport::countPixels(states[2], [](QRgb p) { return qAlpha(p) > 0; }) > 0;
            QVERIFY2(opaqueCount(states[2]) == 0 && anyInk == wide, qPrintable(name));
            // On: exactly the alternate image where there is one, else the normal one.
            QXContextButton on;
            on.setGround(light ? QXGround::Light : QXGround::Dark);
            on.setImage(alternates.value(name, name));
            on.resize(QXGlyphSize(name));
            QVERIFY2(states[3] == render(on), qPrintable(name));
            QCOMPARE(states[3] != states[0], alternates.contains(name));
        }
        p.end();
        if (qEnvironmentVariableIsSet("VISTREL_SHOTS"))
            sheet.save(QDir(qEnvironmentVariable("VISTREL_SHOTS")).filePath("buttons-contact-sheet.png"));
    }

    // Straight-edged glyphs sit on whole pixels at scale 1 and 2: only their ink (opaque) and
    // the emboss below it, no blurred edges.
    void glyphsOnThePixelGrid()
    {
        for (const char *name : {"QXPause", "QXListVisible", "QXListHidden", "QXPresent", "QXPresentExit"})
            for (qreal scale : {1.0, 2.0})
                for (QXGround ground : {QXGround::Dark, QXGround::Light}) {
                    const QImage image = QXGlyphImage(name, scale, ground);
                    QCOMPARE(image.size(), QXGlyphSize(name) * scale);
                    QSet<int> alphas;
                    for (int y = 0; y < image.height(); ++y)
                        for (int x = 0; x < image.width(); ++x)
                            alphas << qAlpha(image.pixel(x, y));
                    QVERIFY2(alphas.size() <= 3 && alphas.contains(255), qPrintable(QString("%1 at %2").arg(name).arg(scale)));
                }
    }

    void primaryMenuOpensOnThePress()
    {
        QWidget window;
        window.resize(200, 100);
        auto *b = new QXContextButton(&window);
        b->setImage("QXTPChevron");
        b->setGeometry(40, 30, 24, 24);
        int actions = 0;
        connect(b, &QAbstractButton::clicked, b, [&] { ++actions; });
        QPointer<QMenu> menu;
        b->setPrimaryMenuSource([] { return true; }, [&] {
            menu = new QMenu;
            menu->addAction("Rotate");
            menu->setAttribute(Qt::WA_DeleteOnClose);
            return menu.data();
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (bool enabled : {true, false}) {
            b->setEnabled(enabled);
            for (QPoint at : {QPoint(2, 2), QPoint(22, 20)}) {
                QTest::mousePress(b, Qt::LeftButton, {}, at);
                VERIFY_SOON(menu && menu->isVisible(), 5000);
                QCOMPARE(menu->pos(), b->mapToGlobal(QPoint(16, 9)));
                QVERIFY(b->isDown());
                menu->close();
                VERIFY_SOON(!menu, 5000);
                QVERIFY(!b->isDown());
                QTest::mouseRelease(b, Qt::LeftButton, {}, at);
            }
        }
        QCOMPARE(actions, 0);
    }

    void performClick()
    {
        QXContextButton b;
        b.setCheckable(true);
        bool withMenu = true;
        b.setPrimaryMenuSource([&] { return withMenu; }, [] { return nullptr; });
        int actions = 0;
        connect(&b, &QAbstractButton::clicked, &b, [&] { ++actions; });
        b.performClick();
        QCOMPARE(actions, 1);
        QVERIFY(!b.isChecked());   // the state stays
        b.setEnabled(false);
        b.performClick();
        QCOMPARE(actions, 1);
        b.setEnabled(true);
        withMenu = false;
        b.performClick();
        QCOMPARE(actions, 2);
        QVERIFY(b.isChecked());    // a normal click toggles
        // A wind button never has a menu, whatever it is given.
        QXWindButton wind;
        wind.setPrimaryMenuSource([] { return true; }, [] { return new QMenu; });
        wind.resize(24, 22);
        int winds = 0;
        connect(&wind, &QAbstractButton::clicked, &wind, [&] { ++winds; });
        QTest::mouseClick(&wind, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(winds, 1);
        QVERIFY(!QApplication::activePopupWidget());
    }

    void clickItemsFollowTheParentWindow()
    {
        QWidget player, overlay;
        player.resize(100, 100);
        auto *b = new QXContextButton(&overlay);
        player.show();
        overlay.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        QVERIFY(b->validatesClickItem());   // no parent window
        overlay.windowHandle()->setTransientParent(player.windowHandle());
        QVERIFY(b->validatesClickItem());
        player.hide();
        QVERIFY(!b->validatesClickItem());
        player.show();
        b->setEnabled(false);
        QVERIFY(!b->validatesClickItem());
    }
};

QTEST_MAIN(TestButtons)
#include "test_buttons_xvfb.moc"
