#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace web {

// The suite's own page scripts (web/scripts/<name>.js, built into the program). Each file holds one
// function expression; a call applies it to its arguments and answers what it returns.

// The names of every script, sorted.
QStringList appScriptNames();

// The text of script `name`; empty when there is no such script.
QString appScriptText(const QString &name);

// Script `name` applied to args (numbers, texts, booleans and lists of them, passed as JSON, so
// no argument can change the script's text); empty when there is no such script.
QString appScriptCall(const QString &name, const QVariantList &args = {});

}
