#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QWidget;

namespace quorvex {
class UserDialogs;
}

namespace quorvex::mainwindow {

// Fetches one small file over HTTP into memory and saves it, without blocking: finished(true) once the
// file is written, finished(false) on any failure (no connection, a status other than 2xx, a body over
// the size cap, the time-out, a write error). The file is written only on success, through a temporary
// file renamed over it, so it is never left half written. Emits finished exactly once.
// A plain GET without proxy; redirects are followed as QNetworkAccessManager does by default.
class FileDownload : public QObject {
    Q_OBJECT
  public:
    FileDownload(QNetworkAccessManager& manager, const QUrl& url, const QString& filePath, int timeoutMs,
                 qint64 maxBytes, QObject* parent = nullptr);
    ~FileDownload() override;

    // Content that fails the check counts as a failed download (and is not written).
    void setContentCheck(std::function<bool(const QByteArray&)> check) { contentCheck_ = std::move(check); }
    void start();

  Q_SIGNALS:
    void finished(bool ok);

  private:
    void checkDeclaredSize();
    void readAvailable();
    void replyFinished();
    void finish(bool ok);

    QNetworkAccessManager& manager_;
    QUrl url_;
    QString filePath_;
    qint64 maxBytes_;
    QTimer deadline_;
    QPointer<QNetworkReply> reply_;  // owned by the manager, which may go first
    QByteArray body_;
    std::function<bool(const QByteArray&)> contentCheck_;
    bool done_ = false;
};

// The version check: at start (once, after the window is shown) and on demand from the toolbar.
// Compares "Date" of tmp.ini (the last fetched remote version file) with that of predate.ini (the
// installed version) and, when the remote date is later, says "软件需要更新" and starts the updater.
class UpdateChecker : public QObject {
    Q_OBJECT
  public:
    // True when the computer has a network connection.
    using ConnectedTest = std::function<bool()>;
    // Starts the updater; its result is ignored.
    using UpdaterLauncher = std::function<void(const QString& programPath, const QString& workingFolder)>;

    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr qint64 kDefaultMaxBytes = 64 * 1024;

    // `programFolder` ends with "/"; `updateIniUrl` is the subject's remote version file (empty when
    // the bank could not be read: the start-up check then does nothing). Messages go through
    // `dialogs`, owned by `window` (also the parent of this object; may be null). Empty seams mean
    // the real ones: systemIsConnected() and startUpdater().
    UpdateChecker(const QString& programFolder, const QString& updateIniUrl, UserDialogs& dialogs,
                  QWidget* window, ConnectedTest isConnected = {}, UpdaterLauncher launchUpdater = {});
    ~UpdateChecker() override;

    // Limits of the start-up download (tests shorten the time-out).
    void setDownloadLimits(int timeoutMs, qint64 maxBytes);

    // The network's reachability; without a reachability backend the answer is "connected".
    static bool systemIsConnected();
    // Starts the program detached, in the given folder, without parameters.
    static void startUpdater(const QString& programPath, const QString& workingFolder);

  public Q_SLOTS:
    // The start-up check, once per object: fetches updateIniUrl into tmp.ini in the background and
    // returns at once; when the fetch succeeds and an update is due, the message and the updater
    // follow. Every failure ends the check silently. Later calls do nothing.
    void startStartupCheck();
    // The toolbar's check ("rjsj"): "请检查网络连接" when not connected; otherwise compares the files
    // as they are (nothing is fetched) and either announces the update and starts the updater or
    // says "已经是最新版本".
    void checkOnDemand();

  Q_SIGNALS:
    // The start-up check has ended; `downloaded` tells whether tmp.ini was fetched, `updateDue`
    // whether the update was announced.
    void startupCheckFinished(bool downloaded, bool updateDue);

  private:
    void startupDownloadFinished(bool ok);
    void announceUpdate();
    QString today() const;

    QString programFolder_;
    QString updateIniUrl_;
    UserDialogs& dialogs_;
    QWidget* window_;
    ConnectedTest isConnected_;
    UpdaterLauncher launchUpdater_;
    int timeoutMs_ = kDefaultTimeoutMs;
    qint64 maxBytes_ = kDefaultMaxBytes;
    QNetworkAccessManager* network_ = nullptr;
    bool startupCheckStarted_ = false;
};

}  // namespace quorvex::mainwindow
