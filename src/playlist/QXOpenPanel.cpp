#include "app/QXMPController.h"
#include "player/QXPlayerWindow.h"

#include <QFileDialog>

void QXMPController::openDocument()
{
    const QStringList paths = QFileDialog::getOpenFileNames(playerWindow, tr("Open"));
    if (paths.isEmpty())
        return;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QUrl::fromLocalFile(p));
    openMovies(urls);
}
