// What every benchmark program needs: no person to answer message boxes, and
// medians of timed runs.
#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "dialogs/Interaction.h"

namespace BenchSupport {

// Message boxes go to standard error; file dialogs and launches are refused.
class PrintingBackend final : public Interaction::Backend {
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    void ShowError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool OpenFile(const Interaction::OpenFileRequest&, QString&) override { return false; }
    bool OpenUrl(const QString&) override { return false; }
};

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

inline double TimeMs(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace BenchSupport
