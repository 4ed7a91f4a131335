#pragma once
// The player's image buttons. A context button draws only its image (the alternate one while
// on, if it has one), dims itself when disabled and darkens the image while pressed; it may
// carry a primary menu, which a press opens at once at the button's (16, 9) instead of
// clicking. A wind button draws a framed light face under its image and never has a menu.
// Neither takes focus or reacts to hovering; a click in an inactive window acts at once.
#include "controls/QXImages.h"

#include <QAbstractButton>
#include <functional>

class QMenu;

class QXContextButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit QXContextButton(QWidget *parent = nullptr);

    // Images by name from the image registry, inked for the ground the button sits on.
    void setImage(const QString &name);
    void setAlternateImage(const QString &name);
    QString imageName() const { return m_image; }
    QString alternateImageName() const { return m_alternate; }
    void setGround(QXGround ground);
    QXGround ground() const { return m_ground; }
    // The image the button shows now, at the pixel ratio given.
    QImage currentImage(qreal devicePixelRatio) const;

    // Whether the button has a primary menu and the menu, asked anew each time; the menu is
    // the caller's to delete (after it closes).
    void setPrimaryMenuSource(std::function<bool()> has, std::function<QMenu *()> make);
    virtual bool hasPrimaryMenu() const;
    virtual QMenu *primaryMenu() const;

    // A click from a menu item or key: with a primary menu, the action alone (no menu, no
    // change of state) and nothing while disabled; otherwise a normal click.
    void performClick();
    // Whether an item that clicks the button can act: enabled, and the window holding the
    // button has no parent window or one that shows.
    bool validatesClickItem() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // The image at the bottom-left corner of the rectangle, at its own size.
    void drawImageAt(QPainter &p, const QImage &image, const QRect &rect, qreal opacity) const;

private:
    void popUpPrimaryMenu();

    QString m_image;
    QString m_alternate;
    QXGround m_ground = QXGround::Dark;
    std::function<bool()> m_hasMenu;
    std::function<QMenu *()> m_makeMenu;
};

class QXWindButton : public QXContextButton
{
    Q_OBJECT
public:
    explicit QXWindButton(QWidget *parent = nullptr);
    bool hasPrimaryMenu() const override { return false; }
    QMenu *primaryMenu() const override { return nullptr; }
    QSize sizeHint() const override { return {24, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

// An image button at its glyph's size; a toggle shows its alternate image while on.
template <typename Button = QXContextButton>
Button *QXMakeImageButton(QWidget *parent, const char *image, const QString &tip, const char *alternate = nullptr)
{
    auto *b = new Button(parent);
    b->setImage(QLatin1String(image));
    if (alternate) {
        b->setAlternateImage(QLatin1String(alternate));
        b->setCheckable(true);
    }
    b->setToolTip(tip);
    b->setFixedSize(b->sizeHint());
    return b;
}
