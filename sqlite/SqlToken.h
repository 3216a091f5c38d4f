#pragma once

#include <QList>
#include <QString>
#include <initializer_list>

// One lexical piece of a statement text. The pieces of a text, concatenated, give it back
// unchanged, so a rewrite touches only the pieces it means to.
struct SqlToken
{
    enum class Kind
    {
        Word,
        QuotedName,
        String,
        Number,
        Symbol,
        Space,
        Comment
    };

    Kind kind = Kind::Space;
    QString text;

    static SqlToken word(const QString& text) { return {Kind::Word, text}; }
    static SqlToken symbol(const QString& text) { return {Kind::Symbol, text}; }
    static SqlToken space() { return {Kind::Space, QStringLiteral(" ")}; }
    // A string literal holding value, quotes doubled.
    static SqlToken string(const QString& value);

    bool isSignificant() const { return kind != Kind::Space && kind != Kind::Comment; }
    bool isName() const { return kind == Kind::Word || kind == Kind::QuotedName; }
    // A bare word equal to keyword without regard to case.
    bool is(QLatin1String keyword) const;
    bool isAnyOf(std::initializer_list<const char*> keywords) const;
    bool isSymbol(QLatin1String symbol) const;
    // The name without its quotes ("a""b" gives a"b), for comparing names.
    QString name() const;
};

using SqlTokens = QList<SqlToken>;
