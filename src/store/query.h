#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVector>
#include <optional>

namespace quorvex::store {

class Connection;
class Query;

// One field of the current row of an open query, addressed by name (case-insensitive).
class Field {
  public:
    // NULL reads as "".
    QString asString() const;
    // Throws StoreError when the value is text that is not a whole number ("" included).
    qint64 asInteger() const;
    // Throws StoreError when the value is text that is not a number.
    double asFloat() const;
    bool isNull() const;
    // Only between edit()/insert() and post().
    void setAsString(const QString& value);
    void setValue(const QVariant& value);

  private:
    friend class Query;
    Field(Query* query, int column) : query_(query), column_(column) {}
    Query* query_;
    int column_;
};

// A statement on a connection. A select is read whole when it is opened, so recordCount() is exact
// at once and the connection may be closed while the result is read. Rows of single-table
// "select * from TABLE ..." results can be edited and inserted; post() writes the row at once.
class Query {
  public:
    explicit Query(Connection& connection);
    virtual ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // SQL text as a list of lines, joined with "\n" when run. Changing the text closes the query;
    // clearSql() and setSql() also clear the values (a new statement), addSql() keeps them.
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);
    QString sql() const;

    // Values bound to the "?" placeholders, in order. Text from outside never becomes SQL text.
    void setParams(const QVariantList& params);
    void addParam(const QVariant& value);

    // Runs a select and positions on the first row. Opens the connection first when it is closed.
    virtual void open();
    void close();
    bool isOpen() const { return open_; }
    // Runs a statement without a result; returns the number of changed rows.
    int execSql();

    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    // 1-based position of the current row; 0 when the result is empty.
    int recNo() const;
    // Moves to the 1-based row; throws StoreError when out of range.
    void setRecNo(int recNo);
    int recordCount() const;

    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // Throws StoreError when the result has no such field.
    Field fieldByName(const QString& name);
    // Shorthands.
    QString text(const QString& name) { return fieldByName(name).asString(); }
    qint64 integer(const QString& name) { return fieldByName(name).asInteger(); }

    // Moving to another row posts a pending edit or insert first; close() drops it.
    void edit();
    void insert();  // appends an empty row and positions on it
    void post();    // writes the edited or inserted row to the file at once
    void cancel();
    bool isEditing() const { return editMode_ != EditMode::None; }

  protected:
    void openRows(const QString& sqlText, const QVariantList& params);
    QString tableName_;  // the single table the rows come from, empty when not editable

  private:
    friend class Field;
    enum class EditMode { None, Edit, Insert };
    using Row = QVector<QVariant>;

    int columnIndex(const QString& name) const;
    const QVariant& value(int column) const;
    void requireOpen(const char* what) const;
    void requireRow(const char* what) const;
    void requireEditable(const char* what) const;
    void requireEditing(const char* what) const;
    void postPending();  // moving away from an edited row posts it first
    QString columnName(int column) const;

    Connection& connection_;
    QStringList lines_;
    QVariantList params_;
    bool open_ = false;
    QStringList columns_;  // result columns, without the hidden row id
    QVector<Row> rows_;
    QVector<qint64> rowIds_;  // engine row id of each row (editable results only)
    QString openedSql_;       // the text the rows were read with, for messages
    int position_ = 0;        // 0-based index of the current row; stays on the last row at end
    bool bof_ = true;
    bool eof_ = true;
    int positionBeforeInsert_ = 0;
    EditMode editMode_ = EditMode::None;
    Row editBuffer_;
    QVector<bool> changed_;
};

// A table opened by name, rows in stored order, addressed by 1-based position (the exam settings `ts`).
class Table : public Query {
  public:
    Table(Connection& connection, const QString& tableName);
    void open() override;

  private:
    QString name_;
};

}  // namespace quorvex::store
