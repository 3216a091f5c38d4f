#pragma once

#include "db/DbError.h"

#include <QString>
#include <functional>
#include <optional>

// A field value as the engine delivers it: its text, or nothing for NULL (so NULL and an
// empty text stay distinct). Numbers and dates arrive as the driver's text.
using DbValue = std::optional<QString>;

enum class CursorType
{
    ForwardOnly, // server-side, read once from first to last
    Static,      // every row held, free movement, record count known
};

// Positions as the absolute position reports them when no row is current.
inline constexpr long PositionUnknown = -1;
inline constexpr long PositionBof = -2;
inline constexpr long PositionEof = -3;

// The result of one query, ADO style: a current row that moves, fields read by index (from 0)
// or by name (without regard to case). Reading a field while BOF or EOF is true, or a field
// that does not exist, throws DbError; so does using a result set whose connection closed.
class Recordset
{
public:
    virtual ~Recordset() = default;

    virtual bool isOpen() const = 0;
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;

    virtual void moveNext() = 0;
    virtual void moveFirst() = 0;    // forward-only: only while on the first row, else throws
    virtual void moveLast() = 0;     // static only
    virtual void movePrevious() = 0; // static only

    // 1-based number of the current row, or PositionUnknown / PositionBof / PositionEof.
    // A forward-only result set reports PositionUnknown; so does any result without rows.
    virtual long absolutePosition() const = 0;
    // Number of rows; -1 when the cursor cannot tell (forward-only).
    virtual long recordCount() const = 0;

    virtual void requery() = 0; // runs the same query again and moves to its first row
    virtual void close() = 0;   // never throws

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    virtual DbValue value(int index) const = 0;
    virtual DbValue value(const QString& name) const = 0;

    // Called after every change of the current row (the viewers' status line).
    virtual void setMoveCompleteHandler(std::function<void()> handler) = 0;
};
