#pragma once
// The operator code: who works at this desk. It keys the desk's shopping cart (deshopcart.op)
// and its detail page file, and the status bar shows it. It is one value for the whole run,
// decided once at start:
//   1. [All] sUserName of syscfg.dbm, when it is set (blanks around it removed);
//   2. else the desktop user's login name: $LOGNAME, else $USER, else the name of the
//      process's user in the password database.
// This is the one place that reads the login name.
//
// The cart column holds 30 characters. A longer code is shortened deterministically: its first
// 21 characters, "~" and 8 hexadecimal digits of a hash of the whole code, so two long codes
// that share their first characters still key two carts. A path separator or a control
// character (which would lead the detail page file out of its folder) becomes "_".
#include <QString>

namespace OperatorCode {

inline constexpr int MaxLength = 30;

// The code for a configured value and a login name, by the rules above (no I/O).
QString resolve(const QString &configured, const QString &login);

// The desktop user's login name, as described above; empty when none can be found.
QString loginName();

// The code of this run: resolve() of [All] sUserName in the program folder's syscfg.dbm and
// loginName().
QString current();

} // namespace OperatorCode
