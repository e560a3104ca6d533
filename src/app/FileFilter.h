// File-dialog filters: the string table keeps them as description and
// pattern pairs separated by vertical bars and ending with two bars
// ("AVI files (*.avi)|*.avi|All files (*.*)|*.*||"); the file dialog takes
// one "description (patterns)" entry per pair.
#pragma once
#include <QString>
#include <QStringList>

// One entry per pair, in order: the description as written, then the
// patterns in parentheses, separated by blanks. A pattern list may hold
// several patterns separated by ";". "*.*" matches every file, also names
// without a dot. The text ends at the first empty description; a
// description without a pattern is dropped.
QStringList ConvertFileFilter(const QString& filter);
