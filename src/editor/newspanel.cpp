#include "editor/newspanel.h"

#include "editor/newspage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

NewsPanel::NewsPanel(QTabWidget *mainTabView, NewsFeed &feed) : m_feed(feed), m_mainTabView(mainTabView)
{
    setObjectName(QStringLiteral("newsPanel"));
    m_webView = new QWebEngineView(this);
    m_webView->setPage(new NewsPage(m_webView));
    m_webView->setContextMenuPolicy(Qt::NoContextMenu);
    m_webView->setAccessibleName(tr("News entry"));
    m_indexTextField = new QLabel(this);
    m_indexTextField->setObjectName(QStringLiteral("indexTextField"));
    m_indexTextField->setMinimumWidth(70);
    m_indexTextField->setAlignment(Qt::AlignCenter);
    m_indexTextField->setAccessibleName(tr("Position of the entry"));
    m_busy = new QProgressBar(this);
    m_busy->setRange(0, 0);
    m_busy->setMaximumWidth(60);
    m_busy->setTextVisible(false);
    m_busy->setAccessibleName(tr("Loading"));
    m_busy->hide();

    auto *bar = new QHBoxLayout;
    m_entryButtons << addButton(QStringLiteral("previousButton"), tr("Previous"), &NewsPanel::prevIndex);
    bar->addWidget(m_entryButtons.last());
    bar->addWidget(m_indexTextField);
    m_entryButtons << addButton(QStringLiteral("nextButton"), tr("Next"), &NewsPanel::nextIndex);
    bar->addWidget(m_entryButtons.last());
    bar->addWidget(m_busy);
    bar->addStretch();
    m_entryButtons << addButton(QStringLiteral("openInBrowserButton"), tr("Open in Browser"),
                                &NewsPanel::openURLForCurrentIndex);
    bar->addWidget(m_entryButtons.last());
    bar->addWidget(addButton(QStringLiteral("remindLaterButton"), tr("Remind Me Later"),
                             &NewsPanel::dismissAndRemindLater));
    bar->addWidget(addButton(QStringLiteral("markAsReadButton"), tr("Mark as Read"), &NewsPanel::markNewsAsRead));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_webView, 1);
    layout->addLayout(bar);

    connect(m_webView, &QWebEngineView::loadStarted, this, [this] { setWebViewIsLoading(true); });
    connect(m_webView, &QWebEngineView::loadFinished, this, [this] { setWebViewIsLoading(false); });
    // A crashed page reports no end of its load.
    connect(m_webView->page(), &QWebEnginePage::renderProcessTerminated, this, [this] { setWebViewIsLoading(false); });
    connect(&m_feed, &NewsFeed::newsArrived, this, &NewsPanel::showNews);
    connect(&m_feed, &NewsFeed::currentIndexChanged, this, &NewsPanel::webViewLoadURLForCurrentIndex);
    connect(&m_feed, &NewsFeed::feedChanged, this, &NewsPanel::showFeed);
    showFeed();
    m_feed.attach();
}

NewsPanel::~NewsPanel()
{
    m_feed.detach();
}

QPushButton *NewsPanel::addButton(const QString &name, const QString &text, void (NewsPanel::*action)())
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

void NewsPanel::prevIndex()
{
    m_feed.prevIndex();
}

void NewsPanel::nextIndex()
{
    m_feed.nextIndex();
}

void NewsPanel::openURLForCurrentIndex()
{
    if (const auto entry = m_feed.currentEntry())
        NewsPage::openExternally(entry->openURL);
}

void NewsPanel::markNewsAsRead()
{
    m_feed.markNewsAsRead();
    dismissAndRemindLater();
}

void NewsPanel::dismissAndRemindLater()
{
    if (m_mainTabView)
        m_mainTabView->setCurrentIndex(0);
}

void NewsPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A panel set up after the news came shows the current entry when opened.
    if (m_webView->url().isEmpty() && !m_loading)
        webViewLoadURLForCurrentIndex();
}

void NewsPanel::showNews()
{
    // Loading first keeps showEvent() from starting the same load again.
    webViewLoadURLForCurrentIndex();
    if (m_mainTabView)
        m_mainTabView->setCurrentWidget(this);
}

void NewsPanel::showFeed()
{
    m_indexTextField->setText(m_feed.positionText());
    for (QPushButton *button : std::as_const(m_entryButtons))
        button->setEnabled(m_feed.count() > 0);
}

void NewsPanel::webViewLoadURLForCurrentIndex()
{
    showFeed();
    const auto entry = m_feed.currentEntry();
    if (!entry)
        return;
    setWebViewIsLoading(true);
    m_webView->load(entry->displayURL);
}

void NewsPanel::setWebViewIsLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    m_busy->setVisible(loading);
    Q_EMIT webViewIsLoadingChanged(loading);
}
