#include "QXMovieView.h"

#include "QXMovie.h"
#include "QXMovieEngine.h"
#include "QXVideoRenderer.h"

#include <QGuiApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLPaintDevice>
#include <QApplication>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <cstdio>

// The native window the picture is drawn in; input goes on to the view, so the widgets
// around it see clicks, mouse moves and keys as if the view had them.
class QXMovieSurface : public QWindow
{
public:
    explicit QXMovieSurface(QXMovieView *view) : m_view(view)
    {
        setSurfaceType(QSurface::OpenGLSurface);
        if (QOpenGLContext *gl = QXVideoRenderer::sharedGLContext())
            setFormat(gl->format());
    }

protected:
    void exposeEvent(QExposeEvent *) override
    {
        if (isExposed())
            m_view->renderSurface();
    }
    bool event(QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::UpdateRequest:
            m_view->renderSurface();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            QCoreApplication::sendEvent(m_view, e);
            return true;
        default:
            return QWindow::event(e);
        }
    }

private:
    QXMovieView *m_view;
};

class QXMovieView::Presenter : public QXVideoRenderer::Presenter
{
public:
    explicit Presenter(QXMovieView *view) : m_view(view) {}
    bool canPresent() const override { return m_view->canPresent(); }
    // Drawn at once: the player's video output waits for each frame to be drawn before it
    // moves on, so a frame left for the next update pass would hold back the movie's start.
    void presentSoon() override { m_view->presentFrame(); }

private:
    QXMovieView *m_view;
};

static QXVideoRenderer *currentRenderer()
{
    QXMovieEngine *engine = QXMovieEngine::existing();
    return engine ? engine->renderer() : nullptr;
}

