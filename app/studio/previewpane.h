#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class QWebEngineView;

// The preview of the selected page: the page as exported in preview mode,
// shown in an embedded browser, with Reload and Open in Browser.
class PreviewPane : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewPane(QWidget *parent = nullptr);

    // Shows the exported page file; an empty URL clears the view.
    void showPage(const QUrl &url);
    QUrl pageUrl() const { return m_url; }
    QWebEngineView *view() const { return m_view; }
    QPushButton *reloadButton() const { return m_reload; }
    QPushButton *openInBrowserButton() const { return m_openInBrowser; }

Q_SIGNALS:
    // The author asked for a fresh export of the page.
    void reloadRequested();
    void loadFinished(bool ok);

private:
    QUrl m_url;
    QWebEngineView *m_view = nullptr;
    QLabel *m_address = nullptr;
    QPushButton *m_reload = nullptr;
    QPushButton *m_openInBrowser = nullptr;
};
