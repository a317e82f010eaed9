#pragma once

#include <QString>
#include <stdexcept>

namespace quorvex::store {

// Every failure of the store: a missing file, a wrong password, a file that is not a bank,
// a bad statement, an unknown field, text that is not a number read as one.
// what() is the context followed by the engine's own message.
class StoreError : public std::runtime_error {
  public:
    StoreError(const QString& context, const QString& engineMessage)
        : std::runtime_error(
              (engineMessage.isEmpty() ? context : context + QStringLiteral(": ") + engineMessage)
                  .toStdString()),
          context_(context),
          engineMessage_(engineMessage) {}

    QString message() const { return QString::fromStdString(what()); }
    const QString& context() const { return context_; }
    const QString& engineMessage() const { return engineMessage_; }

  private:
    QString context_;
    QString engineMessage_;
};

}  // namespace quorvex::store
