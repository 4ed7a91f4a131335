#pragma once
// Saving the frame shown as a PNG into the pictures folder, under "Vistrel", named after the
// movie and its time; a short message on the picture says where it went, or why not.
#include <QObject>
#include <QString>

class QXMovie;

// "<name without extension> H-MM-SS.mmm.png": no slash, no control character, no leading dot,
// and short enough for any file system (a long name is cut, never the time).
QString QXScreenshotFileName(const QString &movieName, double seconds);
// Creates the file name (else "<stem> (2).png", "<stem> (3).png" …) in folder, empty and new,
// so no other saving can take it; answers its path, or an empty path and the reason.
QString QXReserveNewFile(const QString &folder, const QString &fileName, QString *problem);
// The pictures folder of the desktop (XDG_PICTURES_DIR, else ~/Pictures) with "Vistrel" in it.
QString QXScreenshotFolder();

class QXScreenshotTaker : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Saves the movie's frame shown, named after its file (or address) and its time.
    void take(QXMovie *movie);

signals:
    // The file is written (for tests and whoever follows it), or could not be.
    void saved(const QString &path);
    void failed(const QString &reason);
};
