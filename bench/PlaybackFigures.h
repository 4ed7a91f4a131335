#pragma once
// What the playback benchmark reads from outside the players: CPU time from /proc, the windows
// the X server shows, and the picture drawn in them. Plain functions, tested on their own.
#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cctype>

namespace PlaybackFigures {

// utime + stime of a /proc/<pid>/stat line, in clock ticks, with the reaped children's
// (cutime + cstime) when asked; negative when the line cannot be read. The command name may
// hold spaces and parentheses, so the fields count from the last ')'.
inline double statTicks(const QByteArray &stat, bool withReapedChildren)
{
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> f = stat.mid(close + 2).trimmed().split(' ');
    // The list starts at field 3: utime is field 14, cstime field 17.
    if (f.size() < 15)
        return -1;
    double ticks = f.at(11).toDouble() + f.at(12).toDouble();
    if (withReapedChildren)
        ticks += f.at(13).toDouble() + f.at(14).toDouble();
    return ticks;
}

struct Window
{
    QString id;
    QString name;      // as xwininfo quotes it, empty for "(has no name)"
    QString wmClass;   // both class strings, as printed: "\"gl\" \"mpv\""
    QSize size;
    int depth = 0;     // 0 for the root's children, 1 for theirs, ...
};

// The windows of `xwininfo -root -tree`, in its order, with how deep each sits below the root.
inline QList<Window> parseWindowTree(const QString &tree)
{
    static const QRegularExpression line(
        QStringLiteral(R"re(^( +)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)[+-])re"));
    QList<Window> windows;
    int rootIndent = -1;
    for (const QString &l : tree.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch())
            continue;
        const int indent = int(m.capturedLength(1));
        if (rootIndent < 0)
            rootIndent = indent;
        // xwininfo indents each level by three more spaces.
        windows.append({m.captured(2), m.captured(3), m.captured(4).trimmed(),
                        QSize(m.captured(5).toInt(), m.captured(6).toInt()), (indent - rootIndent) / 3});
    }
    return windows;
}

// The window the picture is drawn in: the largest top-level window whose class names
// `wmClass` and whose title holds `title`, or, when `inChild`, its largest child window (the
// player draws its picture in a native child window). An empty size when none is shown.
inline QSize pictureWindow(const QList<Window> &windows, const QString &wmClass, const QString &title, bool inChild)
{
    QSize best;
    const auto larger = [&best](const QSize &s) {
        if (qint64(s.width()) * s.height() > qint64(best.width()) * best.height())
            best = s;
    };
    for (int i = 0; i < windows.size(); ++i) {
        const Window &w = windows.at(i);
        if (w.depth != 0 || !w.wmClass.contains(wmClass) || !w.name.contains(title))
            continue;
        if (!inChild) {
            larger(w.size);
            continue;
        }
        for (int c = i + 1; c < windows.size() && windows.at(c).depth > 0; ++c)
            if (windows.at(c).depth == 1)
                larger(windows.at(c).size);
    }
    return best;
}

// The picture of a movie of `natural` size fitted whole into a window of `window` size, as
// both players draw it (keeping its proportions, centred, bars on two sides).
inline QSize fittedPicture(const QSize &natural, const QSize &window)
{
    if (natural.isEmpty() || window.isEmpty())
        return {};
    return natural.scaled(window, Qt::KeepAspectRatio);
}

inline double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v.at(n / 2) : (v.at(n / 2 - 1) + v.at(n / 2)) / 2;
}

// The number after `key` in a player's output (its last mention), or -1.
inline qint64 reportedNumber(const QByteArray &output, const QByteArray &key)
{
    const int at = output.lastIndexOf(key);
    if (at < 0)
        return -1;
    QByteArray digits;
    for (int i = int(at + key.size()); i < output.size() && std::isdigit(uchar(output.at(i))); ++i)
        digits.append(output.at(i));
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok ? n : -1;
}

// Frames shown so far, by what the process has written: mpv's status line gives its position
// in frames and its drops, the player counts what it drew.
inline qint64 framesShown(const QByteArray &output, bool isMpv)
{
    if (!isMpv)
        return std::max<qint64>(0, reportedNumber(output, "vistrel-bench-frames="));
    const qint64 played = reportedNumber(output, "vistrel-bench-played=");
    if (played < 0)
        return 0;
    return played - std::max<qint64>(0, reportedNumber(output, "vistrel-bench-dropped="))
           - std::max<qint64>(0, reportedNumber(output, "vistrel-bench-decoder-dropped="));
}

} // namespace PlaybackFigures