// A native window of our own shows the picture where the window system composes it with the
// rest of the window: X11. Under Wayland such a window is a subsurface that this Qt never
// presents, so the widget paints the picture itself there, as it does without OpenGL.
static bool nativeWindowWanted()
{
    const QByteArray forced = qgetenv("VISTREL_VIEW");
    if (!forced.isEmpty())
        return forced == "native" && QXVideoRenderer::openGLAvailable();
    return QXVideoRenderer::openGLAvailable() && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QXMovieView::QXMovieView(QWidget *parent) : QWidget(parent), m_presenter(new Presenter(this))
{
    if (nativeWindowWanted()) {
        m_surface = new QXMovieSurface(this);
        m_container = QWidget::createWindowContainer(m_surface, this);
        m_container->setFocusPolicy(Qt::NoFocus);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_container);
    } else {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    // For the playback benchmarks: a cheap run must also be one that drew every frame. Told as
    // each is drawn, as the command-line player's status line does, so a benchmark can count
    // the frames of any stretch of time.
    if (qEnvironmentVariableIsSet("VISTREL_BENCH_REPORT"))
        connect(this, &QXMovieView::frameDrawn, this,
                [this] { fprintf(stderr, "vistrel-bench-frames=%lld\n", static_cast<long long>(m_framesDrawn)); });
}

QXMovieView::~QXMovieView()
{
    if (QXVideoRenderer *r = currentRenderer(); r && r->presenter() == m_presenter)
        r->setPresenter(nullptr);
    delete m_presenter;
    if (m_movie && m_movie->isAttached())
        if (QXMovieEngine *engine = QXMovieEngine::existing())
            engine->attach(nullptr);
}

QSize QXMovieView::defaultSize()
{
    return QSize(480, 260);
}

void QXMovieView::connectRenderer()
{
    if (QXVideoRenderer *r = currentRenderer())
        r->setPresenter(m_presenter);
}

void QXMovieView::setMovie(QXMovie *movie)
{
    // Clearing an empty view makes no player.
    QXMovieEngine *engine = movie ? QXMovieEngine::shared() : QXMovieEngine::existing();
    connectRenderer();
    if (movie == m_movie && (!movie || movie->isAttached())) {
        updatePicture();
        return;
    }
    m_movie = movie;
    if (engine) {
        engine->setKeepAspect(m_preservesAspectRatio);
        engine->attach(movie);
    }
    updatePicture();
}

void QXMovieView::installDropFilter(QObject *filter)
{
    installEventFilter(filter);
    // X11 hands a drag to the deepest native window under the pointer, and Qt's container
    // passes the widget's own drags into it as well: the native window is where they land.
    if (m_surface)
        m_surface->installEventFilter(filter);
}

QXMovie *QXMovieView::movie() const
{
    return m_movie;
}

void QXMovieView::play()
{
    if (m_movie)
        m_movie->play();
}

void QXMovieView::pause()
{
    if (m_movie)
        m_movie->stop();
}

bool QXMovieView::isPlaying() const
{
    return m_movie && m_movie->isPlaying();
}

void QXMovieView::setPreservesAspectRatio(bool preserves)
{
    m_preservesAspectRatio = preserves;
    if (QXMovieEngine *engine = QXMovieEngine::existing(); engine && m_movie && m_movie->isAttached())
        engine->setKeepAspect(preserves);
    updatePicture();
}

bool QXMovieView::showsPicture() const
{
    // Until it can play, a movie has no picture to show: the loading message stands instead.
    return m_movie && m_movie->isAttached() && m_movie->hasVideo()
        && m_movie->loadState() >= QXMovieLoadStatePlayable && currentRenderer();
}

bool QXMovieView::canPresent() const
{
    if (!showsPicture())
        return false;
    if (m_surface)
        return m_surface->isExposed();
    const QWindow *w = window()->windowHandle();
    return isVisible() && w && w->isExposed();
}

void QXMovieView::presentFrame()
{
    if (m_surface)
        renderSurface();
    else
        repaint();
}

void QXMovieView::updatePicture()
{
    if (m_surface)
        m_surface->requestUpdate();
    else
        update();
}

void QXMovieView::renderSurface()
{
    if (!m_surface || !m_surface->isExposed())
        return;
    const qreal ratio = m_surface->devicePixelRatio();
    const QSize pixels = m_surface->size() * ratio;
    QXVideoRenderer *r = currentRenderer();
    QOpenGLContext *gl = QXVideoRenderer::sharedGLContext();
    const bool picture = showsPicture();
    if (picture && !r->hasNewFrame() && r->awaitsPicture()) {
        // What mpv would redraw is the picture of the file left: the one on screen stays until
        // the new file's first frame. A surface of another size has none to keep.
        if (pixels == m_lastPixels || !gl || !gl->makeCurrent(m_surface))
            return;
        m_lastPixels = pixels;
        QOpenGLFunctions *f = gl->functions();
        f->glClearColor(0, 0, 0, 1);
        f->glClear(GL_COLOR_BUFFER_BIT);
        gl->swapBuffers(m_surface);
        emit swapped();
        return;
    }
    m_lastPixels = pixels;
    if (picture && r->mode() == QXVideoRenderer::Mode::OpenGL) {
        const bool fresh = r->hasNewFrame();
        if (!r->renderToWindow(m_surface, pixels))
            return;
        r->finishWindowFrame(m_surface);
        emit swapped();
        if (fresh) {
            ++m_framesDrawn;
            emit frameDrawn();
        }
        return;
    }
    if (!gl || !gl->makeCurrent(m_surface))
        return;
    bool fresh = false;
    {
        QOpenGLPaintDevice device(pixels);
        device.setDevicePixelRatio(ratio);
        QPainter painter(&device);
        // With a picture, mpv draws in software although this machine has OpenGL.
        fresh = picture && r->hasNewFrame();
        if (picture && r->renderToImage(&m_softwareFrame, pixels))
            painter.drawImage(QRect(QPoint(0, 0), m_surface->size()), m_softwareFrame);
        else if (!picture)
            paintMessage(painter, m_surface->size());
        else
            fresh = false;
    }
    gl->swapBuffers(m_surface);
    emit swapped();
    if (fresh) {
        ++m_framesDrawn;
        emit frameDrawn();
    }
}

void QXMovieView::paintEvent(QPaintEvent *)
{
    if (m_surface) {
        // Whoever asks the view to redraw means the picture or the message.
        m_surface->requestUpdate();
        return;
    }
    QPainter painter(this);
    QXVideoRenderer *r = currentRenderer();
    if (showsPicture()) {
        const bool fresh = r->hasNewFrame();
        if (!fresh && r->awaitsPicture()) {
            // The last picture drawn stays until the new file's first frame (see renderSurface).
            const QSize pixels = size() * devicePixelRatioF();
            if (m_softwareFrame.size() == pixels)
                painter.drawImage(rect(), m_softwareFrame);
            else
                painter.fillRect(rect(), Qt::black);
            return;
        }
        if (r->renderToImage(&m_softwareFrame, size() * devicePixelRatioF())) {
            painter.drawImage(rect(), m_softwareFrame);
            if (fresh) {
                ++m_framesDrawn;
                emit frameDrawn();
            }
            return;
        }
    }
    paintMessage(painter, size());
}

void QXMovieView::paintMessage(QPainter &painter, const QSize &size)
{
    // Laid out in the whole view, whatever part is being redrawn.
    drawMessage(painter, m_messageProvider ? m_messageProvider() : QXViewMessage(), QRect(QPoint(0, 0), size));
}

QImage QXMovieView::grabFramebuffer()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (pixels.isEmpty())
        return {};
    if (showsPicture()) {
        QImage picture = currentRenderer()->grab(pixels);
        picture.setDevicePixelRatio(ratio);
        return picture;
    }
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    paintMessage(painter, size());
    return image;
}

