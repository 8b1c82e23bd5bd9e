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
#include <bitset>
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

    void link();
    bool pairAt(const QString& text, qsizetype i) const;
    QString replaceWord(const QString& word) const;
    bool german(const QString& candidate, const std::vector<qsizetype>& umlauts) const;

    std::vector<Pair> m_pairs;
    std::vector<ExclWord> m_exclusions;
    std::array<bool, 256> m_startsPair{};   // first letters of the pairs, for a quick scan
    // The pairs of two Latin-1 letters as a table of first and second letter; whether
    // there are others, which are compared whole.
    std::vector<std::bitset<256>> m_twoLetters = std::vector<std::bitset<256>>(256);
    bool m_otherPairs = false;
    QSet<QString> m_words;   // lower case, and each ß also written ss
    qsizetype m_longest = 0;
    mutable QHash<QString, QString> m_cache;
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
