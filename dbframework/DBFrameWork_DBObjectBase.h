// The generic table object: one table's definition and one row, all as text,
// turned into SQL on its connection.
#pragma once

#include <string>
#include <vector>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class DBConnection;

// A value list: one text per column in column order; the empty text is NULL.
using StringList = std::vector<std::string>;

class DBObjectBase {
public:
    explicit DBObjectBase(DBConnection* connection);
    DBObjectBase(const DBObjectBase&) = delete;
    DBObjectBase& operator=(const DBObjectBase&) = delete;

    virtual void DefineColumns() = 0;
    virtual bool Create();
    virtual bool Select(const StringList& keyValues);
    virtual bool Insert();
    virtual bool Update();
    virtual bool Delete();
    virtual std::string GetTableName() const;
    virtual void SetTableName(const std::string& name);
    // The list getters return independent copies.
    virtual StringList GetKeys() const;
    virtual void SetKeys(const StringList& keys);
    virtual StringList GetColumns() const;
    virtual void SetColumns(const StringList& columns);
    virtual StringList GetTypes() const;
    virtual void SetTypes(const StringList& types);
    virtual StringList GetValues() const;
    virtual void SetValues(const StringList& values);
    virtual bool SetValue(const std::string& column, const std::string& value);

    DBConnection* GetConnection() const;
    // The generator's new value after adding step; 0 on failure.
    int GetGenerator(const std::string& name, int step);
    // Rows that the last successful Insert or Update changed.
    int GetRowsChanged() const;

    void BindValue(IBPP::Statement& statement, int index, const std::string& value, const std::string& type);
    void ReadValue(IBPP::Statement& statement, int index, std::string& value, const std::string& type);

protected:
    // Table objects are destroyed through their own class.
    ~DBObjectBase();

private:
    DBConnection* Connection;
    std::string TableName;
    StringList Keys;
    StringList Columns;
    StringList Types;
    StringList Values;
    int RowsChanged = 0;
};

// "month/day/year[:hour:minute:second]" to a timestamp; raises std::runtime_error
// "Failed to convert from string to Timesamp." when month, day or year is missing.
IBPP::Timestamp ToTimestamp(const std::string& text);
// The leading integer of a text, as a text input stream reads it; 0 without digits.
int ToInt(const std::string& text);
// A timestamp as "month/day/year", with " hour;minute;second" when not midnight.
std::string TimestampToText(const IBPP::Timestamp& timestamp);

}  // namespace DBFrameWork
