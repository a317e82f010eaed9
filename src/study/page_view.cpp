#include "study/page_view.h"

#include "study/page_script.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <algorithm>
#include <iterator>
#include <memory>

namespace quorvex::study {

namespace {

// Zoom factor of each level; level 1 is the normal size of every page.
constexpr double kZoomFactors[] = {0.85, 1.0, 1.15, 1.3, 1.5};

// Text sent per script call. One round trip costs far more than parsing a few fragments, so a page of
// thousands of fragments goes in a handful of calls.
constexpr qsizetype kBatchChars = qsizetype(1) << 20;

QString cleanAbsolutePath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isInsideFolder(const QString& folder, const QUrl& url) {
    if (folder.isEmpty() || !url.isLocalFile()) {
        return false;
    }
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (folder == QLatin1String("/")) {
        return path.startsWith(u'/');
    }
    return path.startsWith(folder + u'/');
}

// What a page may load besides files of its folder: inline data and the engine's own blank page.
bool isInlineContent(const QUrl& url) {
    const QString scheme = url.scheme();
    return scheme == QLatin1String("data") || scheme == QLatin1String("about") ||
           scheme == QLatin1String("blob") || scheme == QLatin1String("qrc");
}

// The engine hands out file addresses percent-encoded; compare them as paths.
bool isSameDocument(const QUrl& a, const QUrl& b) {
    if (a.isLocalFile() && b.isLocalFile()) {
        return QDir::cleanPath(a.toLocalFile()) == QDir::cleanPath(b.toLocalFile());
    }
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

// Blocks every request that does not stay inside the content folder, so that no picture, style or
// script of a stored text ever reaches a network.
class ContentGuard : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void setFolder(const QString& folder) { folder_ = folder; }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (!isInlineContent(url) && !isInsideFolder(folder_, url)) {
            info.block(true);
        }
    }

  private:
    QString folder_;
};

// One private profile for all page views of the process: creating a profile is slow. Off the record,
// so nothing is written to disk.
QWebEngineProfile* sharedProfile() {
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        QWebEngineSettings* settings = profile->settings();
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
        settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
        settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
        settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    }
    return profile;
}

}  // namespace

// Navigations the engine asked about, waiting to be told to the owners of their views. A handler may
// load pages and run scripts, that is wait in a local event loop. The engine hangs when such a wait runs
// inside its navigation callback, and also when it starts while a page view still waits for the result
// of the script that navigated. So the view refuses the navigation at once and the report is delivered
// from the event loop, one at a time, when no page view waits.
struct NavigationMailbox {
    struct Report {
        QPointer<PageView> view;
        QUrl url;
    };

    static NavigationMailbox& instance() {
        static NavigationMailbox mailbox;
        return mailbox;
    }

    void post(PageView* view, const QUrl& url) {
        reports.append(Report{view, url});
        schedule();
    }

    void waitStarted() { ++openWaits; }
    void waitEnded() {
        --openWaits;
        if (openWaits == 0 && !reports.isEmpty()) {
            schedule();
        }
    }

    void schedule() {
        if (scheduled) {
            return;
        }
        scheduled = true;
        QTimer::singleShot(0, QCoreApplication::instance(), [this] { deliverNext(); });
    }

    void deliverNext() {
        scheduled = false;
        if (openWaits > 0 || reports.isEmpty()) {
            return;  // waitEnded() schedules again
        }
        const Report report = reports.takeFirst();
        if (!reports.isEmpty()) {
            schedule();
        }
        if (report.view) {
            report.view->deliverNavigation(report.url);
        }
    }

    QList<Report> reports;
    int openWaits = 0;
    bool scheduled = false;
};

namespace {

// Marks a local event loop of a page view for the mailbox while it runs.
class OpenWait {
  public:
    OpenWait() { NavigationMailbox::instance().waitStarted(); }
    ~OpenWait() { NavigationMailbox::instance().waitEnded(); }
    OpenWait(const OpenWait&) = delete;
    OpenWait& operator=(const OpenWait&) = delete;
};

// The result of one script call; shared with the callback, which may come after the wait gave up.
struct ScriptResult {
    bool done = false;
    QVariant value;
    QEventLoop* loop = nullptr;
};

}  // namespace

class PageView::Page : public QWebEnginePage {
  public:
    Page(QWebEngineProfile* profile, PageView* view) : QWebEnginePage(profile, view), view_(view) {}

    // From now on every navigation is refused.
    void detach() { view_ = nullptr; }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        return view_ != nullptr && view_->acceptNavigation(url, isMainFrame);
    }

  private:
    PageView* view_;
};

