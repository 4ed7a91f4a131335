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
// mpv waits up to 0.2 s per frame for someone to render it, and its other threads wait on that
// one when a file opens: every frame it offers is drawn or skipped at once, so neither playback
// of a hidden window nor the opening of the next file waits on a frame nobody takes.
//
// Another file being loaded, the frames mpv offers and the picture it would redraw are still
// the file left's: they are skipped and the screen keeps what it shows until the new file's
// first frame.
#include <QImage>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>

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
        virtual void presentSoon() = 0;   // draws the new frame now
    };
    void setPresenter(Presenter *presenter);
    Presenter *presenter() const { return m_presenter; }

    // The engine's news of the file it loads: another file is being loaded; that file is open,
    // so the frames mpv offers from now on are its own (a redraw still shows the file left);
    // its first frame reached the output. Until then awaitsPicture() holds, and what mpv holds
    // is not to be drawn.
    void awaitNextFile();
    void nextFileOpened();
    void nextFileShown();
    bool awaitsPicture() const { return m_await != Await::None; }
    // Runs before a frame is judged while a file opens: the news that the file is open may
    // still wait behind the frame in the event queue.
    void setEventCatchUp(std::function<void()> catchUp) { m_catchUp = std::move(catchUp); }

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
    enum class Await { None, Open, FirstFrame };
    void update();
    bool nextFrameIsRedraw() const;
    void skipFrame();
    // After a render call: the frame mpv offered, if any, is taken.
    void tookFrame();

    Mode m_mode;
    void *m_context = nullptr;   // mpv_render_context
    QOpenGLFramebufferObject *m_readBack = nullptr;   // OpenGL pictures drawn into images
    Presenter *m_presenter = nullptr;
    bool m_newFrame = false;
    bool m_newFrameIsNextFiles = false;   // the frame offered is the next file's first
    Await m_await = Await::None;
    std::function<void()> m_catchUp;
    std::atomic<bool> m_updatePosted{false};
};
