#pragma once
// printf-style language texts filled without printf. The texts come from files a user or a
// translator may edit: a wrong or stray specifier must never reach the C library's varargs.
// Each "%[flags][width][.precision][length]conv" place takes the next value; d i u x X o take
// it as a whole number, f F e E g G as a real number, s as text (a number given for another
// kind is converted). "%%" is one '%'. A place of any other kind ("%n", "%p", a lone '%') and
// a place without a value left stay in the text as written.
#include <QString>

#include <variant>
#include <vector>

using LangArg = std::variant<long long, double, QString>;

QString FillLangFormat(const QString &format, const std::vector<LangArg> &args);
