#include "connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "schema.h"
#include "shared_handle.h"
#include "store_error.h"

namespace quorvex::store {

namespace {

const QString kDataSourceKey = QStringLiteral("Data Source");
const QString kPasswordKey = QStringLiteral("Jet OLEDB:Database Password");

QString withTrailingSeparator(const QString& folder) {
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))) {
        return folder;
    }
    return folder + QLatin1Char('/');
}

// "key=value;key=value". A value may be put in double or single quotes (a doubled quote inside stands
// for itself), so that it can hold ";". Keys are compared without regard to case.
QString connectionStringValue(const QString& text, const QString& wantedKey) {
    int i = 0;
    const int n = text.size();
    while (i < n) {
        const int equals = text.indexOf(QLatin1Char('='), i);
        const int semicolon = text.indexOf(QLatin1Char(';'), i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            // A part without "=": skip it.
            if (semicolon < 0) {
                break;
            }
            i = semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, equals - i).trimmed();
        QString value;
        int j = equals + 1;
        while (j < n && text.at(j) == QLatin1Char(' ')) {
            ++j;
        }
        if (j < n && (text.at(j) == QLatin1Char('"') || text.at(j) == QLatin1Char('\''))) {
            const QChar quote = text.at(j);
            ++j;
            while (j < n) {
                if (text.at(j) == quote) {
                    if (j + 1 < n && text.at(j + 1) == quote) {
                        value += quote;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text.at(j);
                ++j;
            }
            const int end = text.indexOf(QLatin1Char(';'), j);
            j = end < 0 ? n : end;
        } else {
            const int end = text.indexOf(QLatin1Char(';'), equals + 1);
            j = end < 0 ? n : end;
            value = text.mid(equals + 1, j - equals - 1);
        }
        if (key.compare(wantedKey, Qt::CaseInsensitive) == 0) {
            return value;
        }
        i = j + 1;
    }
    return QString();
}

// Handles kept open for the life of the process, one per file and password. Opening a keyed file
// costs a key derivation, and the windows close and reopen their connections around nearly every
// action. All access runs on the user-interface thread.
struct RegistryEntry {
    QString canonicalPath;
    QString absolutePath;
    QString password;
    std::shared_ptr<SharedHandle> handle;
};

std::vector<RegistryEntry>& registry() {
    static std::vector<RegistryEntry> entries;
    return entries;
}

struct FileNames {
    QString canonical;  // empty when the file does not exist
    QString absolute;
};

FileNames namesOf(const QString& path) {
    const QFileInfo info(path);
    return {info.canonicalFilePath(), QDir::cleanPath(info.absoluteFilePath())};
}

bool sameFile(const RegistryEntry& entry, const FileNames& names) {
    return entry.absolutePath == names.absolute ||
           (!names.canonical.isEmpty() && entry.canonicalPath == names.canonical);
}

template <typename Predicate>
void forgetHandles(Predicate predicate) {
    auto& entries = registry();
    // Partition, not remove_if: the dropped entries must stay intact to be marked.
    const auto dropped = std::stable_partition(entries.begin(), entries.end(),
                                               [&](const RegistryEntry& entry) { return !predicate(entry); });
    for (auto it = dropped; it != entries.end(); ++it) {
        it->handle->markReleased();
    }
    entries.erase(dropped, entries.end());
}

void remember(const QString& path, const QString& password, std::shared_ptr<SharedHandle> handle) {
    const FileNames names = namesOf(path);
    forgetHandles(
        [&](const RegistryEntry& entry) { return sameFile(entry, names) && entry.password == password; });
    registry().push_back({names.canonical, names.absolute, password, std::move(handle)});
}

}  // namespace

QString databasePathFor(const QString& programFolder) {
    return withTrailingSeparator(programFolder) + QStringLiteral("Data/med.mdb");
}

QString connectionStringFor(const QString& programFolder) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;user ID=Admin;Data Source=") +
           databasePathFor(programFolder) + QStringLiteral(";Persist Security Info=false") +
           QStringLiteral(";Jet OLEDB:Database Password=") + kDatabasePassword;
}

