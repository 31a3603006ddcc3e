#include "util/placeholdertemplate.h"

#include <algorithm>

namespace {

constexpr QChar Mark = u'%';

// "%NAME%": a mark at either end and none inside.
bool isPlaceholder(const QString &target)
{
    return target.size() >= 3 && target.front() == Mark && target.back() == Mark
           && !QStringView(target).sliced(1, target.size() - 2).contains(Mark);
}

} // namespace

void PlaceholderTemplate::appendFilled(QString &text, const std::vector<Step> &steps, size_t ownSteps)
{
    const Plan &plan = planFor(steps);
    // Without a mark in the text before the template, no step finds anything
    // there, so where a step acts makes no difference.
    bool joinable = plan.usable && !QStringView(text).contains(Mark);
    if (joinable) {
        m_values.assign(steps.size(), QString());
        qsizetype length = text.size();
        for (const Piece &piece : plan.pieces) {
            if (piece.step < 0) {
                length += piece.length;
                continue;
            }
            QString &value = m_values[size_t(piece.step)];
            if (value.isNull()) { // escaped only once per step, never null after
                const Step &step = steps[size_t(piece.step)];
                value = CustomReplace::escaped(step.value, step.mode);
                joinable = joinable && !value.contains(Mark);
            }
            length += value.size();
        }
        if (joinable) {
            text.reserve(length);
            for (const Piece &piece : plan.pieces) {
                if (piece.step < 0)
                    text.append(QStringView(m_text).sliced(piece.from, piece.length));
                else
                    text.append(m_values[size_t(piece.step)]);
            }
            return;
        }
    }
    QString own = m_text;
    for (size_t i = 0; i < steps.size(); ++i) {
        if (i == ownSteps) {
            text += own;
            own.clear();
        }
        QString &filled = i < ownSteps ? own : text;
        filled = CustomReplace::stringByCustomReplacingOccurrencesOfString(filled, steps[i].target, steps[i].value,
                                                                           steps[i].mode);
    }
    text += own; // when every step was the template's own
}

const PlaceholderTemplate::Plan &PlaceholderTemplate::planFor(const std::vector<Step> &steps)
{
    for (const Plan &plan : m_plans) {
        if (std::equal(steps.begin(), steps.end(), plan.targets.begin(), plan.targets.end(),
                       [](const Step &step, const QString &target) { return step.target == target; }))
            return plan;
    }
    QStringList targets;
    targets.reserve(qsizetype(steps.size()));
    for (const Step &step : steps)
        targets.append(step.target);
    m_plans.push_back(makePlan(targets));
    return m_plans.back();
}

PlaceholderTemplate::Plan PlaceholderTemplate::makePlan(const QStringList &targets) const
{
    const QStringView text(m_text);
    Plan plan;
    plan.targets = targets;
    if (!text.isEmpty())
        plan.pieces.push_back({0, text.size(), -1});

    // Whether a value could join the template text around it into an
    // occurrence of a target of that length: values hold no mark, so such an
    // occurrence is a run between two marks with no mark inside that holds a
    // value and at most length - 2 characters of template text.
    const auto valueMayJoin = [&](qsizetype length) {
        bool markSeen = false;
        bool valueSeen = false;
        qsizetype count = 0;
        for (const Piece &piece : plan.pieces) {
            if (piece.step >= 0) {
                valueSeen = true;
                continue;
            }
            const QStringView part = text.sliced(piece.from, piece.length);
            qsizetype start = 0;
            for (qsizetype at = part.indexOf(Mark); at >= 0; at = part.indexOf(Mark, at + 1)) {
                if (markSeen && valueSeen && count + (at - start) + 2 <= length)
                    return true;
                markSeen = true;
                valueSeen = false;
                count = 0;
                start = at + 1;
            }
            count += part.size() - start;
        }
        return false;
    };

    // Each step cuts the template text left, left to right and without
    // overlaps, as the step-by-step replacement finds its target there.
    for (qsizetype step = 0; step < targets.size(); ++step) {
        const QString &target = targets[step];
        if (target.isEmpty())
            continue; // replaces nothing
        if (!isPlaceholder(target) || valueMayJoin(target.size())) {
            plan.usable = false;
            return plan;
        }
        std::vector<Piece> next;
        for (const Piece &piece : plan.pieces) {
            if (piece.step >= 0) {
                next.push_back(piece);
                continue;
            }
            const QStringView part = text.sliced(piece.from, piece.length);
            qsizetype done = 0;
            for (qsizetype at = part.indexOf(target); at >= 0; at = part.indexOf(target, done)) {
                if (at > done)
                    next.push_back({piece.from + done, at - done, -1});
                next.push_back({0, 0, int(step)});
                done = at + target.size();
            }
            if (done < part.size())
                next.push_back({piece.from + done, part.size() - done, -1});
        }
        plan.pieces = std::move(next);
    }
    return plan;
}
