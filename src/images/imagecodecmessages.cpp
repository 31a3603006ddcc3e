#include "images/imagecodecmessages.h"

#include <QtGlobal>

#include <atomic>
#include <cstdio>

namespace {

thread_local ImageCodecMessages::Scope *t_scope = nullptr;
// Where messages outside a scope go: the handler this one was put on top of.
std::atomic<QtMessageHandler> g_previous = nullptr;

} // namespace

ImageCodecMessages::Scope::Scope() : m_outer(t_scope)
{
    // On top again wherever a handler was installed since (the studio's log,
    // a test's), which then gets every message outside a scope.
    const QtMessageHandler current = qInstallMessageHandler(&ImageCodecMessages::handle);
    if (current != &ImageCodecMessages::handle)
        g_previous = current;
    t_scope = this;
}

ImageCodecMessages::Scope::~Scope()
{
    t_scope = m_outer;
}

void ImageCodecMessages::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (t_scope && type != QtFatalMsg) {
        t_scope->m_last = message;
        return;
    }
    if (const QtMessageHandler previous = g_previous) {
        previous(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
