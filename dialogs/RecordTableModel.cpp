#include "dialogs/RecordTableModel.h"

RecordTableModel::RecordTableModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), Columns(std::move(columns))
{}

void RecordTableModel::Reset(int rowCount)
{
    beginResetModel();
    Rows = rowCount;
    endResetModel();
}

void RecordTableModel::Append(int rowCount)
{
    if (rowCount <= Rows)
        return;
    beginInsertRows(QModelIndex(), Rows, rowCount - 1);
    Rows = rowCount;
    endInsertRows();
}

bool RecordTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && HasMore && HasMore();
}

void RecordTableModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid() && FetchMore)
        FetchMore();
}

void RecordTableModel::SetHeader(int column, const QString& header)
{
    if (column < 0 || column >= static_cast<int>(Columns.size()))
        return;
    Columns[static_cast<size_t>(column)].header = header;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int RecordTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Rows;
}

int RecordTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Columns.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Rows || index.column() >= static_cast<int>(Columns.size()))
        return QVariant();
    const Column& column = Columns[static_cast<size_t>(index.column())];
    if (role == Qt::DisplayRole)
        return column.value(index.row());
    if (role == Qt::TextAlignmentRole && column.number)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(Columns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    return Columns[static_cast<size_t>(section)].header;
}
