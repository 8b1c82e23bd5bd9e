#pragma once
// An article's bytes as text. News articles name their code page in the header
// Content-Type ("charset=ISO-8859-1"); older ones name none and were written in
// whatever the poster's program used, which is decided as for a Meal-Master file.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::nntp {

// The charset parameter of the header's Content-Type, in lower case; empty when the
// header names none. The header ends at the first empty line; folded lines count.
QByteArray articleCharset(const QList<QByteArray>& lines);

// Every line decoded by that charset when it is one we can read, else by the rule for
// files of unknown code page applied to the whole article.
QStringList decodeArticle(const QList<QByteArray>& lines);

}  // namespace kv::nntp
