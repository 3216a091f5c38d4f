#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text as it crosses the narrow ODBC calls: UTF-8 bytes, both ways.
//
// An engine keeps whatever bytes a text was given, UTF-8 or not, and a value read must go back
// into a statement byte for byte. So decoding never replaces anything: a byte that does not
// belong to a well-formed UTF-8 sequence becomes a code unit of its own, U+DC80 to U+DCFF (a
// lone low surrogate, which no UTF-8 text can yield), and encoding turns that code unit back
// into the byte. Every byte sequence survives decode and encode unchanged; any other lone
// surrogate is encoded as U+FFFD.
namespace OdbcText {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

} // namespace OdbcText
