#include "tests/support/TestSupport.h"

#include <QCoreApplication>

namespace testsupport {

QString binaryDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace testsupport
