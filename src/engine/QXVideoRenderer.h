#pragma once
// Draws the player's pictures through mpv's render API. The render context is made with the
// handle, before any file is loaded, so the video output never changes under a loaded file
// (mpv rebuilds its video chain then, and a stream that cannot seek never sends a frame again).
//
// With OpenGL the render context lives on one process-wide GL context, made current on an
// offscreen surface when no window shows the picture and on the view's native window when one
// does; moving the view to another window (presentation) keeps it. Where no GL context can be
// made (no driver, Qt's offscreen platform) mpv renders in software into an image.
//
// mpv waits up to 0.2 s per frame for someone to render it: frames no view can show are
// skipped at once, so playback of a hidden or minimised window keeps its pace.
#include <QImage>
#include <QObject>
#include <QPointer>

#include <atomic>

struct mpv_handle;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QWindow;

class QXVideoRenderer : public QObject
{
    Q_OBJECT
public:
    enum class Mode { OpenGL, Software };

    // The process-wide GL context (made current on its offscreen surface), or nullptr when
    // none can be made or VISTREL_RENDER=software asks for the software path. Made once.
    static QOpenGLContext *sharedGLContext();
    static bool openGLAvailable() { return sharedGLContext() != nullptr; }
    // Makes the shared context current on its offscreen surface.
    static bool makeOffscreenCurrent();

    // A render context for the handle (after mpv_initialize), or nullptr.
    static QXVideoRenderer *create(mpv_handle *mpv, QObject *parent = nullptr);
    ~QXVideoRenderer() override;

    Mode mode() const { return m_mode; }

    // Who shows the picture. canPresent answers whether a render now would reach the screen.
    class Presenter
    {
    public:
        virtual ~Presenter() = default;
        virtual bool canPresent() const = 0;
        virtual void presentSoon() = 0;   // schedule a render (OpenGL: requestUpdate)
        // A frame that cannot be presented yet but soon will: kept, not skipped.
        virtual bool holdsFrame() const { return false; }
    };
    void setPresenter(Presenter *presenter);
    // Presents a new frame, keeps it while the presenter holds frames, or skips it.
    void offerFrame();
    Presenter *presenter() const { return m_presenter; }

    // OpenGL: renders into the window's default framebuffer with the shared context current on
    // it; the caller may paint on top and then calls finishWindowFrame.
    bool renderToWindow(QWindow *window, const QSize &pixelSize);
    void finishWindowFrame(QWindow *window);
    // Into an image, (re)made at the given pixel size: mpv's software renderer, or with OpenGL
    // a framebuffer read back (where no native window can show the picture, as under Wayland).
    bool renderToImage(QImage *image, const QSize &pixelSize);
    // The picture at the given size, drawn now (tests, screenshots).
    QImage grab(const QSize &pixelSize);

    // A new frame came since the last render.
    bool hasNewFrame() const { return m_newFrame; }

    // Frees the render context (before the handle goes).
    void release();

signals:
    void frameReady();

private:
    QXVideoRenderer(Mode mode, void *renderContext, QObject *parent);
    void update();
    void skipFrame();

    Mode m_mode;
    void *m_context = nullptr;   // mpv_render_context
    QOpenGLFramebufferObject *m_readBack = nullptr;   // OpenGL pictures drawn into images
    Presenter *m_presenter = nullptr;
    bool m_newFrame = false;
    std::atomic<bool> m_updatePosted{false};
};
