#include "QXMovieView.h"

#include "QXMovie.h"
#include "QXMovieEngine.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLWindow>
#include <QPainter>
#include <QVBoxLayout>

#include <mpv/render_gl.h>

namespace {

// mpv allows one render context per handle; the first view to make one owns it.
QXMovieView *s_renderOwner = nullptr;

void *glProcAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

} // namespace

// The native GL window the picture is drawn in; input goes on to the view, so the widgets
// around it see clicks, mouse moves and keys as if the view had them.
class QXMovieSurface : public QOpenGLWindow
{
public:
    explicit QXMovieSurface(QXMovieView *view) : QOpenGLWindow(NoPartialUpdate), m_view(view) {}

protected:
    void initializeGL() override { m_view->initializeGL(); }
    void paintGL() override { m_view->paintGL(); }
    void resizeGL(int, int) override { update(); }
    bool event(QEvent *e) override
    {
        switch (e->type()) {
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
            return QOpenGLWindow::event(e);
        }
    }

private:
    QXMovieView *m_view;
};

QXMovieView::QXMovieView(QWidget *parent) : QWidget(parent)
{
    m_surface = new QXMovieSurface(this);
    m_container = QWidget::createWindowContainer(m_surface, this);
    m_container->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container);
}

QImage QXMovieView::grabFramebuffer()
{
    // Draw what the view shows now, then read it back: a pending redraw may not have run.
    if (!m_surface->isExposed() || !m_surface->context())
        return {};
    m_surface->makeCurrent();
    paintGL();
    return m_surface->grabFramebuffer();
}

void QXMovieView::updatePicture()
{
    m_surface->update();
}

QXMovieView::~QXMovieView()
{
    freeRenderContextWithCurrentContext();
    // The surface destroys the GL context after this body; nothing of ours may run then.
    if (QOpenGLContext *glContext = m_surface->context())
        disconnect(glContext, nullptr, this, nullptr);
    if (m_movie && m_movie->isAttached())
        if (QXMovieEngine *engine = QXMovieEngine::existing())
            engine->attach(nullptr);
}

QSize QXMovieView::defaultSize()
{
    return QSize(480, 260);
}

void QXMovieView::setMovie(QXMovie *movie)
{
    // Clearing an empty view makes no player.
    QXMovieEngine *engine = movie ? QXMovieEngine::shared() : QXMovieEngine::existing();
    if (movie == m_movie && (!movie || movie->isAttached())) {
        updatePicture();
        return;
    }
    m_movie = movie;
    m_frameReady = false;
    if (engine) {
        engine->setKeepAspect(m_preservesAspectRatio);
        engine->attach(movie);
    }
    updatePicture();
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

void QXMovieView::initializeGL()
{
    // Runs again with a new GL context whenever the view moves to another top-level window
    // (presentation mode); the old context's render context was freed as it went away.
    connect(m_surface->context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &QXMovieView::freeRenderContextWithCurrentContext, Qt::DirectConnection);
    QXMovieEngine *engine = QXMovieEngine::shared();
    if (!engine || !engine->usesRenderApi() || m_renderContext
        || (s_renderOwner && s_renderOwner != this))
        return;

    mpv_opengl_init_params glInit{glProcAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context *renderContext = nullptr;
    if (mpv_render_context_create(&renderContext, engine->handle(), params) < 0)
        return;
    m_renderContext = renderContext;
    s_renderOwner = this;
    connect(engine, &QXMovieEngine::aboutToShutDown, this,
            &QXMovieView::freeRenderContextWithCurrentContext, Qt::UniqueConnection);
    // Runs on mpv's threads: post to the main thread only.
    mpv_render_context_set_update_callback(
        renderContext,
        [](void *view) {
            auto *self = static_cast<QXMovieView *>(view);
            QMetaObject::invokeMethod(self, [self] { self->renderUpdate(); }, Qt::QueuedConnection);
        },
        this);
    engine->renderContextCreated();
}

void QXMovieView::renderUpdate()
{
    if (!m_renderContext)
        return;
    const uint64_t flags = mpv_render_context_update(static_cast<mpv_render_context *>(m_renderContext));
    if (flags & MPV_RENDER_UPDATE_FRAME) {
        m_frameReady = true;
        updatePicture();
    }
}

void QXMovieView::paintGL()
{
    const bool showPicture = m_renderContext && m_movie && m_movie->isAttached() && m_movie->hasVideo();
    if (showPicture) {
        const qreal ratio = m_surface->devicePixelRatio();
        mpv_opengl_fbo fbo{int(m_surface->defaultFramebufferObject()), qRound(m_surface->width() * ratio),
                           qRound(m_surface->height() * ratio), 0};
        int flipY = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(static_cast<mpv_render_context *>(m_renderContext), params);
        if (m_frameReady) {
            m_frameReady = false;
            ++m_framesDrawn;
            emit frameDrawn();
        }
        return;
    }
    QPainter painter(m_surface);
    const QRect area(QPoint(0, 0), m_surface->size());
    painter.fillRect(area, Qt::black);
    const QString text = m_messageProvider ? m_messageProvider() : QString();
    if (!text.isEmpty())
        drawMessage(painter, text, area);
}

void QXMovieView::drawMessage(QPainter &painter, const QString &text, const QRect &rect)
{
    const QRect area = rect.adjusted(rect.width() / 20, rect.height() / 20,
                                     -rect.width() / 20, -rect.height() / 20);
    if (area.isEmpty())
        return;
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // As large as fits, within reading sizes.
    int pixels = qBound(12, rect.height() / 8, 40);
    for (; pixels > 10; pixels -= 2) {
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(area, flags, text);
        if (needed.width() <= area.width() && needed.height() <= area.height())
            break;
    }
    font.setPixelSize(pixels);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawText(area, flags, text);
}

void QXMovieView::freeRenderContextWithCurrentContext()
{
    if (!m_renderContext)
        return;
    m_surface->makeCurrent();
    freeRenderContext();
    m_surface->doneCurrent();
}

void QXMovieView::freeRenderContext()
{
    if (!m_renderContext)
        return;
    auto *renderContext = static_cast<mpv_render_context *>(m_renderContext);
    m_renderContext = nullptr;
    m_frameReady = false;
    if (s_renderOwner == this)
        s_renderOwner = nullptr;
    if (QXMovieEngine *engine = QXMovieEngine::existing())
        engine->renderContextAboutToBeFreed();
    mpv_render_context_set_update_callback(renderContext, nullptr, nullptr);
    mpv_render_context_free(renderContext);
}

void QXMovieView::paintEvent(QPaintEvent *)
{
    // Whoever asks the view to redraw means the picture or the message.
    m_surface->update();
}
