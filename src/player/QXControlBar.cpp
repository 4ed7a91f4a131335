#include "player/QXControlBar.h"

#include "controls/QXButtons.h"
#include "controls/QXImages.h"
#include "controls/QXSliders.h"
#include "controls/QXViews.h"
#include "player/QXMenuValidation.h"
#include "player/QXTimeFormat.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>

namespace {

QLabel *makeTimeField(QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setStyleSheet("color: #e8e8e8; font-family: monospace;");
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setText(QStringLiteral("00:00:00"));
    l->setContentsMargins(3, 0, 3, 0);
    l->setMinimumWidth(l->sizeHint().width());
    l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return l;
}

} // namespace

QXControlBar::QXControlBar(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFixedHeight(QXOverlay::BarHeight);
    // Pointer movement over the bar brings the floating bar back.
    setMouseTracking(true);

    auto *layout = new QHBoxLayout(this);
    // Tight: folded, the bar fits a player area 150 px wide.
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(1);
    m_playlistSwitch = QXMakeImageButton(this, "QXListHidden", QString(), "QXListVisible");
    m_playPause = QXMakeImageButton(this, "QXPlay", tr("Play"), "QXPause");
    m_windBackward = QXMakeImageButton<QXWindButton>(this, "QXWindBackward", tr("Wind Backward"));
    m_windForward = QXMakeImageButton<QXWindButton>(this, "QXWindForward", tr("Wind Forward"));
    m_timeField = makeTimeField(this);
    m_timeRemainderField = makeTimeField(this);
    m_speedField = makeTimeField(this);
    m_speedField->setObjectName(QStringLiteral("speedField"));
    m_speedField->setMinimumWidth(0);
    m_speedField->clear();   // normal speed says nothing
    m_speedField->hide();
    m_timeSliderHolder = new QWidget(this);
    auto *sliderLayout = new QHBoxLayout(m_timeSliderHolder);
    sliderLayout->setContentsMargins(0, 0, 0, 0);
    m_timeSlider = new QXWhiteSlider(m_timeSliderHolder);
    m_timeSlider->setMinimumWidth(12);
    sliderLayout->addWidget(m_timeSlider);
    m_volumeHolder = new QXVolumeBackgroundView(this);
    m_volumeSlider = new QXVolumeSlider(m_volumeHolder);
    m_volumeHolder->setSlider(m_volumeSlider);
    m_volumeSlider->setMaxValue(1.0);    // the value is the volume
    m_volumeSlider->setWheelStep(0.1);   // a notch is a tenth, as the volume commands step
    m_volumeSlider->setToolTip(tr("Change Volume"));
    m_volumeHolder->setToolTip(tr("Change Volume"));
    m_lock = QXMakeImageButton(this, "QXUnlock", QString(), "QXLock");
    m_rotate = QXMakeImageButton(this, "QXRotateClockwise", tr("Rotate"));
    m_rotate->setPrimaryMenuSource([this] { return m_parts.buttonsHidden; }, [this] { return makeChevronMenu(); });
    m_presentation = QXMakeImageButton(this, "QXPresent", tr("Presentation Mode"), "QXPresentExit");
    // Kept for what it reports; empty, it takes no room in the bar.
    auto *status = new QXLinkTextField(this);
    status->setStyleSheet("color: #bbb;");
    status->hide();

    layout->addWidget(m_playlistSwitch);
    layout->addWidget(m_playPause);
    layout->addWidget(m_windBackward);
    layout->addWidget(m_timeField);
    layout->addWidget(m_speedField);
    layout->addWidget(m_timeSliderHolder, 1);
    layout->addWidget(m_timeRemainderField);
    layout->addWidget(m_windForward);
    layout->addWidget(status);
    layout->addWidget(m_volumeHolder);
    layout->addWidget(m_rotate);
    layout->addWidget(m_lock);
    layout->addWidget(m_presentation);

    connect(m_playlistSwitch, &QAbstractButton::clicked, this, &QXControlBar::playlistVisibilityClicked);
    connect(m_playPause, &QAbstractButton::clicked, this, &QXControlBar::playPauseClicked);
    connect(m_windBackward, &QAbstractButton::clicked, this, [this] { emit windClicked(false); });
    connect(m_windForward, &QAbstractButton::clicked, this, [this] { emit windClicked(true); });
    connect(m_timeSlider, &QXWhiteSlider::triggered, this, [this] { emit timeSlid(m_timeSlider->value()); });
    connect(m_volumeSlider, &QXWhiteSlider::triggered, this, [this] { emit volumeChanged(m_volumeSlider->value()); });
    connect(m_rotate, &QAbstractButton::clicked, this, &QXControlBar::rotateClicked);
    connect(m_lock, &QAbstractButton::clicked, this, &QXControlBar::aspectRatioLockClicked);
    connect(m_presentation, &QAbstractButton::clicked, this, &QXControlBar::presentationClicked);
}

