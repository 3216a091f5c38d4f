/*
 * Preloaded into vrw1 by the crash test (LD_PRELOAD): counts the statements the program hands
 * to the ODBC driver manager and, when asked, ends the process with SIGKILL at one of them, as
 * a power cut or a killed job would, with no chance to clean up. The program sends every
 * statement through SQLExecDirect (db/OdbcStatement.cpp); the wide form is counted too.
 *
 *   VARROW_KILL_AFTER=N        SIGKILL as soon as statement N (counted from 1) has returned
 *   VARROW_KILL_BEFORE=N       SIGKILL when statement N arrives, before it is executed
 *   VARROW_STATEMENT_LOG=FILE  append "N<TAB>first 80 characters" for every statement, written
 *                              before it is executed (so a killed run's last line is its last
 *                              statement)
 *
 * Built without sanitizers: it runs inside an instrumented vrw1 only as a plain library.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define SHOWN_CHARS 80

static long statementCount;

static long numberFrom(const char* name)
{
    const char* text = getenv(name);
    return text && *text ? strtol(text, NULL, 10) : 0;
}

/* A set-up the test cannot use: said on standard error, and an exit status no run gives. */
static void die(const char* what)
{
    const ssize_t written = write(STDERR_FILENO, what, strlen(what));
    (void)written;
    _exit(125);
}

static void* realFunction(const char* name)
{
    void* function = dlsym(RTLD_NEXT, name);
    if (!function)
        die("statement_kill: the ODBC driver manager is not loaded\n");
    return function;
}

/* One line per statement, in one write to a file opened for it: nothing waits in a buffer
 * when the kill comes. */
static void logStatement(long number, const char* text)
{
    const char* path = getenv("VARROW_STATEMENT_LOG");
    if (!path || !*path)
        return;
    char line[SHOWN_CHARS + 32];
    int length = snprintf(line, sizeof line - 1, "%ld\t%s", number, text);
    if (length < 0)
        return;
    if ((size_t)length > sizeof line - 2)
        length = (int)sizeof line - 2;
    line[length++] = '\n';
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        die("statement_kill: VARROW_STATEMENT_LOG cannot be written\n");
    if (write(fd, line, (size_t)length) != length)
        die("statement_kill: VARROW_STATEMENT_LOG cannot be written\n");
    close(fd);
}

/* Counts the statement whose first characters are given (ASCII, line breaks as blanks),
 * logs it, and stops the process when it is the one to stop before. Returns its number. */
static long arriving(const char* shown)
{
    const long number = __atomic_add_fetch(&statementCount, 1, __ATOMIC_SEQ_CST);
    logStatement(number, shown);
    if (number == numberFrom("VARROW_KILL_BEFORE"))
        raise(SIGKILL);
    return number;
}

static void returned(long number)
{
    if (number == numberFrom("VARROW_KILL_AFTER"))
        raise(SIGKILL);
}

static void showNarrow(char* shown, const SQLCHAR* text, SQLINTEGER length)
{
    size_t n = 0;
    for (; text && n < SHOWN_CHARS && (length == SQL_NTS ? text[n] != 0 : (SQLINTEGER)n < length);
         ++n)
        shown[n] = text[n] == '\n' || text[n] == '\r' || text[n] == '\t' ? ' ' : (char)text[n];
    shown[n] = 0;
}

static void showWide(char* shown, const SQLWCHAR* text, SQLINTEGER length)
{
    size_t n = 0;
    for (; text && n < SHOWN_CHARS && (length == SQL_NTS ? text[n] != 0 : (SQLINTEGER)n < length);
         ++n) {
        const SQLWCHAR c = text[n];
        shown[n] = c == '\n' || c == '\r' || c == '\t' ? ' ' : c < 0x80 ? (char)c : '?';
    }
    shown[n] = 0;
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT statement, SQLCHAR* text, SQLINTEGER length)
{
    typedef SQLRETURN SQL_API (*Function)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
    static Function real;
    if (!real)
        real = (Function)realFunction("SQLExecDirect");
    char shown[SHOWN_CHARS + 1];
    showNarrow(shown, text, length);
    const long number = arriving(shown);
    const SQLRETURN rc = real(statement, text, length);
    returned(number);
    return rc;
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT statement, SQLWCHAR* text, SQLINTEGER length)
{
    typedef SQLRETURN SQL_API (*Function)(SQLHSTMT, SQLWCHAR*, SQLINTEGER);
    static Function real;
    if (!real)
        real = (Function)realFunction("SQLExecDirectW");
    char shown[SHOWN_CHARS + 1];
    showWide(shown, text, length);
    const long number = arriving(shown);
    const SQLRETURN rc = real(statement, text, length);
    returned(number);
    return rc;
}
