#pragma once
// The import's text replacement: two-letter forms of umlauts (ae, oe, ue, Ae, Oe, Ue, sz)
// become umlauts in German words and stay as they are everywhere else.
//
// Per word (a run of letters), a pair is replaced only where the word that results is
// German: it, or a part of it, stands in the German word list the program ships. A part
// of four letters or more counts anywhere in the word ("Gemuesebruehe"); a shorter one
// only as the whole word, with an ending ("Oelen"). So English stays English
// ("Tomatoes", "Continue", "Queso"), and so do words with a real "ue" ("Feuer",
// "aktuell"). The exception words of ExclList.txt keep their pair in any case.

#include "platform/textreplace/excllist.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <unordered_map>
#include <vector>

namespace kv::text {

class Replacer {
public:
    // RepList.txt: UTF-8, one replacement a line as "from<TAB>to"; lines starting with #
    // and empty lines do not count. A replacement longer than what it replaces is left
    // out: the text must never grow.
    void setReplacements(const QByteArray& repList);
    // The exception words (ExclList.txt), each for its pair.
    void setExclusions(const std::vector<ExclWord>& words);
    // German words that hold an umlaut or ß; one a line, # comments.
    void setWords(const QByteArray& wordList);

    // Never longer than the text; unchanged when nothing is loaded.
    QString replace(const QString& text) const;

private:
    struct Pair {
        QString from;
        QString to;
        QStringList exceptions;   // lower case, the pair's place given by exceptionAt
        std::vector<qsizetype> exceptionAt;
    };
    struct Hit {
        qsizetype at;
        int pair;
    };

    // A word's outcome; `changed` false where it stays as it is, as most words do.
    struct CachedWord {
        QString replaced;
        bool changed = false;
    };
    // Words are looked up where they stand in the text, without a copy of each.
    struct ViewHash {
        using is_transparent = void;
        std::size_t operator()(QStringView word) const noexcept { return qHash(word); }
    };
    struct ViewEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };

    void link();
    bool startsPair(const char16_t* text, qsizetype n, qsizetype i) const
    {
        if (i + 1 < n && latinPair(text[i], text[i + 1])) return true;
        return m_otherPairs && pairAt(text, n, i);
    }
    // One test for a pair of two Latin-1 letters, without a branch on the first letter:
    // pair letters are common, pairs are not.
    bool latinPair(char16_t a, char16_t b) const
    {
        if ((a | b) >= 256) return false;
        const unsigned key = unsigned(a) << 8 | b;
        return m_latinPairs[key >> 6] >> (key & 63) & 1;
    }
    bool pairAt(const char16_t* text, qsizetype n, qsizetype i) const;
    // Where the next pair at or after `from` begins; n when none does.
    qsizetype nextPair(const char16_t* text, qsizetype n, qsizetype from) const;
    QString replaceWord(const QString& word) const;
    bool german(const QString& candidate, const std::vector<qsizetype>& umlauts) const;

    std::vector<Pair> m_pairs;
    std::vector<ExclWord> m_exclusions;
    // The pairs of two Latin-1 letters as bits of a table of first and second letter;
    // whether there are others, which are compared whole.
    std::array<quint64, 65536 / 64> m_latinPairs{};
    bool m_otherPairs = false;
    // The same pairs by their second letter, each letter eight times over, for a scan
    // eight characters at a time; empty where there are too many of them.
    using Lanes = std::array<char16_t, 8>;
    struct PairsEndingIn {
        Lanes second;
        std::vector<Lanes> firsts;
    };
    std::vector<PairsEndingIn> m_pairLetters;
    QSet<QString> m_words;   // lower case, and each ß also written ss
    qsizetype m_longest = 0;
    mutable std::unordered_map<QString, CachedWord, ViewHash, ViewEqual> m_cache;
};

// The German word list the program ships.
QByteArray shippedWordList();

// The umlaut replacement. InitReplacer loads the two lists
// and the word list (a missing list file counts as empty); it answers 1, or 0 when
// neither list file could be read. DoSimpleReplace replaces in the text in place; the
// text never grows.
int InitReplacer(const QString& exclListPath, const QString& repListPath);
void DoSimpleReplace(QString& buffer);

}  // namespace kv::text