void QXControlBar::setStatic(bool isStatic)
{
    m_static = isStatic;
    setFixedHeight(isStatic ? QXOverlay::StaticHeight : QXOverlay::BarHeight);
    // The time fields are dark on the light static bar, light on the dark floating one.
    for (QLabel *field : {m_timeField, m_timeRemainderField, m_speedField})
        field->setStyleSheet(isStatic ? "color: #555555; font-family: monospace;" : "color: white; font-family: monospace;");
    m_timeSlider->setBlackOnWhite(isStatic);
    // The buttons' glyphs are inked for the ground (the wind buttons keep their light face).
    const QXGround ground = isStatic ? QXGround::Light : QXGround::Dark;
    for (QXContextButton *button : findChildren<QXContextButton *>())
        if (!qobject_cast<QXWindButton *>(button))
            button->setGround(ground);
    m_volumeHolder->setGround(ground);
    update();
}

void QXControlBar::setSeeThrough(bool seeThrough)
{
    m_seeThrough = seeThrough;
    for (QXWhiteSlider *slider : findChildren<QXWhiteSlider *>())
        slider->setOverlayGround(seeThrough ? QColor() : QColor(0x26, 0x26, 0x26));
    update();
}

void QXControlBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_static) {
        // The light strip the sliders and wind buttons use too.
        QXDrawPicture(p, QStringLiteral("QXLightGradient"), rect());
        return;
    }
    // 40 % black replacing the pixels: the picture shows through where windows are blended.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), m_seeThrough ? QColor(0, 0, 0, 102) : QColor(0x26, 0x26, 0x26));
}

void QXControlBar::setState(const QXControlState &s)
{
    const struct { QWidget *control; QXCommand command; } rules[] = {
        {m_playPause, QXCommand::PlayPause},        {m_timeSlider, QXCommand::TimeControls},
        {m_windBackward, QXCommand::TimeControls},  {m_windForward, QXCommand::TimeControls},
        {m_rotate, QXCommand::Rotate},              {m_presentation, QXCommand::Presentation},
        {m_lock, QXCommand::AspectRatioLock}};
    for (const auto &r : rules)
        r.control->setEnabled(QXValidateMenuItem(r.command, s));
}

void QXControlBar::setPlaying(bool playing)
{
    m_playPause->setChecked(playing);
}

bool QXControlBar::showsPlaying() const
{
    return m_playPause->isChecked();
}

void QXControlBar::setAspectRatioLocked(bool locked)
{
    m_lock->setChecked(locked);
    m_lock->setToolTip(locked ? tr("Unlock Aspect Ratio") : tr("Lock Aspect Ratio"));
}

bool QXControlBar::isAspectRatioLocked() const
{
    return m_lock->isChecked();
}

void QXControlBar::setPlaylistVisible(bool visible)
{
    m_playlistSwitch->setToolTip(visible ? tr("Hide Playlist") : tr("Show Playlist"));
    m_playlistSwitch->setChecked(visible);
}

void QXControlBar::setPresenting(bool presenting)
{
    if (m_presentation->isChecked() != presenting)
        m_presentation->setChecked(presenting);
}

void QXControlBar::setRotateCounterclockwise(bool counterclockwise)
{
    m_counterclockwise = counterclockwise;
    showRotateImage();
}

