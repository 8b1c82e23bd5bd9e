#pragma once
// Reading Meal-Master recipes from text lines, without a database: what each recipe's
// rows will be, or why it cannot be stored. The import writes what this finds.
//
// The reader looks for marker texts and fixed columns rather than a strict grammar, so
// files of other programs, newsgroup articles and clipboard text can be read:
//   MMMMM----- Recipe via Meal-Master (tm) v8.06      a header ("-----" and "MEAL-MASTER")
//         Title: Apfelkuchen
//    Categories: Kuchen, Backen
//         Yield: 6 servings                          the first number on the line
//       1 1/2 c  Flour                               amount in columns 1-7, unit 9-10,
//            -sifted                                 text from 12; "-" in 12 continues
//   MMMMM--------------TEIG--------------            a section: a new part with a heading
//     Preparation text ...                           a line that is no ingredient
//   MMMMM                                            the end: five or more of "-" and "M"
// A recipe's own closing line is "MMMMM" after a header of "MMMMM", "-----" after one of
// dashes; another end line (a rule) followed by text and that closing line is a divider
// inside the recipe, not its end. Headers of dashes that name no "MMMMM" ("----- Recipe
// Extracted from Meal-Master -----", the old layout) end their recipes with a long rule
// instead, which a short rule followed by text does not reach: that one divides.
// A line of two ingredient columns (the second one shifted by 41 columns) gives both,
// the left column of a part first.

#include "platform/textreplace/textfile.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace kv::exchange {

// Lines longer than this, and recipes longer than these, are not read: one error, and
// the recipe is skipped. They bound what one recipe may take of memory.
constexpr qsizetype kMaxLineBytes = 16 * 1024;
constexpr qint64 kMaxRecipeLines = 5000;
constexpr qsizetype kMaxRecipeChars = 512 * 1024;

// Where the reader's lines come from: a file, or a text in tests.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual bool next(text::TextLine& line) = 0;
};

// The lines of a text held in memory (tests, the fuzzer).
class TextLineSource : public LineSource {
public:
    TextLineSource(const QByteArray& bytes, text::Encoding encoding);
    ~TextLineSource() override;
    bool next(text::TextLine& line) override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

// What the reader asks of the import while it reads.
class MmHost {
public:
    virtual ~MmHost() = default;
    // The text replacement (umlauts) of every text the import stores.
    virtual QString repstr(const QString& text) = 0;
    // True once the user asked the import to stop; seen between recipes.
    virtual bool cancelled() = 0;
};

// The texts of a recipe are given as the import stores and looks them up: replaced,
// trimmed and cut to their columns, so that nothing after the reader replaces again.
struct MmItem {
    std::optional<double> menge;      // none: the line has no amount
    std::optional<QString> unit;      // the unit code, replaced; none: no unit
    QString text;                     // the ingredient, continuation lines joined
    qint64 line = 0;
};

struct MmPart {
    std::optional<QString> heading;   // a section's heading, in capitals
    qint64 headingLine = 0;
    std::vector<MmItem> items;        // numbered from 1 in this order
};

struct MmError {
    QString step;                     // "Titel", "Kategorien", "Servings", "Zutaten", ...
    QString description;              // names the line
    qint64 line = 0;
    qsizetype rawLength = 0;          // the raw text read up to the failure
};

struct MmRecipe {
    QString title;                    // as read
    QString rname;                    // replaced; the import cuts it to the column
    QStringList categories;           // replaced, each one trimmed; none empty
    std::optional<qint16> port;       // none: the number did not fit the column
    bool ungenau = false;
    std::vector<MmPart> parts;        // part i has tid i + 1
    QString zubereitung;              // replaced and trimmed
    QStringList keywords;             // from "Stichworte:" and "Tags:" lines, replaced
    std::vector<MmError> errors;
    QString rawText;                  // every line from the title on, each ended by CR LF
    bool complete = false;            // false: cut off; only its errors are stored
    bool titleRead = false;           // the title line was read whole: rname holds it
    qint64 titleLine = 0;
    // No recipe but lines between recipes that are not passed over without a word (text
    // after a rule that ended the recipe before, a recipe whose header was not
    // recognised): one error naming them, with title the recipe before's.
    bool skipped = false;
};

class MealMasterReader {
public:
    MealMasterReader(LineSource& source, MmHost& host);

