#include "QXMovieView.h"

#include "QXMovie.h"
#include "QXMovieEngine.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QOpenGLContext>
#include <QPainter>

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

QXMovieView::QXMovieView(QWidget *parent) : QOpenGLWidget(parent)
{
}

QXMovieView::~QXMovieView()
{
    freeRenderContextWithCurrentContext();
    // The base class destroys the GL context after this body; nothing of ours may run then.
    if (QOpenGLContext *glContext = context())
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
        update();
        return;
    }
    m_movie = movie;
    m_frameReady = false;
    if (engine) {
        engine->setKeepAspect(m_preservesAspectRatio);
        engine->attach(movie);
    }
    update();
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
    update();
}

void QXMovieView::initializeGL()
{
    // Runs again with a new GL context whenever the view moves to another top-level window
    // (presentation mode); the old context's render context was freed as it went away.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
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
        update();
    }
}

void QXMovieView::paintGL()
{
    const bool showPicture = m_renderContext && m_movie && m_movie->isAttached() && m_movie->hasVideo();
    if (showPicture) {
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{int(defaultFramebufferObject()), qRound(width() * ratio),
                           qRound(height() * ratio), 0};
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
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QString text = m_messageProvider ? m_messageProvider() : QString();
    if (!text.isEmpty())
        drawMessage(painter, text, rect());
}

void QXMovieView::resizeGL(int, int)
{
    update();
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
    makeCurrent();
    freeRenderContext();
    doneCurrent();
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