void QXControlBar::showRotateImage()
{
    if (m_parts.buttonsHidden)
        m_rotate->setImage(QStringLiteral("QXTPChevron"));
    else
        m_rotate->setImage(m_counterclockwise ? QStringLiteral("QXRotateCounterclockwise") : QStringLiteral("QXRotateClockwise"));
    m_rotate->setToolTip(m_parts.buttonsHidden ? QString() : tr("Rotate"));
}

void QXControlBar::setWindButtonsVisible(bool visible)
{
    m_windBackward->setVisible(visible);
    m_windForward->setVisible(visible);
}

void QXControlBar::setTimeLineVisible(bool visible)
{
    m_timeSliderHolder->setVisible(visible);
}

void QXControlBar::setTime(qint64 time, qint64 duration)
{
    m_timeField->setText(QXFormatTime(time));
    m_timeRemainderField->setText(QXFormatTime(duration - time));
}

void QXControlBar::setSpeedText(const QString &text)
{
    m_speedField->setText(text);
    m_speedField->setVisible(!text.isEmpty() && !m_parts.timeHidden);
}

void QXControlBar::repaintTime()
{
    m_timeField->repaint();
    m_timeRemainderField->repaint();
}

void QXControlBar::clearTime()
{
    m_timeSlider->setValue(0);
    setTime(0, 0);
}

void QXControlBar::setTimeRange(double maxValue)
{
    m_timeSlider->setMaxValue(maxValue);
}

void QXControlBar::setTimeLine(double loaded, double position)
{
    // The load value first: the value change that follows shows it.
    m_timeSlider->setLoadValue(loaded);
    if (!m_timeSlider->isSliderDown())
        m_timeSlider->setValue(position);
}

void QXControlBar::setVolume(double volume)
{
    m_volumeSlider->setValue(volume);
}

double QXControlBar::volume() const
{
    return m_volumeSlider->value();
}

void QXControlBar::setParts(const QXOverlay::Parts &parts)
{
    if (parts == m_parts)
        return;
    m_parts = parts;
    m_lock->setVisible(!parts.buttonsHidden);
    m_presentation->setVisible(!parts.buttonsHidden);
    showRotateImage();
    m_timeRemainderField->setVisible(!parts.remainingTimeHidden && !parts.timeHidden);
    m_timeField->setVisible(!parts.timeHidden);
    m_speedField->setVisible(!m_speedField->text().isEmpty() && !parts.timeHidden);
}

bool QXControlBar::isHeld() const
{
    return m_timeSlider->isSliderDown() || m_volumeSlider->isSliderDown() || (m_menu && m_menu->isVisible());
}

QMenu *QXControlBar::makeChevronMenu()
{
    auto *menu = new QMenu(tr("Toolbar"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *rotate = menu->addAction(tr("Rotate"));
    connect(rotate, &QAction::triggered, this, &QXControlBar::rotateClicked);
    // The folded switches answer as the switches would.
    QAction *lock = menu->addAction(tr("Lock Aspect Ratio"));
    lock->setCheckable(true);
    lock->setChecked(m_lock->isChecked());
    connect(lock, &QAction::triggered, m_lock, &QAbstractButton::click);
    QAction *full = menu->addAction(tr("Full Screen"));
    full->setCheckable(true);
    full->setChecked(m_presentation->isChecked());
    connect(full, &QAction::triggered, m_presentation, &QAbstractButton::click);
    m_menu = menu;
    return menu;
}

QAbstractButton *QXControlBar::playlistVisibilitySwitch() const { return m_playlistSwitch; }
QAbstractButton *QXControlBar::playPauseSwitch() const { return m_playPause; }
QAbstractButton *QXControlBar::timeWindBackwardButton() const { return m_windBackward; }
QAbstractButton *QXControlBar::timeWindForwardButton() const { return m_windForward; }
QAbstractButton *QXControlBar::rotateButton() const { return m_rotate; }
QAbstractButton *QXControlBar::aspectRatioLockSwitch() const { return m_lock; }
QAbstractButton *QXControlBar::presentationSwitch() const { return m_presentation; }
