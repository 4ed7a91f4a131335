#pragma once
// Shows the attached movie's picture, or, with no movie, a movie that has not loaded far enough
// to play, or one without a picture, the message its provider gives.
//
// With OpenGL the picture is drawn in a native window inside this widget: a QOpenGLWidget would
// have Qt draw every frame a second time when composing the top-level window. Without OpenGL
// the widget paints mpv's software rendering itself.
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

class QPainter;
class QXMovie;
class QXMovieSurface;

// The message's font size for a view: the size at which the text takes 85 % of the view's
// width, or, if it is then taller than the view, 85 % of its height; measure gives the text's
// size at a font size. Also the text's height at that size. Size 0 (draw no text) for text
// that measures nothing or a size under 1 px.
struct QXMessageLayout
{
    int fontSize = 0;
    qreal height = 0;
};
QXMessageLayout QXMessageFontSize(const QSizeF &view, const std::function<QSizeF(int fontSize)> &measure);

// What the view shows without a picture: a quiet note (what is selected, loading) drawn
// light on light, or a failure, drawn dark enough to read at once.
struct QXViewMessage
{
    QXViewMessage(const QString &text = {}, bool failure = false) : text(text), failure(failure) {}
    QString text;
    bool failure;
};

// The ground and the ink of a message.
QColor QXMessageGround();
QColor QXMessageInk(bool failure);

class QXMovieView : public QWidget
{
    Q_OBJECT
public:
    explicit QXMovieView(QWidget *parent = nullptr);
    ~QXMovieView() override;

    // The size the view asks for with no movie.
    static QSize defaultSize();

    // Attaches the movie to the player (detaching the previous one); nullptr clears the view.
    void setMovie(QXMovie *movie);
    QXMovie *movie() const;
    void play();
    void pause();
    // The view has a movie and that movie plays.
    bool isPlaying() const;

    // The engine draws no controls of its own; kept for callers that ask.
    void setControllerVisible(bool visible) { m_controllerVisible = visible; }
    bool isControllerVisible() const { return m_controllerVisible; }
    int controllerBarHeight() const { return 0; }
    // Off: the picture fills the view exactly (the window keeps the proportions).
    void setPreservesAspectRatio(bool preserves);
    bool preservesAspectRatio() const { return m_preservesAspectRatio; }

    // The message drawn large when there is no picture to show; empty text leaves only the
    // ground.
    void setMessageProvider(std::function<QXViewMessage()> provider) { m_messageProvider = std::move(provider); }

    // Installs an event filter that takes drags and drops on the picture. Positions are the
    // view's, whichever window the drag arrives at.
    void installDropFilter(QObject *filter);

    // Whether the movie's picture is what the view shows now (rather than the message).
    bool showsPicture() const;
    // The picture is in a native window of its own, which covers any widget laid over it;
    // otherwise the view paints it and widgets can sit on top.
    bool drawsInNativeWindow() const { return m_surface != nullptr; }
    // Frames drawn on screen so far (for benchmarks and tests).
    quint64 framesDrawn() const { return m_framesDrawn; }
    // What the view shows, drawn now at its size (for tests and screenshots).
    QImage grabFramebuffer();
    // Redraws the picture or the message.
    void updatePicture();

signals:
    // A new frame of the movie reached the screen.
    void frameDrawn();
    // The native window showed anything new: a frame, a redraw, the message (tests).
    void swapped();

protected:
    friend class QXMovieSurface;
    void paintEvent(QPaintEvent *event) override;
    // Fills rect with the message's ground and draws the text centred in it.
    virtual void drawMessage(QPainter &painter, const QXViewMessage &message, const QRect &rect);

private:
    class Presenter;
    bool canPresent() const;
    // OpenGL: draws into the native window now.
    void renderSurface();
    // Draws a new frame now.
    void presentFrame();
    void paintMessage(QPainter &painter, const QSize &size);
    void connectRenderer();

    QPointer<QXMovie> m_movie;
    bool m_controllerVisible = false;
    bool m_preservesAspectRatio = false;
    std::function<QXViewMessage()> m_messageProvider;
    QXMovieSurface *m_surface = nullptr;   // OpenGL only
    QWidget *m_container = nullptr;
    Presenter *m_presenter = nullptr;
    QImage m_softwareFrame;                // software only
    quint64 m_framesDrawn = 0;
    QSize m_lastPixels;
};
