#pragma once

#include <QString>
#include <QStringList>

struct BaseContext;

// One line of the phrase file: the number before the first non-digit (0 when the line
// starts with one), and the text after that separator, trimmed of blanks.
struct PhraseLine
{
    long long number = 0; // saturates far above the table, so huge numbers stay "too large"
    QString text;
};

PhraseLine parsePhraseLine(const QString& line);

// The lines of the file's text up to (not including) the first empty line. Lines end with
// CR LF; a lone CR or LF is taken as a line end too.
QStringList phraseFileLines(const QString& content);

// Where the phrase file is found: the working directory first, then beside the executable
// (a build), then the data folder of an installation (share/varrow beside bin). Empty when
// none holds it.
QString findPhraseFile(const QStringList& folders);
QStringList phraseFileFolders();

// Loads the phrase table from vrwphrases.txt. Ends the program (ProgramExit) when the file
// is missing or holds a number beyond the table.
void GetPhrases(const BaseContext& context);
