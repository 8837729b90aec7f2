#pragma once

#include <QString>

// Spaces and control characters go from both ends of a typed text.
inline QString TrimmedText(const QString& text)
{
    int first = 0;
    int last = text.size();
    while (first < last && text.at(first).unicode() <= ' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}
