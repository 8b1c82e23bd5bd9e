#pragma once
// The collation NOCASE_DE and the old engine's like(), registered on every connection.
//
// NOCASE_DE compares German text as a dictionary does: case is ignored everywhere,
// ß and ẞ equal "ss", umlauts and accented Latin letters sort with their base letter
// and only break a tie (Apfel < Äpfel < Apfelmus; ÄPFEL = äpfel; Bär <> Bar).
// Indexes store keys in this order, so the rules must never change for existing files.
//
// like(pattern, text[, escape]) knows the wildcards * ? # [abc] [a-z] [!abc]; % and _ are
// ordinary characters. It ignores case like the collation (ß matches "ss"), but keeps
// accents apart (Bär does not match 'bar').

#include <QByteArray>

#include <memory>

struct sqlite3;

namespace kv::db::detail {

int compareNoCaseDe(const char* a, int lengthA, const char* b, int lengthB);
int compareNoCaseDe(const QByteArray& a, const QByteArray& b);
// Whether `text` matches the like `pattern` (both UTF-8); escape 0 means none.
bool likeMatches(const QByteArray& pattern, const QByteArray& text, char32_t escape = 0);
// The same without the shortcut for a single literal: the reference it is checked against.
bool likeMatchesTokenwise(const QByteArray& pattern, const QByteArray& text, char32_t escape = 0);

// like(pattern, text) compiled once, for texts matched outside SQL exactly as the SQL
// function matches them.
class LikeMatcher {
public:
    explicit LikeMatcher(const QByteArray& pattern);
    ~LikeMatcher();
    LikeMatcher(LikeMatcher&&) noexcept;
    LikeMatcher& operator=(LikeMatcher&&) noexcept;
    bool matches(const char* text, qsizetype length) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
// Longer patterns make like() fail rather than match.
constexpr qsizetype maxLikePatternBytes = 50000;

// Registers the collation and like() on `db`; returns SQLite's result code.
int registerFunctions(sqlite3* db);

}  // namespace kv::db::detail