QXMessageLayout QXMessageFontSize(const QSizeF &view, const std::function<QSizeF(int)> &measure)
{
    const QSizeF at20 = measure(20);
    if (!(at20.width() > 0) || !(at20.height() > 0) || view.isEmpty())
        return {};
    QXMessageLayout l;
    // std::round halves away from zero.
    l.fontSize = int(std::round(view.width() * 17 / at20.width()));
    l.height = l.fontSize >= 1 ? measure(l.fontSize).height() : 0;
    if (l.height > view.height()) {
        l.fontSize = int(std::round(view.height() * 17 / at20.height()));
        l.height = l.fontSize >= 1 ? measure(l.fontSize).height() : 0;
    }
    if (l.fontSize < 1)
        return {};
    return l;
}

QColor QXMessageGround()
{
    return QColor(237, 237, 237);   // white 0.93
}

QColor QXMessageInk(bool failure)
{
    // A failure is news the user has to read (contrast 6.4:1 on the ground); the quiet notes
    // stay in the background, light grey on the lighter ground, yet readable (1.5:1, large).
    return failure ? QColor(155, 44, 44) : QColor(200, 200, 200);
}

void QXMovieView::drawMessage(QPainter &painter, const QXViewMessage &message, const QRect &rect)
{
    painter.fillRect(rect, QXMessageGround());
    const QString &text = message.text;
    if (text.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setBold(true);
    const auto measure = [&](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetricsF(font).boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignHCenter, text).size();
    };
    const QXMessageLayout l = QXMessageFontSize(rect.size(), measure);
    if (l.fontSize < 1)
        return;
    font.setPixelSize(l.fontSize);
    painter.save();
    painter.setFont(font);
    painter.setPen(QXMessageInk(message.failure));
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Centred: its top half its height above the middle of the view.
    painter.drawText(QRectF(rect.x(), rect.y() + (rect.height() - l.height) / 2, rect.width(), l.height),
                     Qt::AlignHCenter | Qt::AlignTop, text);
    painter.restore();
}
