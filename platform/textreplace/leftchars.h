#pragma once
// A text cut to a column's width, the way the cookbook's text columns count characters.

#include <QString>

namespace kv::text {

// The first n characters of a text: a character outside the basic plane (an emoji)
// counts as one and is never cut in half.
inline QString leftChars(const QString& text, qsizetype n)
{
    qsizetype end = 0;
    for (qsizetype chars = 0; end < text.size() && chars < n; ++chars)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate() ? 2 : 1;
    return text.left(end);
}

}  // namespace kv::text
