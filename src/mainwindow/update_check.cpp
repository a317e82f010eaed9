#include "update_check.h"

#include <QDate>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSaveFile>
#include <QWidget>
#include <exception>

#include "mainwindow/user_dialogs.h"
#include "mainwindow/version_check.h"

namespace quorvex::mainwindow {

// --- FileDownload ---

FileDownload::FileDownload(QNetworkAccessManager& manager, const QUrl& url, const QString& filePath,
                           int timeoutMs, qint64 maxBytes, QObject* parent)
    : QObject(parent), manager_(manager), url_(url), filePath_(filePath), maxBytes_(maxBytes) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(timeoutMs);
    connect(&deadline_, &QTimer::timeout, this, [this] { finish(false); });
}

FileDownload::~FileDownload() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void FileDownload::start() {
    QNetworkRequest request(url_);
    request.setRawHeader("Accept", "text/html, */*");
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/5.0 (compatible; Quorvex)"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    reply_ = manager_.get(request);
    reply_->setReadBufferSize(maxBytes_ + 1);  // the cap bounds memory too
    connect(reply_, &QNetworkReply::metaDataChanged, this, &FileDownload::checkDeclaredSize);
    connect(reply_, &QNetworkReply::readyRead, this, &FileDownload::readAvailable);
    connect(reply_, &QNetworkReply::finished, this, &FileDownload::replyFinished);
    deadline_.start();
}

void FileDownload::checkDeclaredSize() {
    if (reply_ == nullptr) {
        return;
    }
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBytes_) {
        finish(false);
    }
}

void FileDownload::readAvailable() {
    if (reply_ == nullptr) {
        return;
    }
    // Read as it arrives, so that an endless body is cut off at the cap rather than kept in memory.
    body_ += reply_->read(maxBytes_ + 1 - body_.size());
    if (body_.size() > maxBytes_) {
        finish(false);
    }
}

void FileDownload::replyFinished() {
    readAvailable();
    if (done_ || reply_ == nullptr) {
        return;
    }
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply_->error() != QNetworkReply::NoError || status < 200 || status > 299) {
        finish(false);
        return;
    }
    if (contentCheck_ && !contentCheck_(body_)) {
        finish(false);
        return;
    }
    QSaveFile file(filePath_);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(body_) == body_.size() && file.commit();
    finish(written);
}

void FileDownload::finish(bool ok) {
    if (done_) {
        return;
    }
    done_ = true;
    deadline_.stop();
    if (reply_ != nullptr) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        if (reply->isRunning()) {
            reply->abort();
        }
        reply->deleteLater();
    }
    body_.clear();
    Q_EMIT finished(ok);
}

// --- UpdateChecker ---

UpdateChecker::UpdateChecker(const QString& programFolder, const QString& updateIniUrl, UserDialogs& dialogs,
                             QWidget* window, ConnectedTest isConnected, UpdaterLauncher launchUpdater)
    : QObject(window),
      programFolder_(programFolder),
      updateIniUrl_(updateIniUrl),
      dialogs_(dialogs),
      window_(window),
      isConnected_(isConnected ? std::move(isConnected) : ConnectedTest(&UpdateChecker::systemIsConnected)),
      launchUpdater_(launchUpdater ? std::move(launchUpdater)
                                   : UpdaterLauncher(&UpdateChecker::startUpdater)) {}

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::setDownloadLimits(int timeoutMs, qint64 maxBytes) {
    timeoutMs_ = timeoutMs;
    maxBytes_ = maxBytes;
}

bool UpdateChecker::systemIsConnected() {
    if (QNetworkInformation::instance() == nullptr &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        return true;
    }
    const QNetworkInformation* information = QNetworkInformation::instance();
    return information == nullptr ||
           information->reachability() != QNetworkInformation::Reachability::Disconnected;
}

void UpdateChecker::startUpdater(const QString& programPath, const QString& workingFolder) {
    QProcess::startDetached(programPath, {}, workingFolder);
}

void UpdateChecker::startStartupCheck() {
    if (startupCheckStarted_) {
        return;
    }
    startupCheckStarted_ = true;

    const QUrl url(updateIniUrl_);
    if (updateIniUrl_.isEmpty() || !url.isValid()) {
        // Reported like a failed fetch: later, and without a word.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT startupCheckFinished(false, false); }, Qt::QueuedConnection);
        return;
    }
    if (network_ == nullptr) {
        network_ = new QNetworkAccessManager(this);
        network_->setProxy(QNetworkProxy::NoProxy);
    }
    auto* download =
        new FileDownload(*network_, url, programFolder_ + kRemoteVersionFile, timeoutMs_, maxBytes_, this);
    download->setContentCheck(&isVersionFile);
    connect(download, &FileDownload::finished, this, [this, download](bool ok) {
        download->deleteLater();
        startupDownloadFinished(ok);
    });
    download->start();
}

void UpdateChecker::startupDownloadFinished(bool ok) {
    bool due = false;
    // The start-up check never troubles the user with its own failures.
    try {
        due = ok && isUpdateDueIn(programFolder_, today());
        if (due) {
            announceUpdate();
        }
    } catch (const std::exception&) {
    }
    Q_EMIT startupCheckFinished(ok, due);
}

void UpdateChecker::checkOnDemand() {
    if (!isConnected_()) {
        dialogs_.showMessage(window_, kCheckNetwork);
        return;
    }
    if (isUpdateDueIn(programFolder_, today())) {
        announceUpdate();
    } else {
        dialogs_.showMessage(window_, kAlreadyLatest);
    }
}

void UpdateChecker::announceUpdate() {
    dialogs_.showMessage(window_, kUpdateNeeded, kUpdateNeededTitle, UserDialogs::Icon::Information);
    launchUpdater_(updaterProgramPath(programFolder_), programFolder_);
}

QString UpdateChecker::today() const {
    return versionDateOf(QDate::currentDate());
}

}  // namespace quorvex::mainwindow
