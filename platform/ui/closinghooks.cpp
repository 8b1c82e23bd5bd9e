#include "platform/ui/closinghooks.h"

#include <QPointer>

#include <exception>
#include <vector>

namespace kv::ui {

namespace {

struct Hook {
    QPointer<QObject> owner;
    std::function<void()> run;
};

std::vector<Hook>& hooks()
{
    static std::vector<Hook> list;
    return list;
}

}  // namespace

void onCookbookClosing(QObject* owner, std::function<void()> hook)
{
    hooks().push_back(Hook{owner, std::move(hook)});
}

void runCookbookClosing()
{
    std::erase_if(hooks(), [](const Hook& h) { return h.owner.isNull(); });
    // A copy: a hook may unload its window, which adds or removes hooks.
    const std::vector<Hook> now = hooks();
    for (const Hook& h : now) {
        if (h.owner.isNull()) continue;
        try {
            h.run();
        } catch (const std::exception& e) {
            qWarning("cookbook closing: %s", e.what());
        }
    }
}

}  // namespace kv::ui
