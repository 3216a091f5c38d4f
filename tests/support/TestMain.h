#pragma once

#include "base/ProgramExit.h"
#include "db/DbError.h"

#include <QByteArray>
#include <QMetaObject>
#include <QTest>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

// The main function of a test program: VARROW_TEST_MAIN(TestClass) with an application
// object as QTEST_MAIN makes it, VARROW_TEST_GUILESS_MAIN(TestClass) with a core application
// only. Everything else (command line, output, exit status) is Qt Test's own.
//
// An exception that leaves a test function (a ProgramExit above all: the program thinks it
// is ending) fails that function, or that data row, alone. Qt Test itself would abandon the
// whole program at that point, and every later function with it.
#define VARROW_TEST_MAIN(TestClass) QTEST_MAIN(testsupport::Guarded<TestClass>)
#define VARROW_TEST_GUILESS_MAIN(TestClass) QTEST_GUILESS_MAIN(testsupport::Guarded<TestClass>)

namespace testsupport {

// Runs one slot call and turns an exception that escapes it into a failure of the test
// function Qt Test is running.
template <class Call> void failOnEscape(Call call)
{
    QByteArray why;
    try {
        call();
        return;
    } catch (const ProgramExit& exit) {
        why = "ProgramExit escaped the test: the program would have ended here with exit status " +
              QByteArray::number(exit.code());
    } catch (const DbError& error) {
        why = "DbError escaped the test: " + QByteArray::number(qint64(error.number())) + ' ' +
              error.description().toUtf8() + " (SQLSTATE " + error.sqlstate().toUtf8() + ')';
    } catch (const std::exception& error) {
        int status = 0;
        char* name = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
        why = QByteArray(status == 0 ? name : typeid(error).name()) +
              " escaped the test: " + error.what();
        std::free(name);
    } catch (...) {
        why = "An exception of unknown type escaped the test";
    }
    QTest::qFail(why.constData(), __FILE__, __LINE__);
}

// The test class as Qt Test sees it: the same class name and slots, but every slot is
// invoked through failOnEscape. Qt Test finds and invokes slots through metaObject(), and a
// meta-object's static_metacall is what runs an invoked method, so a copy of the class's
// meta-object with that one entry replaced is all it takes.
template <class TestClass> class Guarded final : public TestClass
{
public:
    const QMetaObject* metaObject() const override
    {
        static const QMetaObject guarded = [] {
            QMetaObject copy = TestClass::staticMetaObject;
            copy.d.static_metacall = &guardedCall;
            return copy;
        }();
        return &guarded;
    }

private:
    static void guardedCall(QObject* object, QMetaObject::Call call, int index, void** arguments)
    {
        failOnEscape(
            [&] { TestClass::staticMetaObject.d.static_metacall(object, call, index, arguments); });
    }
};

} // namespace testsupport
