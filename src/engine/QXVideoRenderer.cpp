#include "QXVideoRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QWindow>
#include <QtDebug>

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <cstdlib>

namespace {

struct SharedGL
{
    QOpenGLContext *context = nullptr;
    QOffscreenSurface *surface = nullptr;
    bool tried = false;
};

SharedGL &sharedGL()
{
    static SharedGL gl;
    return gl;
}

void *glProcAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

mpv_render_context *rc(void *p)
{
    return static_cast<mpv_render_context *>(p);
}

// mpv renders fastest into rows aligned to 64 bytes.
QImage alignedImage(const QSize &size)
{
    const qsizetype stride = (qsizetype(size.width()) * 4 + 63) / 64 * 64;
    void *data = std::aligned_alloc(64, size_t(stride * size.height()));
    if (!data)
        return {};
    return QImage(static_cast<uchar *>(data), size.width(), size.height(), stride, QImage::Format_RGB32,
                  [](void *d) { std::free(d); }, data);
}

} // namespace

QOpenGLContext *QXVideoRenderer::sharedGLContext()
{
    SharedGL &gl = sharedGL();
    if (gl.tried)
        return gl.context;
    gl.tried = true;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    if (qgetenv("VISTREL_RENDER") == "software")
        return nullptr;
    auto *context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    auto *surface = new QOffscreenSurface;
    surface->setFormat(QSurfaceFormat::defaultFormat());
    surface->create();
    if (!context->create() || !surface->isValid() || !context->makeCurrent(surface)) {
        // Said once: the picture is drawn in software from here on.
        qWarning("Vistrel: no OpenGL here; drawing movies in software (slower)");
        delete context;
        delete surface;
        return nullptr;
    }
    gl.context = context;
    gl.surface = surface;
    // Both go with the application, after every view and the player.
    qAddPostRoutine([] {
        SharedGL &g = sharedGL();
        delete g.context;
        delete g.surface;
        g.context = nullptr;
        g.surface = nullptr;
    });
    return context;
}

bool QXVideoRenderer::makeOffscreenCurrent()
{
    SharedGL &gl = sharedGL();
    return gl.context && gl.context->makeCurrent(gl.surface);
}

QXVideoRenderer *QXVideoRenderer::create(mpv_handle *mpv, QObject *parent)
{
    mpv_render_context *context = nullptr;
    if (sharedGLContext() && makeOffscreenCurrent()) {
        mpv_opengl_init_params glInit{glProcAddress, nullptr};
        // Hardware decoders hand their frames to OpenGL through the window system's display.
        void *x11Display = nullptr;
#if QT_CONFIG(xcb)
        if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            x11Display = x11->display();
#endif
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
            {x11Display ? MPV_RENDER_PARAM_X11_DISPLAY : MPV_RENDER_PARAM_INVALID, x11Display},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_create(&context, mpv, params) >= 0)
            return new QXVideoRenderer(Mode::OpenGL, context, parent);
        qWarning("Vistrel: mpv cannot draw with this OpenGL; drawing movies in software");
    }
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&context, mpv, params) >= 0)
        return new QXVideoRenderer(Mode::Software, context, parent);
    return nullptr;
}

QXVideoRenderer::QXVideoRenderer(Mode mode, void *renderContext, QObject *parent)
    : QObject(parent), m_mode(mode), m_context(renderContext)
{
    // Runs on mpv's threads: post to the main thread only, at most one pending update.
    mpv_render_context_set_update_callback(
        rc(m_context),
        [](void *self) {
            auto *r = static_cast<QXVideoRenderer *>(self);
            if (!r->m_updatePosted.exchange(true))
                QMetaObject::invokeMethod(r, [r] { r->update(); }, Qt::QueuedConnection);
        },
        this);
}

QXVideoRenderer::~QXVideoRenderer()
{
    release();
}

void QXVideoRenderer::release()
{
    if (!m_context)
        return;
    if (m_mode == Mode::OpenGL)
        makeOffscreenCurrent();
    delete m_readBack;
    m_readBack = nullptr;
    mpv_render_context_set_update_callback(rc(m_context), nullptr, nullptr);
    mpv_render_context_free(rc(m_context));
    m_context = nullptr;
    m_presenter = nullptr;
}

void QXVideoRenderer::setPresenter(Presenter *presenter)
{
    m_presenter = presenter;
}

void QXVideoRenderer::awaitNextFile()
{
    m_await = Await::Open;
}

void QXVideoRenderer::nextFileOpened()
{
    if (m_await == Await::Open)
        m_await = Await::FirstFrame;
}

void QXVideoRenderer::nextFileShown()
{
    // Drawn or not, the first frame is what mpv holds now.
    if (m_await == Await::FirstFrame)
        m_await = Await::None;
}