    // The next recipe of the file, complete or cut off (with its errors); nothing at
    // the end of the file or once the import was cancelled.
    std::optional<MmRecipe> next();
    // The number of the last line read.
    qint64 lastLine() const { return m_lastLine; }

private:
    enum class Classified { Item, Continuation, Blank, Preparation };
    struct Column {
        std::vector<MmItem> items;
        bool open = false;            // the line before gave this column an item
        QStringList lead;             // continuations at the top of the right column
        // Empty again; the room of its list stays for the next part's lines.
        void reset()
        {
            items.clear();
            open = false;
            lead.clear();
        }
    };
    struct Parsed {
        Classified kind = Classified::Blank;
        QString part;
        MmItem item;
        QStringList problems;
    };

    // The lines passed over between recipes, from the end of one (or the file's or an
    // article's start) to the next header, the article's end or the file's end.
    struct Stretch {
        qint64 first = 0;
        qint64 last = 0;
        QString raw;
        bool words = false;           // a line holds a letter
        bool title = false;           // a line holds "Title:"
        bool afterRule = false;       // the recipe before ended at a line not its own closing line
        bool quiet = false;           // after a recipe cut off, whose error names it already
        QString before;               // the recipe before's title
        // The recipe before ended at its own closing line: text with words that is closed
        // by that line again (before a "Title:") belonged to the recipe, and is named up
        // to the last such line.
        QString closing;
        qint64 closedLast = 0;
        QString closedRaw;
        bool named() const { return !quiet && ((afterRule && words) || title || closedLast > 0); }
    };
    // What follows an end line that is not the recipe's own closing line.
    enum class AheadOfRule {
        Nothing,                      // no closing line: the rule ends the recipe
        Closing,                      // the closing line, with nothing but blanks and rules before it
        Divider,                      // text, then the closing line: the rule divides the recipe
    };

    bool read(text::TextLine& line, bool* again = nullptr);
    bool toHeader(text::TextLine& line, std::optional<MmRecipe>& skipped);
    MmRecipe stretchError();
    MmRecipe finished();
    bool endsHere(const text::TextLine& line);
    bool closes(QStringView trimmed) const;
    AheadOfRule closingLineAhead();
    bool header(const text::TextLine& line);
    void pushBack(text::TextLine line, bool inRecipe);
    bool readInRecipe(text::TextLine& line);
    bool amountLineFollows();
    bool startsPreparation(const QString& text);
    bool tagsLine(const QString& line);
    bool readHeadLine(text::TextLine& line);
    void cutOff(const QString& description, qint64 line);
    void error(const QString& description, qint64 line);
    bool readIngredients(text::TextLine& line, QString& firstPreparationLine);
    bool ingredientLine(const text::TextLine& line, QString& firstPreparationLine);
    void sectionLine(const QString& heading, qint64 number);
    Parsed parse(const QString& part, const Column& column);
    Classified classify(QString part, MmItem& item, QStringList& problems);
    void apply(Column& column, bool right, const Parsed& parsed, qint64 number);
    void closePart();
    void readPreparation(const QString& firstLine);
    std::optional<QString> examineKeywords(QString line);
    double amountOf(QStringView word, QStringList& problems);
    void servings(const QString& line, qint64 number);

    struct Ahead {
        text::TextLine line;
        bool inRecipe = false;        // already counted and kept in the recipe's raw text
    };

    LineSource& m_source;
    MmHost& m_host;
    std::deque<Ahead> m_ahead;        // lines read again before the source's next
    bool m_atEnd = false;
    qint64 m_lastLine = 0;
    qint64 m_headerLine = 0;          // the line whose header test m_isHeader holds
    bool m_isHeader = false;
    Stretch m_stretch;

    // The recipe being read.
    MmRecipe m_recipe;
    QString m_closing;                // the recipe's own closing line: "MMMMM", "-----" or none
    bool m_oldLayout = false;         // closed by a long rule instead; cut off, by any rule
    QString m_closedBy;               // the own closing line that ended it, as it stood; empty: none did
    bool m_endedAtRule = false;       // it ended at an end line not its own closing line
    qint64 m_closingAt = 0;           // where a closing line ahead was last found
    QString m_step;
    qint64 m_recipeLines = 0;
    bool m_overLimit = false;
    MmPart m_part;
    Column m_left;
    Column m_right;
};

}  // namespace kv::exchange
