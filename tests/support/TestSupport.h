#pragma once

#include <QString>

namespace testsupport {

// The folder holding the built executables and the SQLite extension (the tests run from it).
QString binaryDir();

} // namespace testsupport
