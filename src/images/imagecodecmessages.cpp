#include "images/imagecodecmessages.h"

#include <QtGlobal>

#include <cstdio>
#include <mutex>

namespace {

thread_local ImageCodecMessages::Scope *t_scope = nullptr;
QtMessageHandler g_previous = nullptr;

} // namespace

ImageCodecMessages::Scope::Scope() : m_outer(t_scope)
{
    static std::once_flag installed;
    std::call_once(installed, [] { g_previous = qInstallMessageHandler(&ImageCodecMessages::handle); });
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
    if (g_previous) {
        g_previous(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