struct PageView::Private {
    Page* page = nullptr;
    ContentGuard* guard = nullptr;
    QString root;
    NavigationHandler handler;

    // The page file load this view started and the engine has not asked about yet.
    bool ownLoadPending = false;
    QUrl ownLoadUrl;
    // The document being loaded (accepted navigation) until it finished.
    bool loading = false;
    QUrl documentUrl;
    bool ready = false;
    quint64 loadSerial = 0;      // one per loadPageFile call
    quint64 documentSerial = 0;  // one per accepted navigation: the old document goes away

    QStringList queue;
    qsizetype queuedChars = 0;
    bool unconfirmed = false;  // batches sent without waiting for their end

    QList<QEventLoop*> waits;
};

PageView::PageView(QWidget* parent) : QWebEngineView(parent), d_(new Private) {
    d_->page = new Page(sharedProfile(), this);
    d_->guard = new ContentGuard(d_->page);
    d_->page->setUrlRequestInterceptor(d_->guard);
    setPage(d_->page);

    connect(d_->page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (!d_->loading || !isSameDocument(info.url(), d_->documentUrl)) {
            return;  // e.g. a refused navigation, which the engine reports as started and stopped
        }
        switch (info.status()) {
            case QWebEngineLoadingInfo::LoadStartedStatus:
                break;
            case QWebEngineLoadingInfo::LoadSucceededStatus:
                settle(true);
                break;
            case QWebEngineLoadingInfo::LoadStoppedStatus:
                // A load of ours that gave way to a newer one of ours: the newer one settles.
                if (!d_->ownLoadPending) {
                    settle(false);
                }
                break;
            case QWebEngineLoadingInfo::LoadFailedStatus:
                settle(false);
                break;
        }
    });
    connect(d_->page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        d_->ownLoadPending = false;
        if (d_->loading) {
            settle(false);
        } else {
            d_->ready = false;
            wakeWaits();
        }
    });
}

PageView::~PageView() {
    // The page is the view's child and outlives this part of the view.
    disconnect(d_->page, nullptr, this, nullptr);
    d_->page->detach();
    delete d_;
}

void PageView::setContentRoot(const QString& folder) {
    d_->root = folder.isEmpty() ? QString() : cleanAbsolutePath(folder);
    d_->guard->setFolder(d_->root);
}

QString PageView::contentRoot() const {
    return d_->root;
}

void PageView::setNavigationHandler(NavigationHandler handler) {
    d_->handler = std::move(handler);
}

