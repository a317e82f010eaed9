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
    using NavigationHandler = std::function<bool(const QString& url)>;

    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // The folder whose files pages may load (the program folder). Set before the first load.
    void setContentRoot(const QString& folder);
    void setNavigationHandler(NavigationHandler handler);

    // Discards the old page and loads the file, processing events until it is ready (the caller
    // guards against re-entry). Returns false when the file could not be loaded.
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

    // One script call for all ids; a missing element reads exists = false.
    QHash<QString, ControlState> readControls(const QStringList& ids);
    // Sets style.color of every listed element in one script call.
    void setColor(const QStringList& ids, const QString& color);
    void setChecked(const QString& id, bool checked);
    void setSelectValue(const QString& id, const QString& value);
    // Runs the script to its end and returns its result.
    QVariant runScript(const QString& script);
    // The page's text zoom, level 0 (smallest) to 4 (largest); level 1 is what pages use normally.
    void setZoomLevel(int level);
    // body.style.fontSize as a plain number of pixels.
    void setBodyFontSize(int size);

Q_SIGNALS:
    void pageLoaded(bool ok);

private:
    class Page;
    friend class Page;
    bool handleNavigation(const QUrl& url);

    struct Private;
    Private* d_;
};

}  // namespace quorvex::study
