#include "app/starthooks.h"

#include "core/cookbookdb.h"
#include "printing/printsettingsdb.h"

namespace kv {

void installStartHooks()
{
    setProgramFilesHook(ensureprintsettingsdb);
}

}  // namespace kv
