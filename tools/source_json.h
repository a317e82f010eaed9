#pragma once

#include "bank_source.h"

#include <QJsonDocument>

namespace quorvex::tools {

enum class SourceIds {
    Omit,     // let the next build number everything in document order
    Explicit  // write every id (what export writes)
};

// Writes a bank source in the bank source format. Empty optional fields (content, itemnum, explain,
// picture, empty children and groups) are left out; opnum is written when set.
QJsonDocument toJson(const BankSource& source, SourceIds ids);

}  // namespace quorvex::tools
