#pragma once
// The name search and the search history behind the window `suchen`. Both change the main
// window's recipe list through recipeListView().

#include "platform/db/database.h"

#include <QList>
#include <QString>

namespace kv {

// How the title must hold the typed text: 0 anywhere, 1 at its start, 2 at its end.
QString nameCondition(int teilmode, const QString& typed);

// The search itself: the condition goes to rezfilter (refining the list shown when
// `refine`), then rezcaption describes it with the text as typed. A failure is reported
// and leaves the list as it was; false then.
bool nameSearch(int teilmode, bool refine, const QString& typed);

struct HistoryEntry {
    qint64 sid = 0;
    QString stext;
};

// The record source of a recorded result.
QString historySource(qint64 sid);

// Shows a recorded result in the list, in title order, with its count and "> " + its text.
// A result whose recipes are all gone is said to be so and loses its rows (not on a
// cookbook that can only be read). False when it failed, with the list as it was.
bool loadHistoryEntry(const HistoryEntry& entry);
// False, after saying so, on a cookbook that can only be read.
bool deleteHistoryEntry(qint64 sid);
// Asks first; false when the cookbook can only be read or the answer was No.
bool deleteWholeHistory();

}  // namespace kv