void QXVideoRenderer::update()
{
    m_updatePosted = false;
    if (!m_context)
        return;
    // Only a question about the next frame: no context is made current for it, since switching
    // the context between surfaces each frame costs a software OpenGL its buffers.
    const uint64_t flags = mpv_render_context_update(rc(m_context));
    if (!(flags & MPV_RENDER_UPDATE_FRAME))
        return;
    m_newFrame = true;
    if (m_await == Await::Open && m_catchUp)
        m_catchUp();
    if (!m_newFrame || !m_context)
        return;
    // mpv finishes with a frame before it says the next file is open (it waits for the output
    // when it sets that file up), so a frame that follows the news is the new file's own,
    // unless it redraws the picture held.
    m_newFrameIsNextFiles = m_await == Await::FirstFrame && !nextFrameIsRedraw();
    if (m_await == Await::Open || (m_await == Await::FirstFrame && !m_newFrameIsNextFiles)) {
        skipFrame();
        return;
    }
    if (m_presenter && m_presenter->canPresent()) {
        m_presenter->presentSoon();
        emit frameReady();
    }
    // Not drawn after all (or nobody to show it): skipped all the same, so mpv never waits.
    if (m_newFrame)
        skipFrame();
}

bool QXVideoRenderer::nextFrameIsRedraw() const
{
    mpv_render_frame_info info{};
    const mpv_render_param param{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info};
    return mpv_render_context_get_info(rc(m_context), param) >= 0 && (info.flags & MPV_RENDER_FRAME_INFO_REDRAW);
}

void QXVideoRenderer::tookFrame()
{
    if (m_newFrame && m_newFrameIsNextFiles && m_await == Await::FirstFrame)
        m_await = Await::None;
    m_newFrame = false;
    m_newFrameIsNextFiles = false;
}

void QXVideoRenderer::skipFrame()
{
    if (m_mode == Mode::OpenGL && !makeOffscreenCurrent())
        return;
    int skip = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(rc(m_context), params);
    tookFrame();
}

bool QXVideoRenderer::renderToWindow(QWindow *window, const QSize &pixelSize)
{
    QOpenGLContext *gl = sharedGL().context;
    if (!m_context || m_mode != Mode::OpenGL || !gl || !gl->makeCurrent(window))
        return false;
    mpv_opengl_fbo fbo{int(gl->defaultFramebufferObject()), pixelSize.width(), pixelSize.height(), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(rc(m_context), params);
    tookFrame();
    return true;
}

void QXVideoRenderer::finishWindowFrame(QWindow *window)
{
    // The swap is not reported: the player would then wait for each swap (a copy of the whole
    // picture under X without a GPU) before it decodes on, holding a movie's start back.
    if (QOpenGLContext *gl = sharedGL().context)
        gl->swapBuffers(window);
}

bool QXVideoRenderer::renderToImage(QImage *image, const QSize &pixelSize)
{
    if (!m_context || pixelSize.isEmpty())
        return false;
    if (m_mode == Mode::OpenGL) {
        if (!makeOffscreenCurrent())
            return false;
        if (!m_readBack || m_readBack->size() != pixelSize) {
            delete m_readBack;
            m_readBack = new QOpenGLFramebufferObject(pixelSize);
        }
        mpv_opengl_fbo fbo{int(m_readBack->handle()), pixelSize.width(), pixelSize.height(), 0};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(rc(m_context), params);
        tookFrame();
        // Rows in mpv's own order are top first, as an image has them; RGBA reads back on
        // every OpenGL, ES included.
        if (image->size() != pixelSize || image->format() != QImage::Format_RGBX8888)
            *image = QImage(pixelSize, QImage::Format_RGBX8888);
        QOpenGLFunctions *gl = QOpenGLContext::currentContext()->functions();
        m_readBack->bind();
        gl->glPixelStorei(GL_PACK_ALIGNMENT, 4);
        gl->glReadPixels(0, 0, pixelSize.width(), pixelSize.height(), GL_RGBA, GL_UNSIGNED_BYTE, image->bits());
        m_readBack->release();
        return true;
    }
    if (image->size() != pixelSize || image->format() != QImage::Format_RGB32)
        *image = alignedImage(pixelSize);
    if (image->isNull())
        return false;
    int size[2] = {pixelSize.width(), pixelSize.height()};
    // Format_RGB32 is 0xffRRGGBB per pixel: blue first in memory on little-endian machines.
    const char *format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";
    size_t stride = size_t(image->bytesPerLine());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>(format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, image->bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    const bool ok = mpv_render_context_render(rc(m_context), params) >= 0;
    tookFrame();
    return ok;
}

QImage QXVideoRenderer::grab(const QSize &pixelSize)
{
    if (!m_context || pixelSize.isEmpty())
        return {};
    if (m_mode == Mode::Software) {
        QImage image;
        return renderToImage(&image, pixelSize) ? image.copy() : QImage();
    }
    if (!makeOffscreenCurrent())
        return {};
    QOpenGLFramebufferObject target(pixelSize);
    mpv_opengl_fbo fbo{int(target.handle()), pixelSize.width(), pixelSize.height(), 0};
    int flipY = 1;   // read back as a window would show it
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(rc(m_context), params);
    tookFrame();
    return target.toImage();
}
