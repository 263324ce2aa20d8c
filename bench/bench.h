#pragma once

#include <QList>
#include <QStringList>

// Each section prints its own figures; a section measures its baseline in the
// same run so the figures read as ratios.
void benchTable(const QList<int> &sizes);
void benchFiles(const QList<int> &sizes, const QStringList &args);
void benchRun(const QList<int> &sizes);
void benchSearch(const QList<int> &sizes);
void benchStatistics(const QList<int> &sizes);
