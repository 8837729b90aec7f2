#include "dbframework/DBFrameWork_DBObjectBase.h"

#include <algorithm>
#include <array>
#include <locale>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

bool Contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

std::string Join(const StringList& items, const std::string& separator, const std::string& suffix = "")
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += separator;
        text += items[i] + suffix;
    }
    return text;
}

bool IsKey(const StringList& keys, const std::string& column)
{
    return std::find(keys.begin(), keys.end(), column) != keys.end();
}

std::string Uncaught(const char* operation)
{
    return std::string("Uncaught Exception in DBObjectBase::") + operation;
}

}  // namespace

DBObjectBase::DBObjectBase(DBConnection* connection) : Connection(connection)
{}

DBObjectBase::~DBObjectBase() = default;

bool DBObjectBase::Create()
{
    if (Columns.size() != Types.size())
        return false;
    StringList definitions;
    for (size_t i = 0; i < Columns.size(); ++i)
        definitions.push_back(Columns[i] + " " + Types[i] + (IsKey(Keys, Columns[i]) ? " NOT NULL" : ""));
    const std::string createTable = "CREATE TABLE " + TableName + " (" + Join(definitions, ", ") + ");";
    const std::string primaryKey = "ALTER TABLE " + TableName + "  ADD CONSTRAINT PK$" + TableName + " PRIMARY KEY (" +
        Join(Keys, ", ") + ");";

    if (!RunInTransaction(*Connection, Uncaught("Create"),
                          [&](IBPP::Statement& statement) { statement->ExecuteImmediate(createTable); }))
        return false;
    return RunInTransaction(*Connection, Uncaught("Create"),
                            [&](IBPP::Statement& statement) { statement->ExecuteImmediate(primaryKey); });
}

bool DBObjectBase::Select(const StringList& keyValues)
{
    if (keyValues.size() < Keys.size())
        throw std::runtime_error("Select parameters missing in DBObjectBase::Select");
    const std::string sql = "SELECT " + Join(Columns, ", ") + " FROM " + TableName + " WHERE " +
        Join(Keys, " AND ", " = ?") + ";";

    return RunInTransaction(*Connection, Uncaught("Select"), [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        // Keys stand in column order, so the search for each goes on from the previous one.
        size_t column = 0;
        int parameter = 1;
        for (size_t key = 0; key < Keys.size(); ++key) {
            while (column < Columns.size() && Columns[column] != Keys[key])
                ++column;
            if (column == Columns.size())
                break;
            BindValue(statement, parameter++, keyValues[key], Types.at(column));
            ++column;
        }
        statement->Execute();
        // Without a row the client layer reads as an unfilled row: "0" for the key, the rest empty.
        statement->Fetch();
        Values.clear();
        for (size_t i = 0; i < Columns.size(); ++i) {
            std::string value;
            ReadValue(statement, static_cast<int>(i) + 1, value, Types.at(i));
            Values.push_back(value);
        }
        statement->Close();
    });
}

bool DBObjectBase::Insert()
{
    StringList placeholders(Columns.size(), "?");
    const std::string sql = "INSERT INTO " + TableName + " (" + Join(Columns, ", ") + ") VALUES (" +
        Join(placeholders, ", ") + ");";
    int changed = 0;
    const bool done = RunInTransaction(*Connection, Uncaught("Insert"), [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        const size_t count = std::min(Values.size(), Types.size());
        for (size_t i = 0; i < count; ++i)
            BindValue(statement, static_cast<int>(i) + 1, Values[i], Types[i]);
        statement->Execute();
        changed = statement->AffectedRows();
    });
    if (done)
        RowsChanged = changed;
    return done;
}

bool DBObjectBase::Update()
{
    StringList assignments;
    for (const auto& column : Columns)
        if (!IsKey(Keys, column))
            assignments.push_back(column);
    std::string sql = "UPDATE " + TableName + " SET " + Join(assignments, ", ", " = ?");
    if (!Keys.empty())
        sql += " WHERE " + Join(Keys, " AND ", " = ?");
    sql += ";";

    int changed = 0;
    const bool done = RunInTransaction(*Connection, Uncaught("Update"), [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        const size_t count = std::min({Columns.size(), Types.size(), Values.size()});
        int parameter = 1;
        for (size_t i = 0; i < count; ++i)
            if (!IsKey(Keys, Columns[i]))
                BindValue(statement, parameter++, Values[i], Types[i]);
        if (!Keys.empty())
            for (size_t i = 0; i < count; ++i)
                if (IsKey(Keys, Columns[i]))
                    BindValue(statement, parameter++, Values[i], Types[i]);
        statement->Execute();
        changed = statement->AffectedRows();
    });
    if (done)
        RowsChanged = changed;
    return done;
}

bool DBObjectBase::Delete()
{
    ShowMessage("DBObjectBase::Delete not implemented yet.");
    return false;
}

std::string DBObjectBase::GetTableName() const
{
    return TableName;
}

void DBObjectBase::SetTableName(const std::string& name)
{
    if (!name.empty())
        TableName = name;
}

