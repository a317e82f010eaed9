#pragma once

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QWebEngineView>
#include <functional>

namespace quorvex::study {

// State of one page control, read by element id.
struct ControlState {
    bool exists = false;
    bool checked = false;
    QString value;
};

// The embedded page view every page of the program goes through. It loads a page file from the
// program folder, appends generated fragments at the end of the body, reads controls back by id
// in one script call, and hands every navigation to its owner, which may cancel it.
//
// Page content comes only from the program folder (file: URLs under it); everything else is blocked.
class PageView : public QWebEngineView {
    Q_OBJECT
  public:
    // Returns true to cancel the navigation. The address arrives as text, e.g. "http://scbt12/".
    //
    // The engine has already been told to hold the navigation back when the handler runs: the handler is
    // called from the event loop shortly after the page asked, never from inside the engine's own call and
    // never while one of the page views waits for a page or a script (the engine hangs if a handler starts
    // such a wait there). So the handler may load pages and run scripts itself. Returning false lets a
    // navigation to a file inside the content root go ahead (the view loads that file, like loadPageFile
    // but without waiting); any other address is never loaded, whatever the handler returns.
    // Navigations started by loadPageFile are not reported.
    using NavigationHandler = std::function<bool(const QString& url)>;

    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // The folder whose files pages may load (the program folder). Set before the first load; without it
    // the first page file's folder is taken.
    void setContentRoot(const QString& folder);
    QString contentRoot() const;
    // Without a handler, navigations to files inside the content root go ahead and all others are refused.
    void setNavigationHandler(NavigationHandler handler);

    // Discards the old page and loads the file, processing events until it is ready (the caller
    // guards against re-entry). Returns false when the file could not be loaded: a missing file or one
    // outside the content root leaves the old page as it was.
    bool loadPageFile(const QString& filePath);
    bool isReady() const;

    // Appends fragments at the end of the body, each parsed on its own as insertAdjacentHTML
    // ("beforeend") does. Fragments are queued and sent many per script call; any call that reads
    // or changes the page sends the queue first. The onclick text "window.location.href('...')"
    // is made to navigate to that address.
    void appendFragment(const QString& html);
    void appendFragments(const QStringList& fragments);
    // Sends the queued fragments and waits until they are in the page.
    void flush();

    // One script call for all ids; a missing element reads exists = false. An element without a value
    // property (the answer block's div) reports its value attribute. A page that is not ready reads as
    // all missing.
    QHash<QString, ControlState> readControls(const QStringList& ids);
    // Sets style.color of every listed element in one script call.
    void setColor(const QStringList& ids, const QString& color);
    void setChecked(const QString& id, bool checked);
    void setSelectValue(const QString& id, const QString& value);
    // Runs the script to its end and returns its result (invalid when the page is not ready).
    QVariant runScript(const QString& script);
    // The page's zoom, level 0 (smallest) to 4 (largest); level 1 is what pages use normally (100 %).
    // Factors: 0.85, 1.0, 1.15, 1.3, 1.5. Levels outside 0..4 are clamped.
    void setZoomLevel(int level);
    // body.style.fontSize as a plain number of pixels.
    void setBodyFontSize(int size);

  Q_SIGNALS:
    // After every load of a whole page (loadPageFile, or a navigation let through), ok = it is ready.
    void pageLoaded(bool ok);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    class Page;
    friend class Page;
    friend struct NavigationMailbox;
    bool acceptNavigation(const QUrl& url, bool isMainFrame);
    void deliverNavigation(const QUrl& url);
    void startOwnLoad(const QUrl& url);
    void beginDocument(const QUrl& url);
    void settle(bool ok);
    void sendQueue(bool wait);
    QVariant evaluate(const QString& script);
    void wakeWaits();

    struct Private;
    Private* d_;
};

}  // namespace quorvex::study
