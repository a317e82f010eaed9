#include "startup_info.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

#include "store/connection.h"
#include "store/query.h"
#include "store/schema.h"
#include "store/store_error.h"

namespace quorvex::mainwindow {

namespace {

QString detailOf(const store::StoreError& error) {
    return error.engineMessage().isEmpty() ? error.message() : error.engineMessage();
}

// The first row of a one-row table; empty tables are reported as missing rows.
bool openFirstRow(store::Query& query, const QString& table) {
    query.setSql(QStringLiteral("select * from ") + table);
    query.open();
    return !query.isEmpty();
}

// Reads in stages; `stage` names what a failure at that point means.
void readInto(store::Connection& connection, StartupInfo& info, StartupFailureKind& stage) {
    const QString path = connection.databasePath();
    // A wrong key shows only when the first page of the file is read.
    connection.open();
    store::Query probe(connection);
    probe.setSql(QStringLiteral("select count(*) from sqlite_master"));
    probe.open();

    stage = StartupFailureKind::MissingTables;
    store::verifySchema(connection);

    stage = StartupFailureKind::ReadError;
    store::Query query(connection);
    if (!openFirstRow(query, QStringLiteral("kemu"))) {
        info.failure = StartupFailure{StartupFailureKind::MissingRows, path, QStringLiteral("kemu")};
        return;
    }
    info.subjectName = query.fieldByName(QStringLiteral("ID")).asString();
    info.subjectCode = query.fieldByName(QStringLiteral("mz")).asString();
    info.subjectRead = true;

    if (!openFirstRow(query, QStringLiteral("geshu"))) {
        info.failure = StartupFailure{StartupFailureKind::MissingRows, path, QStringLiteral("geshu")};
        return;
    }
    info.questionCount = query.fieldByName(QStringLiteral("kemugeshu")).asString();
    info.countRead = true;
}

}  // namespace

QString startupFailureMessage(const StartupFailure& failure) {
    QString reason;
    switch (failure.kind) {
        case StartupFailureKind::MissingFile:
            reason = QStringLiteral("文件不存在。");
            break;
        case StartupFailureKind::CannotOpen:
            reason = QStringLiteral("密码不对，或者这不是题库文件。");
            break;
        case StartupFailureKind::MissingTables:
            reason = QStringLiteral("这不是题库：缺少数据表。");
            break;
        case StartupFailureKind::MissingRows:
            reason = QStringLiteral("这不是题库：缺少科目或试题量记录。");
            break;
        case StartupFailureKind::ReadError:
            reason = QStringLiteral("读取题库时出错。");
            break;
    }
    QString text = QStringLiteral("无法打开题库文件：\n") + QDir::toNativeSeparators(failure.databasePath) +
                   QStringLiteral("\n\n原因：") + reason;
    if (!failure.detail.isEmpty()) {
        text += QStringLiteral("\n（") + failure.detail + QStringLiteral("）");
    }
    text += QStringLiteral("\n\n题库中的章节和试题将无法显示。");
    return text;
}

StartupInfo readStartupInfo(store::Connection& connection) {
    StartupInfo info;
    const QString path = connection.databasePath();
    // Checked first, so that a missing file is named as such and never created by opening it.
    if (!QFileInfo(path).isFile()) {
        info.failure = StartupFailure{StartupFailureKind::MissingFile, path, QString()};
        return info;
    }
    StartupFailureKind stage = StartupFailureKind::CannotOpen;
    try {
        readInto(connection, info, stage);
    } catch (const store::StoreError& error) {
        info.failure = StartupFailure{stage, path, detailOf(error)};
    } catch (const std::exception& error) {
        info.failure = StartupFailure{stage, path, QString::fromUtf8(error.what())};
    }
    connection.close();
    return info;
}

}  // namespace quorvex::mainwindow