Connection::Connection() = default;

Connection::Connection(const QString& connectionString) {
    setConnectionString(connectionString);
}

Connection::~Connection() {
    close();
}

void Connection::setConnectionString(const QString& connectionString) {
    close();
    connectionString_ = connectionString;
    databasePath_ = connectionStringValue(connectionString, kDataSourceKey);
    password_ = connectionStringValue(connectionString, kPasswordKey);
}

void Connection::open() {
    close();
    const QString context = QStringLiteral("Cannot open the database %1").arg(databasePath_);
    if (databasePath_.isEmpty()) {
        throw StoreError(QStringLiteral("Cannot open the database"),
                         QStringLiteral("the connection string names no Data Source"));
    }

    // Reuse the kept handle only while the path still names the very file it has open.
    const FileNames names = namesOf(databasePath_);
    const std::optional<FileIdentity> identity = fileIdentityOf(databasePath_);
    if (identity) {
        for (const RegistryEntry& entry : registry()) {
            if (sameFile(entry, names) && entry.password == password_ &&
                entry.handle->identity() == identity) {
                handle_ = entry.handle;
                return;
            }
        }
    }
    // Gone or replaced: every handle kept on the old file is stale.
    forgetHandles([&](const RegistryEntry& entry) {
        return sameFile(entry, names) && (!identity || entry.handle->identity() != identity);
    });

    std::shared_ptr<SharedHandle> fresh = SharedHandle::open(databasePath_, password_, false);
    handle_ = fresh;
    try {
        verifySchema(*this);
    } catch (const StoreError& error) {
        handle_.reset();
        throw StoreError(context, error.engineMessage());
    }
    remember(databasePath_, password_, std::move(fresh));
}

void Connection::close() {
    if (handle_ && transactionOpen_) {
        // A real close would drop the transaction; the kept handle must not carry it over.
        transactionOpen_ = false;
        try {
            handle_->execute(QStringLiteral("ROLLBACK"), {});
        } catch (const StoreError&) {
        }
    }
    handle_.reset();
}

int Connection::execute(const QString& sql, const QVariantList& params) {
    return sharedHandle().execute(sql, params);
}

void Connection::beginTransaction() {
    execute(QStringLiteral("BEGIN"));
    transactionOpen_ = true;
}

void Connection::commit() {
    execute(QStringLiteral("COMMIT"));
    transactionOpen_ = false;
}

void Connection::rollback() {
    transactionOpen_ = false;
    execute(QStringLiteral("ROLLBACK"));
}

sqlite3* Connection::engineHandle() {
    return sharedHandle().db();
}

SharedHandle& Connection::sharedHandle() {
    // A connection left open across a restore must not go on reading the replaced file.
    if (!isOpen() || (handle_->released() && !transactionOpen_)) {
        open();
    }
    return *handle_;
}

void Connection::createDatabase(const QString& filePath, const QString& password) {
    const QString context = QStringLiteral("Cannot create the database %1").arg(filePath);
    if (QFileInfo::exists(filePath)) {
        throw StoreError(context, QStringLiteral("the file already exists"));
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    releaseFile(filePath);

    std::shared_ptr<SharedHandle> handle;
    try {
        handle = SharedHandle::open(filePath, password, true);
    } catch (const StoreError& error) {
        QFile::remove(filePath);
        throw StoreError(context, error.engineMessage());
    }

    Connection connection;
    connection.databasePath_ = filePath;
    connection.password_ = password;
    connection.handle_ = handle;
    try {
        connection.beginTransaction();
        createSchema(connection);
        connection.commit();
    } catch (const StoreError& error) {
        connection.close();
        handle.reset();
        QFile::remove(filePath);
        throw StoreError(context, error.engineMessage());
    }
    connection.close();
    remember(filePath, password, std::move(handle));
}

void Connection::releaseFile(const QString& filePath) {
    const FileNames names = namesOf(filePath);
    forgetHandles([&](const RegistryEntry& entry) { return sameFile(entry, names); });
}

}  // namespace quorvex::store
