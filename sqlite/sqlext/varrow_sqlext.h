/* The engine stand-in's SQLite extension: what a client may rely on when it is loaded. */
#ifndef VARROW_SQLEXT_H
#define VARROW_SQLEXT_H

/* What varrow_version() answers. A client refuses a connection whose extension answers
 * anything else, so bump it whenever a function changes its meaning. */
#define VARROW_SQLEXT_VERSION "2"

/* Internal objects of the stand-in carry this prefix; the catalogue never lists them. */
#define VARROW_SQLEXT_PREFIX "varrow_"

/* Salted password hashes live in this table of the database file. */
#define VARROW_SQLEXT_LOGIN_TABLE "varrow_login"

#endif
