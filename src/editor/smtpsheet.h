#pragma once

#include <QDialog>

class EditorContext;
class QCheckBox;
class QSpinBox;

// The mail server the direct-order script sends orders through: host, port,
// user, password and SSL. Opens over the options window (window-modal).
class SmtpSheet : public QDialog
{
    Q_OBJECT

public:
    explicit SmtpSheet(EditorContext &context, QWidget *parent = nullptr);

    // The SSL box sets the port every server uses for it (465 with SSL, 25
    // without), over whatever port was typed.
    void setDefaultSmtpPort(bool useSSL);

private:
    EditorContext &m_context;
    QSpinBox *m_port;
};
