#pragma once

#include <QString>

class Phrases;

// The texts of the About window, from the phrase table and the program's version.
struct AboutContent
{
    QString caption;
    QString version;
    QString label2, label3, label4, label5;
    QString ok;
};

AboutContent aboutContent(const Phrases& phrases);
