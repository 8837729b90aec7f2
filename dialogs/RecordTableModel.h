// A read-only table over a vector of records that its owner keeps: each column
// says how to show one field of the row it is given. Views of many thousand
// rows stay quick because nothing is copied into items.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class RecordTableModel : public QAbstractTableModel {
public:
    struct Column {
        QString header;
        std::function<QVariant(int row)> value;
        bool number = false;  // aligned to the right
    };

    explicit RecordTableModel(std::vector<Column> columns, QObject* parent = nullptr);

    // Call after the owner's records changed; rowCount is their number.
    void Reset(int rowCount);
    // Call after the owner appended records at the end.
    void Append(int rowCount);
    // A view scrolled to the last row asks the owner for more records, which
    // it appends (and reports with Append) while HasMore says some are left.
    std::function<bool()> FetchMore;
    std::function<bool()> HasMore;
    void SetHeader(int column, const QString& header);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    std::vector<Column> Columns;
    int Rows = 0;
};
