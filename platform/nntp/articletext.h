#pragma once
// An article's bytes as text. News articles name their code page in the header
// Content-Type ("charset=ISO-8859-1"); older ones name none and were written in
// whatever the poster's program used, which is decided as for a Meal-Master file.
// Newer posting programs also wrap the body in a transfer encoding (quoted-printable,
// base64) and write header text outside ASCII as encoded words ("=?utf-8?Q?...?=").

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::nntp {

// The charset parameter of the header's Content-Type, in lower case; empty when the
// header names none. The header ends at the first empty line; folded lines count.
QByteArray articleCharset(const QList<QByteArray>& lines);

// The article as text lines. The body is first undone from its Content-Transfer-Encoding
// (quoted-printable; base64 when the content is text; anything else as sent), then every
// line is decoded by the charset when it is one we can read, else by the rule for files
// of unknown code page applied to the whole article. Encoded words in the header are
// decoded by their own charset; adjacent ones are joined, also across a folded line.
// Whatever is malformed stays as written: an escape that is none, a word whose charset
// we do not know, what follows the end of a base64 body. Only text parts are decoded:
// a multipart body passes as sent.
QStringList decodeArticle(const QList<QByteArray>& lines);

}  // namespace kv::nntp