StringList DBObjectBase::GetKeys() const
{
    return Keys;
}

void DBObjectBase::SetKeys(const StringList& keys)
{
    Keys = keys;
}

StringList DBObjectBase::GetColumns() const
{
    return Columns;
}

void DBObjectBase::SetColumns(const StringList& columns)
{
    Columns = columns;
}

StringList DBObjectBase::GetTypes() const
{
    return Types;
}

void DBObjectBase::SetTypes(const StringList& types)
{
    Types = types;
}

StringList DBObjectBase::GetValues() const
{
    return Values;
}

void DBObjectBase::SetValues(const StringList& values)
{
    Values = values;
}

bool DBObjectBase::SetValue(const std::string& column, const std::string& value)
{
    const size_t count = std::min(Columns.size(), Values.size());
    for (size_t i = 0; i < count; ++i) {
        if (Columns[i] == column) {
            Values[i] = value;
            return true;
        }
    }
    return false;
}

DBConnection* DBObjectBase::GetConnection() const
{
    return Connection;
}

int DBObjectBase::GetGenerator(const std::string& name, int step)
{
    if (name.empty())
        return 0;
    const std::string sql = "SELECT GEN_ID(" + name + ", " + std::to_string(step) + ") FROM RDB$DATABASE;";
    int32_t value = 0;
    const bool done = RunInTransaction(*Connection, Uncaught("GetGenerator"), [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        statement->Execute();
        statement->Fetch();
        statement->Get(1, value);
        statement->Close();
    });
    return done ? value : 0;
}

int DBObjectBase::GetRowsChanged() const
{
    return RowsChanged;
}

void DBObjectBase::BindValue(IBPP::Statement& statement, int index, const std::string& value, const std::string& type)
{
    if (value.empty()) {
        statement->SetNull(index);
        return;
    }
    if (Contains(type, "INT"))
        statement->Set(index, static_cast<int32_t>(ToInt(value)));
    if (Contains(type, "VARCHAR"))
        statement->Set(index, value);
    if (Contains(type, "TIMESTAMP"))
        statement->Set(index, ToTimestamp(value));
    if (Contains(type, "BLOB")) {
        IBPP::Blob blob = Connection->GetBlob();
        WriteBlobBytes(blob, value);
        statement->Set(index, blob);
    }
}

void DBObjectBase::ReadValue(IBPP::Statement& statement, int index, std::string& value, const std::string& type)
{
    value.clear();
    if (statement->IsNull(index))
        return;
    if (Contains(type, "INT")) {
        int32_t number = 0;
        statement->Get(index, number);
        value = std::to_string(number);
    }
    if (Contains(type, "VARCHAR"))
        statement->Get(index, value);
    if (Contains(type, "TIMESTAMP")) {
        IBPP::Timestamp timestamp;
        statement->Get(index, timestamp);
        value = TimestampToText(timestamp);
    }
    if (Contains(type, "BLOB")) {
        IBPP::Blob blob = Connection->GetBlob();
        statement->Get(index, blob);
        value = ReadBlobText(blob);
    }
}

IBPP::Timestamp ToTimestamp(const std::string& text)
{
    enum Field { Month, Day, Year, Hour, Minute, Second, FieldCount };
    std::array<std::optional<int>, FieldCount> fields;
    std::string accumulator;
    for (const char c : text) {
        if (c == '/' || c == ':') {
            auto unset = std::find_if(fields.begin(), fields.end(), [](const auto& f) { return !f.has_value(); });
            if (unset != fields.end()) {
                *unset = ToInt(accumulator);
                accumulator.clear();
            }
        } else {
            accumulator += c;
        }
    }
    // The text's last field: a second after a minute, a minute after a year, or the year.
    if (fields[Year] && fields[Minute] && !fields[Second])
        fields[Second] = ToInt(accumulator);
    else if (fields[Year] && !fields[Minute])
        fields[Minute] = ToInt(accumulator);
    else if (!fields[Year])
        fields[Year] = ToInt(accumulator);

    if (!fields[Month] || !fields[Day] || !fields[Year])
        throw std::runtime_error("Failed to convert from string to Timesamp.");
    IBPP::Timestamp timestamp;
    timestamp.SetDate(*fields[Year], *fields[Month], *fields[Day]);
    timestamp.SetTime(fields[Hour].value_or(0), fields[Minute].value_or(0), fields[Second].value_or(0));
    return timestamp;
}

int ToInt(const std::string& text)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    int number = 0;
    stream >> number;
    return number;
}

std::string TimestampToText(const IBPP::Timestamp& timestamp)
{
    int year = 0, month = 0, day = 0;
    timestamp.GetDate(year, month, day);
    std::string text = std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
    int hour = 0, minute = 0, second = 0;
    timestamp.GetTime(hour, minute, second);
    if (hour != 0 || minute != 0 || second != 0)
        text += " " + std::to_string(hour) + ";" + std::to_string(minute) + ";" + std::to_string(second);
    return text;
}

}  // namespace DBFrameWork