bool PageView::loadPageFile(const QString& filePath) {
    const QFileInfo info(filePath);
    if (!info.isFile()) {
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (d_->root.isEmpty()) {
        setContentRoot(info.absolutePath());
    } else if (!isInsideFolder(d_->root, url)) {
        return false;
    }

    const quint64 serial = ++d_->loadSerial;
    startOwnLoad(url);

    OpenWait open;
    QEventLoop loop;
    d_->waits.append(&loop);
    while ((d_->ownLoadPending || d_->loading) && d_->loadSerial == serial) {
        loop.exec();
    }
    d_->waits.removeOne(&loop);
    // A second call while this one waited (re-entry) has loaded the page again: its outcome counts.
    return d_->ready;
}

bool PageView::isReady() const {
    return d_->ready;
}

void PageView::appendFragment(const QString& html) {
    QString fragment = rewriteLocationCalls(html);
    d_->queuedChars += fragment.size();
    d_->queue.append(std::move(fragment));
    if (d_->queuedChars >= kBatchChars && d_->ready) {
        sendQueue(false);
    }
}

void PageView::appendFragments(const QStringList& fragments) {
    for (const QString& fragment : fragments) {
        appendFragment(fragment);
    }
}

void PageView::flush() {
    if (!d_->ready) {
        return;  // kept until a page is there; a new load drops it
    }
    if (!d_->queue.isEmpty()) {
        sendQueue(true);
    } else if (d_->unconfirmed) {
        // Script calls run in the order sent: the end of this one is the end of all before it.
        evaluate(QStringLiteral("0"));
    }
    d_->unconfirmed = false;
}

QHash<QString, ControlState> PageView::readControls(const QStringList& ids) {
    flush();
    const QVariantMap states = evaluate(readControlsScript(ids)).toMap();
    QHash<QString, ControlState> result;
    result.reserve(ids.size());
    for (const QString& id : ids) {
        const QVariantList fields = states.value(id).toList();
        ControlState state;
        if (fields.size() == 3) {
            state.exists = fields.at(0).toBool();
            state.checked = fields.at(1).toBool();
            state.value = fields.at(2).toString();
        }
        result.insert(id, state);
    }
    return result;
}

void PageView::setColor(const QStringList& ids, const QString& color) {
    flush();
    evaluate(setColorScript(ids, color));
}

void PageView::setChecked(const QString& id, bool checked) {
    flush();
    evaluate(setCheckedScript(id, checked));
}

void PageView::setSelectValue(const QString& id, const QString& value) {
    flush();
    evaluate(setValueScript(id, value));
}

QVariant PageView::runScript(const QString& script) {
    flush();
    return evaluate(script);
}

void PageView::setZoomLevel(int level) {
    const int last = int(std::size(kZoomFactors)) - 1;
    setZoomFactor(kZoomFactors[std::clamp(level, 0, last)]);
}

void PageView::setBodyFontSize(int size) {
    flush();
    evaluate(setBodyFontSizeScript(size));
}

void PageView::contextMenuEvent(QContextMenuEvent* event) {
    // Only what makes sense on a generated page: no back, reload or view source.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("复制"));
    copy->setEnabled(d_->page->hasSelection());
    connect(copy, &QAction::triggered, this, [this] { d_->page->triggerAction(QWebEnginePage::Copy); });
    QAction* selectAll = menu->addAction(QStringLiteral("全选"));
    connect(selectAll, &QAction::triggered, this,
            [this] { d_->page->triggerAction(QWebEnginePage::SelectAll); });
    menu->popup(event->globalPos());
}

bool PageView::acceptNavigation(const QUrl& url, bool isMainFrame) {
    if (!isMainFrame) {
        // Frames inside a page: local content only, not reported.
        return isInlineContent(url) || isInsideFolder(d_->root, url);
    }
    if (d_->ownLoadPending && isSameDocument(url, d_->ownLoadUrl)) {
        d_->ownLoadPending = false;
        beginDocument(url);
        return true;
    }
    if (!d_->handler) {
        if (isInsideFolder(d_->root, url)) {
            beginDocument(url);
            return true;
        }
        return false;
    }
    NavigationMailbox::instance().post(this, url);
    return false;
}

void PageView::deliverNavigation(const QUrl& url) {
    if (!d_->handler) {
        return;
    }
    const QPointer<PageView> self(this);
    const NavigationHandler handler = d_->handler;  // the handler may replace itself
    const bool cancel = handler(url.toString());
    if (self && !cancel && isInsideFolder(d_->root, url)) {
        startOwnLoad(url);
    }
}

void PageView::startOwnLoad(const QUrl& url) {
    d_->ownLoadPending = true;
    d_->ownLoadUrl = url;
    d_->ready = false;
    d_->queue.clear();
    d_->queuedChars = 0;
    d_->unconfirmed = false;
    d_->page->load(url);
}

void PageView::beginDocument(const QUrl& url) {
    d_->loading = true;
    d_->documentUrl = url;
    d_->ready = false;
    d_->queue.clear();
    d_->queuedChars = 0;
    d_->unconfirmed = false;
    ++d_->documentSerial;
    wakeWaits();
}

void PageView::settle(bool ok) {
    d_->loading = false;
    d_->ready = ok;
    if (ok) {
        // Each page is generated anew; going back would show an empty page file.
        d_->page->history()->clear();
    }
    wakeWaits();
    Q_EMIT pageLoaded(ok);
}

void PageView::sendQueue(bool wait) {
    const QString script = appendFragmentsScript(d_->queue);
    d_->queue.clear();
    d_->queuedChars = 0;
    if (wait) {
        evaluate(script);
    } else {
        d_->page->runJavaScript(script);
        d_->unconfirmed = true;
    }
}

QVariant PageView::evaluate(const QString& script) {
    if (!d_->ready) {
        return {};
    }
    auto result = std::make_shared<ScriptResult>();
    d_->page->runJavaScript(script, [result](const QVariant& value) {
        result->done = true;
        result->value = value;
        if (result->loop) {
            result->loop->quit();
        }
    });

    const quint64 document = d_->documentSerial;
    OpenWait open;
    QEventLoop loop;
    result->loop = &loop;
    d_->waits.append(&loop);
    // The callback never comes when the document goes away or the renderer dies.
    while (!result->done && d_->ready && d_->documentSerial == document) {
        loop.exec();
    }
    d_->waits.removeOne(&loop);
    result->loop = nullptr;
    return result->value;
}

void PageView::wakeWaits() {
    for (QEventLoop* loop : std::as_const(d_->waits)) {
        loop->quit();
    }
}

}  // namespace quorvex::study
