#pragma once
// Shows the attached movie's picture through mpv's OpenGL render API, or, with no movie or
// a movie without a picture, the message its provider gives. The picture is drawn in a native
// OpenGL window inside this widget: a QOpenGLWidget would have Qt draw every frame a second
// time when composing the top-level window.
#include <QImage>
#include <QWidget>
#include <QPointer>
#include <functional>

class QPainter;

class QXMovie;
class QXMovieSurface;

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

    // Text drawn when there is no picture to show; empty text draws nothing.
    void setMessageProvider(std::function<QString()> provider) { m_messageProvider = std::move(provider); }

    // Frames drawn so far (for benchmarks and tests).
    quint64 framesDrawn() const { return m_framesDrawn; }
    // The picture as drawn last (for tests and screenshots).
    QImage grabFramebuffer();
    // Redraws the picture or the message.
    void updatePicture();

signals:
    void frameDrawn();

protected:
    friend class QXMovieSurface;
    void initializeGL();
    void paintGL();
    void paintEvent(QPaintEvent *event) override;
    // Draws the message in white, centred in rect, over the black ground already painted.
    virtual void drawMessage(QPainter &painter, const QString &text, const QRect &rect);

private:
    void freeRenderContext();
    void freeRenderContextWithCurrentContext();
    void renderUpdate();

    QPointer<QXMovie> m_movie;
    bool m_controllerVisible = false;
    bool m_preservesAspectRatio = false;
    std::function<QString()> m_messageProvider;
    void *m_renderContext = nullptr;   // mpv_render_context
    QXMovieSurface *m_surface = nullptr;
    QWidget *m_container = nullptr;
    quint64 m_framesDrawn = 0;
    bool m_frameReady = false;         // mpv has a new frame for the next paintGL
};
