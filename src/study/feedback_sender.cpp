#include "study/feedback_sender.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "study/feedback_report.h"

namespace quorvex::study {

bool sendFeedbackRow(const FeedbackSettings& settings, const QVariantList& values, QString* error) {
    // A fresh named connection per report: nothing is kept open between reports.
    static int sendCount = 0;
    const QString connectionName = QStringLiteral("quorvex-feedback-%1").arg(++sendCount);
    bool sent = false;
    QString problem;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(settings.driver, connectionName);
        if (!database.isValid()) {
            problem = QStringLiteral("the database driver %1 is not available").arg(settings.driver);
        } else {
            database.setHostName(settings.host);
            database.setPort(settings.port);
            database.setDatabaseName(driverDatabaseName(settings));
            database.setUserName(settings.user);
            database.setPassword(settings.password);
            database.setConnectOptions(driverConnectOptions(settings));
            if (!database.open()) {
                problem = database.lastError().text();
            } else {
                QSqlQuery insert(database);
                if (!insert.prepare(feedbackInsertStatement())) {
                    problem = insert.lastError().text();
                } else {
                    for (const QVariant& value : values) {
                        insert.addBindValue(value.toString());
                    }
                    sent = insert.exec();
                    if (!sent) {
                        problem = insert.lastError().text();
                    }
                }
                insert.finish();
            }
            database.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (!sent && error != nullptr) {
        *error = redactPassword(problem, settings);
    }
    return sent;
}

}  // namespace quorvex::study
