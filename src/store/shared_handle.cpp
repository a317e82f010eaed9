// sqlite3_key() is declared only when the codec is enabled; the library is built with it.
#define SQLITE_HAS_CODEC 1

#include "shared_handle.h"

#include <sys/stat.h>

#include <QFile>

#include "store_error.h"

namespace quorvex::store {

bool isIntegerType(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

bool isFloatType(const QVariant& value) {
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

std::optional<FileIdentity> fileIdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.st_dev, info.st_ino};
}

QString statementContext(const QString& sql) {
    constexpr int kShown = 300;
    QString shown = sql.simplified();
    if (shown.size() > kShown) {
        shown = shown.left(kShown) + QStringLiteral("...");
    }
    return QStringLiteral("Cannot run \"%1\"").arg(shown);
}

// --- Statement ---

Statement::Statement(std::shared_ptr<SharedHandle> owner, QByteArray sql, sqlite3_stmt* stmt)
    : owner_(std::move(owner)), sql_(std::move(sql)), stmt_(stmt) {}

Statement::Statement(Statement&& other) noexcept
    : owner_(std::move(other.owner_)), sql_(std::move(other.sql_)), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

Statement::~Statement() {
    if (stmt_ != nullptr && owner_) {
        owner_->giveBack(std::move(sql_), stmt_);
    }
}

void Statement::bind(const QVariantList& params, const QString& context) {
    const int expected = sqlite3_bind_parameter_count(stmt_);
    if (expected != params.size()) {
        throw StoreError(context,
                         QStringLiteral("the statement has %1 placeholder(s) but %2 value(s) were given")
                             .arg(expected)
                             .arg(params.size()));
    }
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& value = params.at(i);
        const int index = i + 1;
        int rc = SQLITE_OK;
        if (!value.isValid() || value.isNull()) {
            rc = sqlite3_bind_null(stmt_, index);
        } else if (isIntegerType(value)) {
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
        } else if (isFloatType(value)) {
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
        } else if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), static_cast<int>(bytes.size()),
                                   SQLITE_TRANSIENT);
        } else {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, text.constData(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) {
            throw StoreError(context, owner_->errorMessage());
        }
    }
}

bool Statement::step(const QString& context) {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    throw StoreError(context, owner_->errorMessage());
}

// --- SharedHandle ---

std::shared_ptr<SharedHandle> SharedHandle::open(const QString& path, const QString& password, bool create) {
    const QString context = QStringLiteral("Cannot open the database %1").arg(path);
    // Taken before opening: if the file is replaced in between, the next open notices and reopens.
    std::optional<FileIdentity> identity = fileIdentityOf(path);

    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        throw StoreError(context, message);
    }
    auto handle = std::make_shared<SharedHandle>(db, path, identity);

    const QByteArray key = password.toUtf8();
    rc = sqlite3_key(db, key.constData(), static_cast<int>(key.size()));
    if (rc != SQLITE_OK) {
        throw StoreError(context, handle->errorMessage());
    }
    sqlite3_busy_timeout(db, 5000);
    try {
        // The first read decrypts page 1: a wrong key or a foreign file fails here.
        handle->execute(QStringLiteral("select count(*) from sqlite_master"), {});
        // Rollback journal only: between actions the file alone is the whole database.
        handle->execute(QStringLiteral("PRAGMA journal_mode=DELETE"), {});
    } catch (const StoreError& error) {
        throw StoreError(context, error.engineMessage());
    }
    if (create) {
        handle->identity_ = fileIdentityOf(path);
    }
    return handle;
}

SharedHandle::SharedHandle(sqlite3* db, QString path, std::optional<FileIdentity> identity)
    : db_(db), path_(std::move(path)), identity_(identity) {}

SharedHandle::~SharedHandle() {
    for (auto& entry : cache_) {
        sqlite3_finalize(entry.second);
    }
    sqlite3_close_v2(db_);
}

QString SharedHandle::errorMessage() const {
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

Statement SharedHandle::prepare(const QString& sql, const QString& context) {
    QByteArray text = sql.toUtf8();
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first == text) {
            sqlite3_stmt* stmt = it->second;
            cache_.erase(it);
            return Statement(shared_from_this(), std::move(text), stmt);
        }
    }

    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throw StoreError(context, errorMessage());
    }
    if (stmt == nullptr) {
        throw StoreError(context, QStringLiteral("there is no statement to run"));
    }
    const char* const end = text.constData() + text.size();
    for (const char* p = tail; p != nullptr && p < end; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') {
            sqlite3_finalize(stmt);
            throw StoreError(context, QStringLiteral("only one statement can be run at a time"));
        }
    }
    return Statement(shared_from_this(), std::move(text), stmt);
}

int SharedHandle::execute(const QString& sql, const QVariantList& params) {
    const QString context = statementContext(sql);
    Statement statement = prepare(sql, context);
    statement.bind(params, context);
    const int before = sqlite3_total_changes(db_);
    while (statement.step(context)) {
    }
    return sqlite3_total_changes(db_) - before;
}

void SharedHandle::giveBack(QByteArray sql, sqlite3_stmt* stmt) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    cache_.emplace_front(std::move(sql), stmt);
    while (cache_.size() > kCacheSize) {
        sqlite3_finalize(cache_.back().second);
        cache_.pop_back();
    }
}

}  // namespace quorvex::store
