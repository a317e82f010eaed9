#pragma once

#include <QString>

namespace quorvex::tools {

// The connection string of a bank file given by its own path (not by a program folder), with the
// database password of every bank.
QString connectionStringForFile(const QString& filePath);

// A name for a temporary file beside target that does not exist yet.
QString temporaryNameBeside(const QString& target);

// Renames from over to, replacing to if it exists (one step, never a half-written target).
bool renameReplacing(const QString& from, const QString& to, QString* error);

// Copies from to to through a temporary file beside to; creates to's folder when missing.
bool copyFileReplacing(const QString& from, const QString& to, QString* error);

}  // namespace quorvex::tools
