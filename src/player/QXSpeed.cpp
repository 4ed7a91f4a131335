#include "player/QXSpeed.h"

#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "player/QXControlBar.h"

#include <array>
#include <cmath>

namespace {

constexpr std::array<double, 9> Steps{0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
// Speeds this close count as the same step (a speed read back from the player).
constexpr double Tolerance = 1e-6;

} // namespace

double QXFasterSpeed(double speed)
{
    for (const double step : Steps)
        if (step > speed + Tolerance)
            return step;
    return speed;
}

double QXSlowerSpeed(double speed)
{
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
        if (*it < speed - Tolerance)
            return *it;
    return speed;
}

QString QXSpeedText(double speed)
{
    if (!std::isfinite(speed) || std::fabs(speed - 1.0) < Tolerance)
        return {};
    return QString::number(speed, 'g', 3) + QChar(0x00D7);
}

QXSpeedControl::QXSpeedControl(QXControlBar *bar, std::function<QXMovie *()> currentMovie,
                               std::function<void()> refused, QObject *parent)
    : QObject(parent), m_bar(bar), m_currentMovie(std::move(currentMovie)), m_refused(std::move(refused))
{
}

double QXSpeedControl::speed() const
{
    const QXMovieEngine *engine = QXMovieEngine::existing();
    return engine ? engine->speed() : 1.0;
}

void QXSpeedControl::slower() { change(QXSlowerSpeed(speed())); }
void QXSpeedControl::faster() { change(QXFasterSpeed(speed())); }
void QXSpeedControl::normal() { change(1.0); }

void QXSpeedControl::setSpeed(double speed)
{
    if (speed >= Steps.front() && speed <= Steps.back() && m_currentMovie() && std::fabs(speed - this->speed()) >= Tolerance)
        change(speed);
}

void QXSpeedControl::change(double speed)
{
    QXMovie *movie = m_currentMovie();
    QXMovieEngine *engine = QXMovieEngine::shared();
    if (!movie || !engine || std::fabs(speed - engine->speed()) < Tolerance) {
        m_refused();
        return;
    }
    engine->setSpeed(speed);
    m_bar->setSpeedText(QXSpeedText(speed));
    movie->showMessage(tr("Speed %1").arg(QString::number(speed, 'g', 3) + QChar(0x00D7)));
    emit speedChanged(speed);
}
