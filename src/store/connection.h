#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace quorvex::store {

class SharedHandle;

// The database password of the bank file.
inline const QString kDatabasePassword = QStringLiteral("qorintav#!3816xeh");

// Program folder + "Data/med.mdb". The folder is expected to end with a separator; one is added if not.
QString databasePathFor(const QString& programFolder);

// The connection string of the bank: provider, user, "Data Source=" + program folder + "Data/med.mdb",
// ";Persist Security Info=false", ";Jet OLEDB:Database Password=" + the password.
QString connectionStringFor(const QString& programFolder);

// A connection to one bank file. Several connections may be open on the same file at once; a change
// posted through one is seen by the others at once (no transaction is held between calls).
//
// Opening an encrypted file costs a key derivation. Connections to the same file therefore share one
// engine handle underneath, kept for the life of the process while the file stays the same file; a
// closed Connection still behaves as closed (isOpen() is false and the next query reopens it), and a
// file replaced on disk (a restore renames another file over it) is really reopened on the next open.
class Connection {
  public:
    Connection();
    explicit Connection(const QString& connectionString);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Key=value pairs separated by ";". "Data Source" names the file, "Jet OLEDB:Database Password"
    // the password. Setting it closes the connection.
    void setConnectionString(const QString& connectionString);
    QString connectionString() const { return connectionString_; }
    QString databasePath() const { return databasePath_; }

    // Throws StoreError: missing file, wrong password, a file that is not a bank.
    void open();
    void close();
    bool isOpen() const { return handle_ != nullptr; }

    // Runs one statement without a result (update, delete, insert, create ...), values bound to "?"
    // in order. Opens the connection first when it is closed. Returns the number of changed rows.
    int execute(const QString& sql, const QVariantList& params = {});

    // For bulk writers (the bank tool); the windows never hold a transaction.
    void beginTransaction();
    void commit();
    void rollback();

    // The engine handle, opening the connection first when it is closed.
    sqlite3* engineHandle();
    // The shared handle (for queries); opens the connection first when it is closed.
    SharedHandle& sharedHandle();

    // Creates a new, empty, encrypted bank file with the full schema (fails if the file exists).
    static void createDatabase(const QString& filePath, const QString& password = kDatabasePassword);

    // Forgets every engine handle kept for this file, so that the next open reads the file afresh.
    // Call after replacing the file by other means than a rename (which is noticed by itself).
    static void releaseFile(const QString& filePath);

  private:
    QString connectionString_;
    QString databasePath_;
    QString password_;
    std::shared_ptr<SharedHandle> handle_;
    bool transactionOpen_ = false;  // begun through this connection, rolled back by close()
};

}  // namespace quorvex::store
