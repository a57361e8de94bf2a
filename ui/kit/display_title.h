#pragma once

#include <QString>

// The program's display name, string-table entry 106 ("Korvani"), at most 64
// characters: the games list's window title and the caption of its error boxes.
// Falls back to "Korvani" when the table lacks the entry.
const QString& DisplayTitle();
