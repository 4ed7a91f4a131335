#pragma once
// What a launch was handed: file paths, addresses in the player's own scheme, web
// addresses. Paths are made absolute here, so a running instance can open them wherever
// it was started from.
#include <QString>
#include <QStringList>
#include <QUrl>

struct QXLaunchArguments
{
    bool help = false;
    bool version = false;
    QStringList files;        // absolute paths
    QStringList ownAddresses; // vistrelx:... and vistrelxs:... texts, handed to the address command as they are
    QStringList webAddresses; // http, https and other absolute addresses
    QString error;            // an unknown option

    bool isEmpty() const { return files.isEmpty() && ownAddresses.isEmpty() && webAddresses.isEmpty(); }
    // One line per item ("file\t…", "own\t…", "web\t…") for the hand-over to a running instance.
    QByteArray toMessage() const;
    static QXLaunchArguments fromMessage(const QByteArray &message);
};

// The player's own schemes: vistrelx: stands for http:, vistrelxs: for https:.
inline constexpr char QXOwnScheme[] = "vistrelx";
inline constexpr char QXOwnSecureScheme[] = "vistrelxs";

// The web address an address of the player's own scheme stands for; empty when it makes none.
QUrl QXURLHandlerAddress(const QString &text);

// arguments without the program name; workingDirectory resolves relative paths.
QXLaunchArguments QXParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory);
QString QXUsageText();
