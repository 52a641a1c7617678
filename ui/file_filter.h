#pragma once

#include <QStringList>

// The name filters of a file dialog from a filter text of "description|patterns|" pairs
// ("Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||"): "Wave Files (*.wav)", "All Files (*)".
// "*.*" stands for every file, so it becomes "*": on Linux a file name need not have a dot.
QStringList NameFiltersOf(const char* filter);
