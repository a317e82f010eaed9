#include "query.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <optional>

#include "connection.h"
#include "shared_handle.h"
#include "store_error.h"

namespace quorvex::store {

namespace {

// "select * from TABLE", optionally followed by a where, order by or limit clause: the rows come
// from one table and can be edited. Group 1 ends just before the "*", group 2 is the table.
const QRegularExpression& selectAllPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\s*select\\s+)\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)"
                       "(?:[\\s;]*|\\s+(?:where|order\\s+by|limit)\\b.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

bool isPlainName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(name).hasMatch();
}

// Column names are quoted: "explain" is a keyword.
QString quoted(const QString& name) {
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QVariant columnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qint64>(sqlite3_column_int64(stmt, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt, column));
        case SQLITE_TEXT: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
        }
        case SQLITE_BLOB: {
            const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
            return QVariant(QByteArray(bytes, sqlite3_column_bytes(stmt, column)));
        }
        default:
            return QVariant();
    }
}

bool isNullValue(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

QString valueText(const QVariant& value) {
    if (isNullValue(value)) {
        return QString();
    }
    if (isFloatType(value)) {
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    }
    if (isIntegerType(value)) {
        return QString::number(value.toLongLong());
    }
    if (value.typeId() == QMetaType::QByteArray) {
        return QString::fromUtf8(value.toByteArray());
    }
    return value.toString();
}

}  // namespace

// --- Field ---

QString Field::asString() const {
    return valueText(query_->value(column_));
}

qint64 Field::asInteger() const {
    const QVariant& value = query_->value(column_);
    if (isIntegerType(value)) {
        return value.toLongLong();
    }
    if (isFloatType(value)) {
        const double number = value.toDouble();
        if (std::isfinite(number) && std::floor(number) == number &&
            std::fabs(number) < 9.2e18) {  // inside qint64
            return static_cast<qint64>(number);
        }
    } else if (!isNullValue(value)) {
        bool ok = false;
        const qint64 number = valueText(value).trimmed().toLongLong(&ok, 10);
        if (ok) {
            return number;
        }
    }
    throw StoreError(QStringLiteral("Cannot read field %1 as an integer").arg(query_->columnName(column_)),
                     QStringLiteral("'%1' is not a valid integer value").arg(valueText(value)));
}

double Field::asFloat() const {
    const QVariant& value = query_->value(column_);
    if (isIntegerType(value) || isFloatType(value)) {
        return value.toDouble();
    }
    if (!isNullValue(value)) {
        bool ok = false;
        const double number = valueText(value).trimmed().toDouble(&ok);
        if (ok) {
            return number;
        }
    }
    throw StoreError(QStringLiteral("Cannot read field %1 as a number").arg(query_->columnName(column_)),
                     QStringLiteral("'%1' is not a valid floating point value").arg(valueText(value)));
}

bool Field::isNull() const {
    return isNullValue(query_->value(column_));
}

void Field::setAsString(const QString& value) {
    setValue(QVariant(value));
}

void Field::setValue(const QVariant& value) {
    query_->requireEditing("set a field");
    if (column_ < 0 || column_ >= query_->editBuffer_.size()) {
        throw StoreError(QStringLiteral("Cannot set a field"),
                         QStringLiteral("the field is not in the result"));
    }
    query_->editBuffer_[column_] = value;
    query_->changed_[column_] = true;
}

// --- Query ---

Query::Query(Connection& connection) : connection_(connection) {}

Query::~Query() = default;

void Query::clearSql() {
    close();
    lines_.clear();
    params_.clear();
}

void Query::addSql(const QString& line) {
    close();
    lines_.append(line);
}

void Query::setSql(const QString& text) {
    clearSql();
    if (!text.isEmpty()) {
        lines_.append(text);
    }
}

QString Query::sql() const {
    return lines_.join(QLatin1Char('\n'));
}

void Query::setParams(const QVariantList& params) {
    params_ = params;
}

void Query::addParam(const QVariant& value) {
    params_.append(value);
}

void Query::open() {
    openRows(sql(), params_);
}

void Query::close() {
    open_ = false;
    tableName_.clear();
    columns_.clear();
    rows_.clear();
    rowIds_.clear();
    openedSql_.clear();
    position_ = 0;
    bof_ = true;
    eof_ = true;
    editMode_ = EditMode::None;
    editBuffer_.clear();
    changed_.clear();
}

int Query::execSql() {
    return connection_.execute(sql(), params_);
}

