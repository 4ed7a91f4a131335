#pragma once
// The playlist table's data: one row per entry, its icon in column 0 and its name in column 1.
// The controller changes the list between the begin and end calls, which tell the view
// which rows changed so it keeps its selection and scroll position without a reset.
#include <QAbstractListModel>

class QXMPController;

class QXPlaylistModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit QXPlaylistModel(QXMPController *controller, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void reloadData();
    // Redraws the rows without a reset (the playing mark moved).
    void redisplay();

    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    void beginRemove(int first, int last) { beginRemoveRows({}, first, last); }
    void endRemove() { endRemoveRows(); }
    void beginAppend(int count);
    void endAppend() { endInsertRows(); }
    void beginReorder() { emit layoutAboutToBeChanged(); }
    // newRows[i]: where the entry of old row i went.
    void endReorder(const QList<int> &newRows);

private:
    QXMPController *m_controller;
};
