// The open panel, filtered to folders and movies, and the address panel.
#include "playlist/QXOpenPanel.h"

#include "engine/QXMovie.h"
#include "playlist/QXPasteboard.h"
#include "util/QXPathInfo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

bool QXOpenPanelShouldShowFilename(const QString &path)
{
    bool isDirectory = false;
    const QString resolved = QXPathInfo::resolvedPathIsDirectory(path, &isDirectory);
    if (resolved.isNull())
        return false;
    if (isDirectory)
        return !QXPathInfo::isKernelTreePath(QFileInfo(resolved).canonicalFilePath());
    return QXMovie::canInitWithFile(resolved);
}

namespace {

// Applies the filter to the panel's list. Answers are kept per path and modification time,
// as the views ask about the same rows again and again.
class QXMovieFilterModel : public QSortFilterProxyModel
{
public:
    QFileDialog *panel = nullptr;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override
    {
        auto *fs = qobject_cast<QFileSystemModel *>(sourceModel());
        if (!fs)
            return true;
        const QModelIndex index = fs->index(sourceRow, 0, sourceParent);
        const QString path = fs->filePath(index);
        // The folders leading to the one shown stay, whatever they are, or it could not show.
        const QString shown = panel ? panel->directory().absolutePath() : QString();
        if (fs->isDir(index) && (shown == path || shown.startsWith(path.endsWith(u'/') ? path : path + u'/')))
            return true;
        const qint64 stamp = fs->lastModified(index).toMSecsSinceEpoch();
        const auto it = m_verdicts.constFind(path);
        if (it != m_verdicts.constEnd() && it->first == stamp)
            return it->second;
        const bool show = QXOpenPanelShouldShowFilename(path);
        m_verdicts.insert(path, {stamp, show});
        return show;
    }

private:
    mutable QHash<QString, std::pair<qint64, bool>> m_verdicts;
};

// The Qt panel (a native one cannot be filtered), where files and folders are chosen
// together: Open takes the selection as it is, folders included; a double click on a folder
// still enters it.
class QXOpenPanelDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QList<QUrl> chosen;

    void accept() override
    {
        QList<QUrl> urls;
        for (QAbstractItemView *view : findChildren<QAbstractItemView *>()) {
            if (!view->isVisible() || !view->selectionModel() || !qobject_cast<QSortFilterProxyModel *>(view->model()))
                continue;
            // The list and the detail view share one selection.
            for (const QModelIndex &i : view->selectionModel()->selectedRows())
                urls.append(QUrl::fromLocalFile(i.data(QFileSystemModel::FilePathRole).toString()));
            if (!urls.isEmpty())
                break;
        }
        if (urls.isEmpty()) {
            // A typed name: the panel's own handling.
            QFileDialog::accept();
            chosen = selectedUrls();
            return;
        }
        chosen = urls;
        QDialog::accept();
    }
};

QString s_lastOpenFolder;

} // namespace

QList<QUrl> QXChooseMovies(QWidget *parent)
{
    QXOpenPanelDialog panel(parent, QObject::tr("Open"));
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setFileMode(QFileDialog::ExistingFiles);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    // Named for what the panel offers (the filter model hides the rest), not for its pattern.
    panel.setNameFilter(QObject::tr("Movies and Folders (*)"));
    panel.setOption(QFileDialog::HideNameFilterDetails);
    // Whole names and sizes: the columns are as wide as what they hold.
    panel.resize(760, 480);
    auto *filter = new QXMovieFilterModel;
    filter->panel = &panel;
    panel.setProxyModel(filter);
    if (!s_lastOpenFolder.isEmpty())
        panel.setDirectory(s_lastOpenFolder);
    if (auto *tree = panel.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const int answer = panel.exec();
    s_lastOpenFolder = panel.directory().absolutePath();
    return answer == QDialog::Accepted ? panel.chosen : QList<QUrl>();
}

QXAddressPanel::QXAddressPanel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("URL"));
    setWindowTitle(tr("Open Address"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(tr("Type or paste web addresses, one per line:"), this);
    layout->addWidget(label);
    openURLTextView = new QPlainTextEdit(this);
    openURLTextView->setObjectName(QStringLiteral("openURLTextView"));
    openURLTextView->setLineWrapMode(QPlainTextEdit::NoWrap);
    openURLTextView->setTabChangesFocus(true);
    openURLTextView->installEventFilter(this);
    layout->addWidget(openURLTextView, 1);
    auto *buttons = new QDialogButtonBox(this);
    cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    openURLOKButton = buttons->addButton(QDialogButtonBox::Ok);
    openURLOKButton->setObjectName(QStringLiteral("openURLOKButton"));
    openURLOKButton->setDefault(true);
    openURLOKButton->setAutoDefault(true);
    layout->addWidget(buttons);
    resize(440, 200);
    // OK accepts; Cancel and Escape reject. Each hides the panel. The buttons are tied one by
    // one: the box's own accepted/rejected are not connected to the dialog.
    connect(openURLOKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool QXAddressPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == openURLTextView && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            openURLOKButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