void Query::openRows(const QString& sqlText, const QVariantList& params) {
    close();
    const QString context = statementContext(sqlText);
    if (sqlText.trimmed().isEmpty()) {
        throw StoreError(QStringLiteral("Cannot open the query"), QStringLiteral("there is no SQL text"));
    }
    SharedHandle& handle = connection_.sharedHandle();

    // Rows of a single table are read with their row id (hidden), so that they can be posted back.
    QString table;
    std::optional<Statement> statement;
    const QRegularExpressionMatch match = selectAllPattern().match(sqlText);
    if (match.hasMatch()) {
        const int star = match.capturedEnd(1);
        const QString withRowId = sqlText.left(star) + QStringLiteral("_rowid_, ") + sqlText.mid(star);
        try {
            statement.emplace(handle.prepare(withRowId, context));
            table = match.captured(2);
        } catch (const StoreError&) {
            // A view or a table without row ids: its rows are read only (a real error recurs below).
        }
    }
    if (!statement) {
        statement.emplace(handle.prepare(sqlText, context));
    }
    statement->bind(params, context);

    sqlite3_stmt* stmt = statement->get();
    const int columnCount = sqlite3_column_count(stmt);
    if (columnCount == 0) {
        throw StoreError(context, QStringLiteral("the statement returns no rows (run it with execSql)"));
    }
    const int firstColumn = table.isEmpty() ? 0 : 1;
    QStringList columns;
    for (int i = firstColumn; i < columnCount; ++i) {
        columns.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
    }
    QVector<Row> rows;
    QVector<qint64> rowIds;
    while (statement->step(context)) {
        Row row(columnCount - firstColumn);
        for (int i = firstColumn; i < columnCount; ++i) {
            row[i - firstColumn] = columnValue(stmt, i);
        }
        rows.append(std::move(row));
        if (firstColumn == 1) {
            rowIds.append(sqlite3_column_int64(stmt, 0));
        }
    }

    tableName_ = table;
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    rowIds_ = std::move(rowIds);
    openedSql_ = sqlText;
    open_ = true;
    position_ = 0;
    bof_ = true;
    eof_ = rows_.isEmpty();
}

void Query::first() {
    postPending();
    requireOpen("move to the first row");
    position_ = 0;
    bof_ = true;
    eof_ = rows_.isEmpty();
}

void Query::next() {
    postPending();
    requireOpen("move to the next row");
    if (position_ + 1 < rows_.size()) {
        ++position_;
        eof_ = false;
    } else {
        eof_ = true;
    }
    bof_ = rows_.isEmpty();
}

void Query::prior() {
    postPending();
    requireOpen("move to the previous row");
    if (position_ > 0) {
        --position_;
        bof_ = false;
    } else {
        bof_ = true;
    }
    eof_ = rows_.isEmpty();
}

void Query::last() {
    postPending();
    requireOpen("move to the last row");
    position_ = rows_.isEmpty() ? 0 : rows_.size() - 1;
    bof_ = rows_.isEmpty();
    eof_ = rows_.isEmpty();
}

bool Query::eof() const {
    return !open_ || eof_;
}

bool Query::bof() const {
    return !open_ || bof_;
}

bool Query::isEmpty() const {
    return rows_.isEmpty();
}

int Query::recNo() const {
    return open_ && !rows_.isEmpty() ? position_ + 1 : 0;
}

void Query::setRecNo(int recNo) {
    postPending();
    requireOpen("move to a row");
    if (recNo < 1 || recNo > rows_.size()) {
        throw StoreError(QStringLiteral("Cannot move to row %1").arg(recNo),
                         QStringLiteral("the result has %1 row(s)").arg(rows_.size()));
    }
    position_ = recNo - 1;
    bof_ = false;
    eof_ = false;
}

int Query::recordCount() const {
    return rows_.size();
}

QStringList Query::fieldNames() const {
    return columns_;
}

bool Query::hasField(const QString& name) const {
    return columnIndex(name) >= 0;
}

Field Query::fieldByName(const QString& name) {
    if (!open_) {
        throw StoreError(QStringLiteral("Cannot find field %1").arg(name),
                         QStringLiteral("the query is not open"));
    }
    const int column = columnIndex(name);
    if (column < 0) {
        throw StoreError(
            QStringLiteral("Field %1 not found").arg(name),
            QStringLiteral("the result of \"%1\" has no such field").arg(openedSql_.simplified()));
    }
    return Field(this, column);
}

void Query::edit() {
    requireEditable("edit the row");
    if (editMode_ != EditMode::None) {
        return;
    }
    requireRow("edit the row");
    editBuffer_ = rows_.at(position_);
    changed_ = QVector<bool>(columns_.size(), false);
    editMode_ = EditMode::Edit;
}

void Query::insert() {
    requireEditable("insert a row");
    postPending();
    positionBeforeInsert_ = position_;
    rows_.append(Row(columns_.size()));
    rowIds_.append(0);
    position_ = rows_.size() - 1;
    bof_ = false;
    eof_ = false;
    editBuffer_ = Row(columns_.size());
    changed_ = QVector<bool>(columns_.size(), false);
    editMode_ = EditMode::Insert;
}

