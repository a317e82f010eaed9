#pragma once

#include <QString>
#include <QVariantList>

#include "study/feedback_settings.h"

namespace quorvex::study {

// Sends one report: opens a connection of its own with the settings, runs the insert of
// feedbackInsertStatement() with the values bound, closes the connection. Returns false on any failure
// (no driver, no server, refused login, failed statement, time-out) and then puts the driver's message,
// with the password taken out, into `error`.
bool sendFeedbackRow(const FeedbackSettings& settings, const QVariantList& values, QString* error = nullptr);

}  // namespace quorvex::study
