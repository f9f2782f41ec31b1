#include "RemoteListModel.h"

#include "ftp/RemoteName.h"
#include "platform/Qt.h"

namespace {
// The images of IDB_REMOTE.
constexpr int kFolderImage = 0;
constexpr int kFileImage = 1;
} // namespace

int RemoteListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

void RemoteListModel::EntriesAppended() {
    const int total = static_cast<int>(m_entries.size());
    if (total <= m_rows)
        return;
    beginInsertRows({}, m_rows, total - 1);
    m_rows = total;
    endInsertRows();
}

QString RemoteListModel::Text(int row, int) const {
    return platform::ToQ(
        ftp::DisplayName(m_entries[static_cast<std::size_t>(row)]->m_strEntryName));
}

int RemoteListModel::Image(int row) const {
    return m_entries[static_cast<std::size_t>(row)]->m_bFolder ? kFolderImage : kFileImage;
}
