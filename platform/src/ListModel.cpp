#include "platform/ListModel.h"

#include "platform/Qt.h"
#include "platform/Wnd.h"

#include <algorithm>

namespace platform {

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && m_images) {
            const QIcon icon = m_images->GetIcon(Image(index.row()));
            if (!icon.isNull())
                return icon;
        }
        return {};
    case kImageRole:
        return Image(index.row());
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_headings.size())
        return {};
    return m_headings[section];
}

int ListModel::InsertColumn(int col, const QString& heading) {
    const int at = std::clamp(col, 0, static_cast<int>(m_headings.size()));
    beginInsertColumns({}, at, at);
    m_headings.insert(at, heading);
    endInsertColumns();
    return at;
}

int TextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QString TextListModel::Text(int row, int column) const {
    const QStringList& texts = m_rows[static_cast<std::size_t>(row)].texts;
    return column < texts.size() ? texts[column] : QString();
}

int TextListModel::Image(int row) const {
    return m_rows[static_cast<std::size_t>(row)].image;
}

int TextListModel::Insert(int row, const QString& text, int image) {
    const int at = std::clamp(row, 0, rowCount());
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, Row{{text}, image});
    endInsertRows();
    return at;
}

int TextListModel::Append(std::size_t count,
                          const std::function<std::string(std::size_t, int)>& text) {
    const int first = rowCount();
    if (count == 0)
        return first;
    std::vector<Row> rows(count);
    for (std::size_t i = 0; i < count; ++i)
        for (int c = 0; c < std::max(1, columnCount()); ++c)
            rows[i].texts.append(ToQ(text(i, c)));
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
    return first;
}

bool TextListModel::SetText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= std::max(1, columnCount()))
        return false;
    QStringList& texts = m_rows[static_cast<std::size_t>(row)].texts;
    while (texts.size() <= column)
        texts.append(QString());
    texts[column] = text;
    emit dataChanged(index(row, column), index(row, column));
    return true;
}

bool TextListModel::Remove(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void TextListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

} // namespace platform
