#pragma once

#include "settings/shopcolorcheck.h"

#include <QWidget>

class QLabel;
class QPushButton;

// Tells the author, beside a colour field, that shoppers will struggle to
// read text in these colours: the contrast ratio and the nearest shade that
// passes, with a button that takes that shade. Hidden while nothing fails.
class ColorWarningLabel : public QWidget
{
    Q_OBJECT

public:
    explicit ColorWarningLabel(QWidget *parent = nullptr);

    void setWarnings(const QList<ColorContrastWarning> &warnings);
    const QList<ColorContrastWarning> &warnings() const { return m_warnings; }
    QString text() const;

Q_SIGNALS:
    // The author took the suggested shade for the settings colour `field`.
    void suggestionChosen(const QString &field, const Color &shade);

private:
    QList<ColorContrastWarning> m_warnings;
    QLabel *m_icon;
    QLabel *m_text;
    QPushButton *m_use;
};
