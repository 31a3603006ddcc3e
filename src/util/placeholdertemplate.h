#pragma once

#include "util/customreplace.h"

#include <QString>
#include <QStringList>

#include <vector>

// A template filled many times over (once per product of a listing) by the
// same literal replace-all steps in a fixed order.
//
// The result is always exactly what CustomReplace's replace-all gives when
// applied step after step to the whole text: a value holding a later step's
// placeholder has it filled in turn. Filling is fast when no value and no
// text before the template holds a "%": the template is then cut once, per
// list of targets, into its fixed text and the places the values go, and
// each fill only joins those pieces. Every target must be of the form
// "%NAME%" for that (any other is filled step by step), and a template whose
// fixed text could join with a value into a later placeholder (as
// "%A%%B%" might) is filled step by step too.
class PlaceholderTemplate
{
public:
    struct Step
    {
        QString target;
        QString value;
        EscapeMode mode = EscapeMode::Plain;
    };

    explicit PlaceholderTemplate(const QString &text = QString()) : m_text(text) {}

    const QString &text() const { return m_text; }

    // Appends the template to text and replaces each step's target by its
    // value, escaped for the step's mode, in order: the first ownSteps steps
    // in the template alone before it is appended, the others in the whole of
    // text after.
    void appendFilled(QString &text, const std::vector<Step> &steps, size_t ownSteps = 0);

private:
    // A piece of the filled template: template text, or a step's value.
    struct Piece
    {
        qsizetype from = 0;
        qsizetype length = 0;
        int step = -1; // -1: m_text from..from+length
    };
    struct Plan
    {
        QStringList targets;
        std::vector<Piece> pieces;
        bool usable = true;
    };

    const Plan &planFor(const std::vector<Step> &steps);
    Plan makePlan(const QStringList &targets) const;

    QString m_text;
    std::vector<Plan> m_plans;
    std::vector<QString> m_values; // the escaped values of one fill

};