void Query::post() {
    requireEditing("post the row");
    const QString context = QStringLiteral("Cannot post the row to %1").arg(tableName_);
    SharedHandle& handle = connection_.sharedHandle();

    QStringList names;
    QVariantList values;
    for (int i = 0; i < columns_.size(); ++i) {
        if (changed_.at(i)) {
            names.append(quoted(columns_.at(i)));
            values.append(editBuffer_.at(i));
        }
    }

    qint64 rowId = rowIds_.at(position_);
    try {
        if (editMode_ == EditMode::Edit) {
            if (names.isEmpty()) {
                editMode_ = EditMode::None;
                editBuffer_.clear();
                changed_.clear();
                return;
            }
            values.append(rowId);
            const QString sqlText = QStringLiteral("UPDATE %1 SET %2=? WHERE _rowid_=?")
                                        .arg(quoted(tableName_), names.join(QStringLiteral("=?, ")));
            if (handle.execute(sqlText, values) == 0) {
                throw StoreError(context, QStringLiteral("the row no longer exists"));
            }
        } else {
            QString sqlText;
            if (names.isEmpty()) {
                sqlText = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(tableName_));
            } else {
                QStringList marks;
                marks.fill(QStringLiteral("?"), names.size());
                sqlText = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(quoted(tableName_), names.join(QStringLiteral(", ")),
                                   marks.join(QStringLiteral(", ")));
            }
            handle.execute(sqlText, values);
            rowId = sqlite3_last_insert_rowid(handle.db());
            rowIds_[position_] = rowId;
        }
    } catch (const StoreError& error) {
        if (error.context() == context) {
            throw;
        }
        throw StoreError(context, error.engineMessage());
    }

    // Keep what the file now holds (type affinity may have turned "5" into 5).
    Row stored = editBuffer_;
    const QString readBack = QStringLiteral("select * from %1 where _rowid_=?").arg(quoted(tableName_));
    Statement statement = handle.prepare(readBack, statementContext(readBack));
    statement.bind({rowId}, context);
    if (statement.step(context) && sqlite3_column_count(statement.get()) == stored.size()) {
        for (int i = 0; i < stored.size(); ++i) {
            stored[i] = columnValue(statement.get(), i);
        }
    }
    rows_[position_] = std::move(stored);
    editMode_ = EditMode::None;
    editBuffer_.clear();
    changed_.clear();
}

void Query::cancel() {
    if (editMode_ == EditMode::Insert) {
        rows_.removeAt(position_);
        rowIds_.removeAt(position_);
        position_ =
            rows_.isEmpty() ? 0 : qBound(0, positionBeforeInsert_, static_cast<int>(rows_.size()) - 1);
        bof_ = rows_.isEmpty();
        eof_ = rows_.isEmpty();
    }
    editMode_ = EditMode::None;
    editBuffer_.clear();
    changed_.clear();
}

int Query::columnIndex(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString Query::columnName(int column) const {
    return column >= 0 && column < columns_.size() ? columns_.at(column) : QString::number(column);
}

const QVariant& Query::value(int column) const {
    if (!open_ || column < 0 || column >= columns_.size()) {
        throw StoreError(QStringLiteral("Cannot read field %1").arg(columnName(column)),
                         QStringLiteral("the query is not open"));
    }
    if (editMode_ != EditMode::None) {
        return editBuffer_.at(column);
    }
    if (rows_.isEmpty()) {
        throw StoreError(QStringLiteral("Cannot read field %1").arg(columnName(column)),
                         QStringLiteral("there is no current row (the result is empty)"));
    }
    return rows_.at(position_).at(column);
}

void Query::requireOpen(const char* what) const {
    if (!open_) {
        throw StoreError(QStringLiteral("Cannot %1").arg(QLatin1String(what)),
                         QStringLiteral("the query is not open"));
    }
}

void Query::requireRow(const char* what) const {
    requireOpen(what);
    if (rows_.isEmpty()) {
        throw StoreError(QStringLiteral("Cannot %1").arg(QLatin1String(what)),
                         QStringLiteral("there is no current row (the result is empty)"));
    }
}

void Query::requireEditable(const char* what) const {
    requireOpen(what);
    if (tableName_.isEmpty()) {
        throw StoreError(QStringLiteral("Cannot %1").arg(QLatin1String(what)),
                         QStringLiteral("the rows of \"%1\" cannot be edited (only those of \"select * from "
                                        "TABLE ...\")")
                             .arg(openedSql_.simplified()));
    }
}

void Query::requireEditing(const char* what) const {
    requireOpen(what);
    if (editMode_ == EditMode::None) {
        throw StoreError(QStringLiteral("Cannot %1").arg(QLatin1String(what)),
                         QStringLiteral("the row is not being edited (call edit() or insert() first)"));
    }
}

void Query::postPending() {
    if (editMode_ != EditMode::None) {
        post();
    }
}

// --- Table ---

Table::Table(Connection& connection, const QString& tableName) : Query(connection), name_(tableName) {}

void Table::open() {
    if (!isPlainName(name_)) {
        throw StoreError(QStringLiteral("Cannot open table %1").arg(name_),
                         QStringLiteral("not a table name"));
    }
    openRows(QStringLiteral("select * from %1 order by _rowid_").arg(name_), {});
}

}  // namespace quorvex::store
