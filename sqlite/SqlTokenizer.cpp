#include "sqlite/SqlTokenizer.h"

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit();
}

// End of a quoted piece opened at start; a doubled closing character stands for itself.
qsizetype quotedEnd(QStringView text, qsizetype start, QChar close)
{
    qsizetype i = start + 1;
    while (i < text.size()) {
        if (text[i] == close) {
            if (close != u']' && i + 1 < text.size() && text[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}

qsizetype numberEnd(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].isDigit())
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit())
            ++i;
    }
    if (i + 1 < text.size() && (text[i] == u'e' || text[i] == u'E') &&
        (text[i + 1].isDigit() || ((text[i + 1] == u'+' || text[i + 1] == u'-') &&
                                   i + 2 < text.size() && text[i + 2].isDigit()))) {
        i += 2;
        while (i < text.size() && text[i].isDigit())
            ++i;
    }
    // Hex literals (0x1F) and malformed numbers stay one token for the engine to judge.
    while (i < text.size() && isWordPart(text[i]))
        ++i;
    return i;
}

const QLatin1String twoCharacterSymbols[] = {
    QLatin1String("||"), QLatin1String("<="), QLatin1String(">="), QLatin1String("<>"),
    QLatin1String("!="), QLatin1String("=="), QLatin1String("<<"), QLatin1String(">>")};

} // namespace

SqlTokens SqlTokenizer::tokenize(const QString& source)
{
    const QStringView text(source);
    SqlTokens tokens;
    tokens.reserve(text.size() / 3 + 1);
    qsizetype i = 0;
    auto take = [&](SqlToken::Kind kind, qsizetype end) {
        tokens.append({kind, QString::fromRawData(source.constData() + i, end - i)});
        i = end;
    };
    while (i < text.size()) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c.isSpace()) {
            qsizetype end = i;
            while (end < text.size() && text[end].isSpace())
                ++end;
            take(SqlToken::Kind::Space, end);
        } else if (c == u'-' && next == u'-') {
            qsizetype end = text.indexOf(u'\n', i);
            take(SqlToken::Kind::Comment, end < 0 ? text.size() : end);
        } else if (c == u'/' && next == u'*') {
            qsizetype end = text.indexOf(u"*/", i + 2);
            take(SqlToken::Kind::Comment, end < 0 ? text.size() : end + 2);
        } else if (c == u'\'') {
            take(SqlToken::Kind::String, quotedEnd(text, i, c));
        } else if (c == u'"' || c == u'`') {
            take(SqlToken::Kind::QuotedName, quotedEnd(text, i, c));
        } else if (c == u'[') {
            take(SqlToken::Kind::QuotedName, quotedEnd(text, i, u']'));
        } else if (c.isDigit() ||
                   (c == u'.' && next.isDigit() && (tokens.isEmpty() || !tokens.last().isName()))) {
            take(SqlToken::Kind::Number, numberEnd(text, c == u'.' ? i + 1 : i));
        } else if (isWordStart(c)) {
            qsizetype end = i;
            while (end < text.size() && isWordPart(text[end]))
                ++end;
            take(SqlToken::Kind::Word, end);
        } else {
            qsizetype end = i + 1;
            for (QLatin1String symbol : twoCharacterSymbols)
                if (text.mid(i).startsWith(symbol))
                    end = i + 2;
            take(SqlToken::Kind::Symbol, end);
        }
    }
    return tokens;
}
