#include "search/shownlist.h"

#include "core/rezsource.h"
#include "platform/db/datacontrol.h"
#include "platform/ui/dialogs.h"

namespace kv {

bool changeRecipeList(const QString& tag, const std::function<void()>& change)
{
    RecipeListView* view = recipeListView();
    const QString source = view->rez()->recordSource();
    const QString description = view->gesucht();
    return ui::guarded(tag, [&] {
        try {
            change();
        } catch (...) {
            // Put back before the error box: its event loop lets the grid read the list.
            try {
                view->rez()->setRecordSource(source);
                view->rez()->refresh();
                view->setGesucht(description);
                // The count label always shows the number of the list's rows.
                db::Recordset* list = view->rez()->recordset();
                view->setRezzahl(formatCount(list ? list->recordCount() : 0));
            } catch (...) {
                // The first failure is the one to report.
            }
            throw;
        }
    });
}

}  // namespace kv
