#pragma once

#include "sqlite/SqlToken.h"

#include <QStringList>
#include <initializer_list>

// The tokens of one statement, with the look-arounds the rewrite rules share. Indexes run
// over all tokens; "significant" skips spaces and comments.
class SqlStatement
{
public:
    SqlStatement() = default;
    explicit SqlStatement(SqlTokens tokens) : m_tokens(std::move(tokens)) {}

    SqlTokens& tokens() { return m_tokens; }
    const SqlTokens& tokens() const { return m_tokens; }
    int size() const { return int(m_tokens.size()); }
    const SqlToken& at(int index) const { return m_tokens[index]; }

    // First significant index at or after from, or size().
    int nextSignificant(int from) const;
    // Last significant index before before, or -1.
    int previousSignificant(int before) const;
    int first() const { return nextSignificant(0); }
    // The significant tokens from the start are these keywords, in order.
    bool startsWith(std::initializer_list<const char*> keywords) const;
    // Index of the ")" that closes the "(" at open (or of CASE's END), or size() if none.
    int closing(int open) const;
    // The parts of a dotted name (owner.table.column, t.*) starting at start: their indexes.
    QList<int> namePath(int start) const;
    // "commit" or "rollback", with WORK, TRANSACTION or TRAN or alone.
    bool endsTransaction() const;
    // Replaces tokens [begin, end) by replacement.
    void replace(int begin, int end, const SqlTokens& replacement);

    // The statement's text without surrounding white space.
    QString text() const;
    bool isEmpty() const { return first() == size(); }

private:
    SqlTokens m_tokens;
};

// Joins tokens back into text.
QString renderTokens(const SqlTokens& tokens);
