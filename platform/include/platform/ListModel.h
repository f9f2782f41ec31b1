// The rows behind a report-style list view. ListModel gives the view its column headings,
// texts and icons; what the rows are is up to a subclass: TextListModel keeps texts of its
// own (what CListCtrl's InsertItem and SetItemText fill), a program's model may read its
// own records and only announce rows as they are appended.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class CImageList;

namespace platform {

class ListModel : public QAbstractTableModel {
public:
    // A row's image index (int, -1: none), for callers that ask which icon a row shows.
    static constexpr int kImageRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Inserts a column at `col` (clamped); returns where it went.
    int InsertColumn(int col, const QString& heading);
    // Icons by image index; not owned.
    void SetImages(const CImageList* images) { m_images = images; }

protected:
    virtual QString Text(int row, int column) const = 0;
    virtual int Image(int row) const = 0;

private:
    QStringList m_headings;
    const CImageList* m_images = nullptr;
};

class TextListModel : public ListModel {
public:
    using ListModel::ListModel;
    int rowCount(const QModelIndex& parent = {}) const override;

    int Insert(int row, const QString& text, int image);
    // Appends `count` rows, their texts from `text(row, column)`, in one insertion.
    int Append(std::size_t count, const std::function<std::string(std::size_t, int)>& text);
    bool SetText(int row, int column, const QString& text);
    bool Remove(int row);
    void Clear();

protected:
    QString Text(int row, int column) const override;
    int Image(int row) const override;

private:
    struct Row {
        QStringList texts;
        int image = -1;
    };
    std::vector<Row> m_rows;
};

} // namespace platform
