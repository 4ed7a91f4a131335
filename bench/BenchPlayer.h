#pragma once
// What the benchmarks that drive the player in this process share: the controller, the
// settings, and a scratch folder that holds the player's settings for the run.
#include "app/QXMPController.h"
#include "app/QXSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <clocale>

// Made after the application (which sets the locale from the environment): figures print with
// a decimal point, and the player finds fresh settings in the folder, which goes at exit.
class BenchScratch
{
public:
    BenchScratch()
    {
        setlocale(LC_NUMERIC, "C");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
