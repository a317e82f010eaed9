#pragma once

#include <QStringList>

namespace quorvex::store {

class Connection;

// The tables of a bank file, in creation order.
QStringList bankTableNames();

// Creates every table and index of a bank on an empty database.
void createSchema(Connection& connection);

// Throws StoreError (engine message "no such table: ...") unless every bank table exists.
void verifySchema(Connection& connection);

}  // namespace quorvex::store
