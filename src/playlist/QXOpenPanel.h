#pragma once
// The open panel's filter and the address panel.
#include <QDialog>
#include <QList>
#include <QString>
#include <QUrl>

class QPlainTextEdit;
class QPushButton;

// Which items the open panel offers: folders (not the kernel and device trees), and files the
// engine can open, one symbolic link followed; missing items, broken links and the system's
// own folders are hidden. The file's name decides first; its content only when the name says
// nothing.
bool QXOpenPanelShouldShowFilename(const QString &path);

// File > Open: the open panel (files and folders, filtered), starting in the folder it was
// last left in; what was chosen, or nothing when it was cancelled.
QList<QUrl> QXChooseMovies(QWidget *parent);

// The address panel: addresses typed or pasted one per line. Escape cancels; OK is the
// default button, and Ctrl+Return in the text presses it.
class QXAddressPanel : public QDialog
{
    Q_OBJECT
public:
    explicit QXAddressPanel(QWidget *parent = nullptr);
    QPlainTextEdit *openURLTextView;
    QPushButton *openURLOKButton;
    QPushButton *cancelButton;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
