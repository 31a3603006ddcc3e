#include "pagetheme.h"

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

const char *const kTheme = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{{TITLE}} | {{SITE}}</title>
<meta name="description" content="{{TITLE}} | {{SITE}}">
<link rel="icon" href="data:image/svg+xml,%3Csvg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 16 16'%3E%3Crect width='16' height='16' rx='3' fill='%231f2328'/%3E%3C/svg%3E">
<style>
  :root { color-scheme: light; }
  *, *::before, *::after { box-sizing: border-box; }
  body { margin: 0; font-family: system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
         font-size: 16px; line-height: 1.5; color: #1f2328; background: #f6f7f9; }
  .site-header { background: #ffffff; border-bottom: 1px solid #e3e6ea; }
  .site-header .inner, main, .site-footer .inner { max-width: 1100px; margin: 0 auto; padding: 0 1rem; }
  .site-header .inner { display: flex; align-items: baseline; gap: 1rem; padding-top: 1rem; padding-bottom: 1rem; }
  .site-name { font-size: 1.25rem; font-weight: 700; margin: 0; }
  .page-title { font-size: 1rem; font-weight: 400; color: #57606a; margin: 0; }
  main { padding-top: 1.5rem; padding-bottom: 2rem; }
  .content { background: #ffffff; border: 1px solid #e3e6ea; border-radius: 8px; padding: 1.25rem; }
  .site-footer { color: #57606a; font-size: .875rem; }
  .site-footer .inner { padding-top: 1rem; padding-bottom: 2rem; }
  img { max-width: 100%; height: auto; }
  @media (max-width: 480px) { .content { padding: .75rem; border-radius: 0; border-left: 0; border-right: 0; }
                              main { padding-left: 0; padding-right: 0; } }
</style>
{{HEAD}}
</head>
<body>
<header class="site-header"><div class="inner"><p class="site-name">{{SITE}}</p><h1 class="page-title">{{TITLE}}</h1></div></header>
<main id="content"><div class="content">
{{CONTENT}}
</div></main>
<footer class="site-footer"><div class="inner">{{SITE}}</div></footer>
</body>
</html>
)";

} // namespace

QString PageTheme::render(const Page &page)
{
    // The plug-in's texts go in last and are not searched again, so a
    // product named "{{SITE}}" stays as it is.
    QString html = QString::fromUtf8(kTheme);
    html.replace(QLatin1String("{{SITE}}"), escaped(page.siteName));
    html.replace(QLatin1String("{{TITLE}}"), escaped(page.title));
    const qsizetype head = html.indexOf(QLatin1String("{{HEAD}}"));
    html.replace(head, 8, page.headerBlock);
    const qsizetype content = html.indexOf(QLatin1String("{{CONTENT}}"), head + page.headerBlock.size());
    html.replace(content, 11, page.content);
    return html;
}
