#include "previewpane.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineView>

PreviewPane::PreviewPane(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Preview"));
    m_reload = new QPushButton(QIcon::fromTheme(QStringLiteral("view-refresh")), QStringLiteral("&Reload"), this);
    m_reload->setAccessibleName(QStringLiteral("Reload preview"));
    m_reload->setToolTip(QStringLiteral("Export the page again and show it"));
    m_openInBrowser = new QPushButton(QStringLiteral("Open in &Browser"), this);
    m_openInBrowser->setAccessibleName(QStringLiteral("Open preview in browser"));
    m_openInBrowser->setToolTip(QStringLiteral("Show the same preview in your web browser"));
    m_address = new QLabel(this);
    m_address->setAccessibleName(QStringLiteral("Preview file"));
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_address->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_view = new QWebEngineView(this);
    m_view->setAccessibleName(QStringLiteral("Page preview"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_reload);
    bar->addWidget(m_openInBrowser);
    bar->addWidget(m_address, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    setTabOrder(m_reload, m_openInBrowser);
    setTabOrder(m_openInBrowser, m_view);

    connect(m_reload, &QPushButton::clicked, this, &PreviewPane::reloadRequested);
    connect(m_openInBrowser, &QPushButton::clicked, this, [this] {
        if (m_url.isValid())
            QDesktopServices::openUrl(m_url);
    });
    connect(m_view, &QWebEngineView::loadFinished, this, &PreviewPane::loadFinished);
    showPage(QUrl());
}

void PreviewPane::showPage(const QUrl &url)
{
    m_url = url;
    m_openInBrowser->setEnabled(url.isValid());
    m_address->setText(url.isLocalFile() ? url.toLocalFile() : QString());
    if (url.isValid())
        m_view->load(url);
    else
        m_view->setHtml(QStringLiteral("<p style=\"font-family:sans-serif;color:#57606a\">No page to preview.</p>"));
}
