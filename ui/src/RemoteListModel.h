// The remote list's rows read straight from the window's entries: row i is entry i. Names
// are decoded only when a row is drawn, and rows are announced in blocks as they arrive.
#pragma once

#include "ftp/RemoteEntry.h"
#include "platform/ListModel.h"

#include <memory>
#include <vector>

class RemoteListModel : public platform::ListModel {
public:
    using Entries = std::vector<std::unique_ptr<CRemoteEntry>>;
    RemoteListModel(const Entries& entries, QObject* parent)
        : ListModel(parent), m_entries(entries) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    // Announces the entries past the rows shown so far.
    void EntriesAppended();
    // Empties the entries (through `clear`) and the rows together.
    template <class Clear> void Reset(Clear&& clear) {
        beginResetModel();
        clear();
        m_rows = 0;
        endResetModel();
    }

protected:
    QString Text(int row, int column) const override;
    int Image(int row) const override;

private:
    const Entries& m_entries;
    int m_rows = 0;
};
