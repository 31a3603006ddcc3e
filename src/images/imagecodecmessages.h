#pragma once

#include <QString>
#include <QtGlobal>

// Keeps the image libraries' own complaints ("Corrupt JPEG data: ...",
// "libpng warning: ...") off the terminal and the log. Qt's image plug-ins
// pass them on as warnings; while a Scope lives on a thread, that thread's
// messages are kept in the scope instead of printed. The caller reports what
// it could not do in its own words, once.
class ImageCodecMessages
{
public:
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

        // The last message the libraries gave inside this scope; empty if none.
        const QString &lastMessage() const { return m_last; }

    private:
        friend class ImageCodecMessages;
        Scope *m_outer;
        QString m_last;
    };

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);
};
