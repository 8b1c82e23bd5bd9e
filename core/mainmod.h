#pragma once
// State shared by every subsystem for the whole run, and the start procedures.

#include "platform/db/database.h"
#include "platform/textreplace/leftchars.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace kv {

// The one open cookbook; every subsystem runs SQL on it.
extern std::unique_ptr<db::Database> kochbuchdb;
// The six tables that hold rows of one recipe, in deletion order.
extern QStringList reztabellen;
// Line feed followed by carriage return, as the program writes it into texts.
extern QString linebreak;
extern bool startingup;
extern bool nocookbook;
// Booklet printing: off at the start, set by the booklet boxes of the print windows and
// read by the layout, the page drawing and the print job.
extern bool bookletmode;
// The import's two switches: skip a recipe whose title the cookbook holds already (set by
// the import's callers, read by the Meal-Master reader), and stop reading (off at the start
// of every import, on from the progress window's button).
extern bool skipexisting;
extern bool importcancel;

// Returns the state above, and the start's window interface, to how a run begins: the
// cookbook closed, every switch off. A test environment calls it as it begins and ends.
void resetSharedState();

// Thrown where the program ends at once (Cancel in the opening's error box,
// leaving the directory dialog during the opening). Entry points catch it and quit.
struct ProgramEnd {};

// What the start and the opening need of the windows. The GUI implements it over the
// real windows; tests script it.
class StartupUi {
public:
    virtual ~StartupUi() = default;
    virtual void showWait() = 0;              // warten, modeless
    virtual void unloadWait() = 0;
    virtual void doEvents() = 0;              // one pass of pending events
    virtual void setBusy(bool busy) = 0;      // hourglass pointer
    virtual void showFinddirModal() = 0;      // returns when the dialog closed
    virtual void setRecipeCount(const QString& text) = 0;  // hm.rezzahl; loads hm first
    virtual void binddaten() = 0;
    virtual void inithm() = 0;
    virtual void loadEditorHidden() = 0;
    virtual void showMain() = 0;
    virtual void beep() = 0;
};

void setStartupUi(StartupUi* ui);
StartupUi* startupUi();

// The open cookbook; throws db::DbError when none is open.
db::Database& cookbook();

// Deletes the recipe's rows in the six tables of `reztabellen`; the caller deletes the
// `rezepte` row itself.
void delrezept(qint64 rid);
// delrezept for many recipes at once: one statement per table of `reztabellen`.
void delrezepte(db::Database& db, const QList<qint64>& rids);
// Deletes the recipes themselves with all their rows; all or nothing.
void deleteRecipes(db::Database& db, const QList<qint64>& rids);
// Deletes the imported files (but row 0) that no recipe comes from any more.
void deleteEmptyImportFiles(db::Database& db);

// What an action that must write says on a cookbook that can only be read.
inline const QString kSchreibgeschuetzt = QStringLiteral("Das Kochbuch ist schreibgeschützt.");
// False, after saying so, when the open cookbook can only be read.
bool cookbookWritable();

using text::leftChars;

// Name of the cookbook file in a folder.
inline const QString kochbuchdatei = QStringLiteral("kelvor-daten.mdb");

}  // namespace kv
