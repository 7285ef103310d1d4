#include "Report.h"

#include "BenchSupport.h"

#include <QGuiApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int nameWidth = 26;
constexpr int targetWidth = 16;

void printLine(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

// The value a fraction `q` of the way up the sorted values, between neighbours.
double quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(position);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    const double weight = position - static_cast<double>(below);
    return values[below] * (1 - weight) + values[above] * weight;
}

struct Figures {
    double app = 0;
    double floor = 0;
    double ratio = 0;
    double added = 0;
    double spread = 0;
};

// Half the middle half's width against the median, in percent.
double spreadOf(const std::vector<double>& values)
{
    const double middle = median(values);
    if (middle <= 0)
        return 0;
    return (quantile(values, 0.75) - quantile(values, 0.25)) / (2 * middle) * 100;
}

// Medians of each side rather than of each round's ratio: a stray slow run on
// one side then spoils no comparison.
Figures figuresOf(const Samples& samples)
{
    Figures figures;
    figures.app = median(samples.app);
    figures.floor = median(samples.floor);
    figures.ratio = figures.floor > 0 ? figures.app / figures.floor : 0;
    figures.added = figures.app - figures.floor;
    figures.spread = std::max(spreadOf(samples.app), spreadOf(samples.floor));
    return figures;
}

QString quantity(double value, const QString& unit)
{
    return QStringLiteral("%1 %2").arg(value, 8, 'f', 1).arg(unit, -3);
}

QString targetText(Goal goal, double limit, const QString& unit)
{
    switch (goal) {
    case Goal::RatioAtMost:
        return QStringLiteral("<= %1x").arg(limit, 0, 'f', 2);
    case Goal::AddedAtMost:
        return QStringLiteral("<= floor+%1 %2").arg(limit, 0, 'f', 0).arg(unit);
    case Goal::ValueAtMost:
        return QStringLiteral("<= %1 %2").arg(limit, 0, 'f', 0).arg(unit);
    }
    return {};
}

QString listed(const std::vector<double>& values)
{
    QStringList texts;
    for (const double value : values)
        texts << QString::number(value, 'f', 1);
    return texts.join(u' ');
}

} // namespace

void printHeader(int runs)
{
    printLine(QStringLiteral("velborn-bench: %1 runs of each after a warm-up; platform %2, %3 CPUs")
                  .arg(runs)
                  .arg(QGuiApplication::platformName())
                  .arg(QThread::idealThreadCount()));
    // The quantities' headings stand over their numbers, not their units.
    printLine(QStringLiteral("%1 %2     %3     %4 %5  %6 %7")
                  .arg(QStringLiteral("measure"), -nameWidth)
                  .arg(QStringLiteral("app"), 8)
                  .arg(QStringLiteral("floor"), 8)
                  .arg(QStringLiteral("ratio"), 6)
                  .arg(QStringLiteral("spread"), -7)
                  .arg(QStringLiteral("target"), -targetWidth)
                  .arg(QStringLiteral("result")));
}

bool printRow(const QString& name, const QString& unit, const Samples& samples, Goal goal,
              double limit, bool withSamples)
{
    if (!samples.error.isEmpty() || samples.app.empty() ||
        samples.app.size() != samples.floor.size()) {
        const QString why = samples.error.isEmpty() ? QStringLiteral("no runs") : samples.error;
        printLine(QStringLiteral("%1 not measured: %2").arg(name, -nameWidth).arg(why));
        return false;
    }

    const Figures figures = figuresOf(samples);
    bool met = false;
    QString result;
    switch (goal) {
    case Goal::RatioAtMost:
        met = figures.floor > 0 && figures.ratio <= limit;
        break;
    case Goal::AddedAtMost:
        met = figures.added <= limit;
        result = QStringLiteral(" (%1%2 %3)")
                     .arg(figures.added >= 0 ? QStringLiteral("+") : QString())
                     .arg(figures.added, 0, 'f', 1)
                     .arg(unit);
        break;
    case Goal::ValueAtMost:
        met = figures.app <= limit;
        break;
    }
    result.prepend(met ? QStringLiteral("met") : QStringLiteral("MISSED"));

    const QString spread = QStringLiteral("+-%1%").arg(figures.spread, 0, 'f', 0);
    printLine(QStringLiteral("%1 %2 %3 %4 %5  %6 %7")
                  .arg(name, -nameWidth)
                  .arg(quantity(figures.app, unit))
                  .arg(quantity(figures.floor, unit))
                  .arg(figures.ratio, 6, 'f', 3)
                  .arg(spread, -7)
                  .arg(targetText(goal, limit, unit), -targetWidth)
                  .arg(result));
    if (withSamples) {
        printLine(QStringLiteral("    app:   ") + listed(samples.app));
        printLine(QStringLiteral("    floor: ") + listed(samples.floor));
    }
    return true;
}

void printNotes()
{
    printLine(QStringLiteral(
        "app and floor are medians over the runs, ratio is app/floor, spread is half the\n"
        "middle half of the runs against the median (the noisier side). Floors: start-up\n"
        "and memory, the same child process showing a bare QWidget; drop, ffprobe run\n"
        "directly with the app's arguments; export and stall, ffmpeg run directly with the\n"
        "app's arguments while the event loop waits on it, the same 1 ms stall timer ticking."));
}
