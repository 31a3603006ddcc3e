#include "util/placeholdertemplate.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// What the template promises to equal: the replace-all applied step after
// step to the whole text.
QString stepByStep(QString text, QString templateText, const std::vector<PlaceholderTemplate::Step> &steps,
                   size_t ownSteps)
{
    const auto fill = [](QString &text, const PlaceholderTemplate::Step &step) {
        text = CustomReplace::stringByCustomReplacingOccurrencesOfString(text, step.target, step.value, step.mode);
    };
    for (size_t i = 0; i < ownSteps && i < steps.size(); ++i)
        fill(templateText, steps[i]);
    text += templateText;
    for (size_t i = ownSteps; i < steps.size(); ++i)
        fill(text, steps[i]);
    return text;
}

} // namespace

// Random templates, values and texts before them over a few characters, so
// that values carry later placeholders, join the template's text into new
// ones or vanish, and targets take every form.
TEST(PlaceholderTemplate, FillsExactlyAsReplacingStepByStep)
{
    std::mt19937 random(15);
    const auto pick = [&](int count) { return int(random() % unsigned(count)); };
    const auto randomText = [&](int longest) {
        static const QString letters = QStringLiteral("%%%ABx\"\n");
        QString text;
        for (int i = pick(longest + 1); i > 0; --i)
            text += letters[pick(int(letters.size()))];
        return text;
    };
    const QString targets[] = {"%A%", "%B%", "%AB%", "%A%", "%B%", "%A%B%", "A", ""};
    for (int round = 0; round < 3000; ++round) {
        PlaceholderTemplate filled(randomText(14));
        std::vector<PlaceholderTemplate::Step> steps(size_t(1 + pick(4)));
        for (auto &step : steps)
            step.target = targets[pick(std::size(targets))];
        for (int fill = 0; fill < 3; ++fill) {
            for (auto &step : steps) {
                step.value = pick(5) == 0 ? QString() : randomText(4);
                step.mode = EscapeMode(pick(3));
            }
            QString text = pick(4) == 0 ? randomText(3) : QString();
            const size_t ownSteps = size_t(pick(int(steps.size()) + 2));
            const QString expected = stepByStep(text, filled.text(), steps, ownSteps);
            filled.appendFilled(text, steps, ownSteps);
            ASSERT_EQ(text, expected) << "template " << qPrintable(filled.text()) << " round " << round;
        }
    }
}
