#pragma once

#include <sqlcipher/sqlite3.h>

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <list>
#include <memory>
#include <optional>
#include <utility>

namespace quorvex::store {

// Whether a bound or stored value is a whole number (bound as an engine integer, read as digits).
bool isIntegerType(const QVariant& value);
bool isFloatType(const QVariant& value);

// Device and inode of a file: a file renamed over another one has a different identity.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// Empty when the file does not exist (or cannot be examined).
std::optional<FileIdentity> fileIdentityOf(const QString& path);

class SharedHandle;

// A prepared statement borrowed from a handle's cache. It goes back to the cache (reset, bindings
// cleared) when the Statement is destroyed, so a statement is never in use twice at once.
class Statement {
  public:
    Statement(std::shared_ptr<SharedHandle> owner, QByteArray sql, sqlite3_stmt* stmt);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    // Binds the values to the "?" placeholders in order; their number must match.
    void bind(const QVariantList& params, const QString& context);
    // Steps once: true when a row is ready, false when the statement is done. Throws on failure.
    bool step(const QString& context);

  private:
    std::shared_ptr<SharedHandle> owner_;
    QByteArray sql_;
    sqlite3_stmt* stmt_;
};

// One engine handle on one keyed file, shared by every Connection to that file, with a small cache of
// prepared statements (callers bind their values, so the same texts come back again and again).
// Used on one thread only.
class SharedHandle : public std::enable_shared_from_this<SharedHandle> {
  public:
    // Opens and keys the file and checks that the key reads it ("file is not a database" otherwise).
    // With create, a missing file is created; without it, a missing file fails.
    static std::shared_ptr<SharedHandle> open(const QString& path, const QString& password, bool create);

    SharedHandle(sqlite3* db, QString path, std::optional<FileIdentity> identity);
    ~SharedHandle();
    SharedHandle(const SharedHandle&) = delete;
    SharedHandle& operator=(const SharedHandle&) = delete;

    sqlite3* db() const { return db_; }
    const QString& path() const { return path_; }
    // The file's identity when it was opened.
    const std::optional<FileIdentity>& identity() const { return identity_; }
    // Set when the handle is dropped from the kept handles (the file was released or replaced): a
    // connection still holding it reopens the file before its next statement.
    void markReleased() { released_ = true; }
    bool released() const { return released_; }
    QString errorMessage() const;

    // One statement; trailing blanks and ";" are allowed, a second statement is not.
    Statement prepare(const QString& sql, const QString& context);
    // Runs one statement to its end; returns the number of rows it changed.
    int execute(const QString& sql, const QVariantList& params);

  private:
    friend class Statement;
    void giveBack(QByteArray sql, sqlite3_stmt* stmt);

    static constexpr std::size_t kCacheSize = 48;

    sqlite3* db_;
    QString path_;
    std::optional<FileIdentity> identity_;
    bool released_ = false;
    std::list<std::pair<QByteArray, sqlite3_stmt*>> cache_;  // most recently used first
};

// The context of a failing statement: the statement text, shortened when long.
QString statementContext(const QString& sql);

}  // namespace quorvex::store
