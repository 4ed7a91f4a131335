#pragma once
// The playlist table's data: one row per entry, its name and icon, the current entry bold.
#include <QAbstractListModel>

class QXMPController;

class QXPlaylistModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit QXPlaylistModel(QXMPController *controller, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void reloadData();
    // Redraws the rows without a reset (the playing mark moved).
    void redisplay();

private:
    QXMPController *m_controller;
};
