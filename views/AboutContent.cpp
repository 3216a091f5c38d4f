#include "views/AboutContent.h"

#include "base/Phrases.h"

AboutContent aboutContent(const Phrases& p)
{
    const QChar blank = QLatin1Char(' ');
    AboutContent c;
    c.caption = p[1] + blank + p[503] + blank + p[101];
    c.version = p[503] + blank + p[101] + blank + p[2] + blank +
                QStringLiteral("%1.%2.%3")
                    .arg(VARROW_VERSION_MAJOR)
                    .arg(VARROW_VERSION_MINOR)
                    .arg(VARROW_VERSION_PATCH);
    c.label2 = p[7];
    c.label3 = p[10];
    c.label4 = p[9];
    c.label5 = p[8];
    c.ok = p[59];
    return c;
}
