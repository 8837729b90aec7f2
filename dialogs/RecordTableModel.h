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
    void SetHeader(int column, const QString& header);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<Column> Columns;
    int Rows = 0;
};
