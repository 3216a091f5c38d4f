#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QTest>

namespace testsupport {

QString binaryDir()
{
    return QCoreApplication::applicationDirPath();
}

QString firstValue(Connection& connection, const QString& query)
{
    return connection.openRecordset(query)->value(0).value_or(QStringLiteral("(NULL)"));
}

void addCursorTypeRows()
{
    QTest::addColumn<CursorType>("type");
    QTest::newRow("forward-only") << CursorType::ForwardOnly;
    QTest::newRow("static") << CursorType::Static;
}

} // namespace testsupport
