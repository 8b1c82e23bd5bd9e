#pragma once
// A folder the user may not write to, for cookbooks that can only be read.

#include "platform/paths.h"

#include <QDir>
#include <QString>

#include <optional>

namespace kv::test {

// The tests run as root, whom the system lets write everywhere: the layer is told instead.
class WriteDenied {
public:
    explicit WriteDenied(const QString& place)
    {
        paths::setAccessCheck([place](const QString& path, paths::Access access) -> std::optional<bool> {
            if (access == paths::Access::Write && QDir::cleanPath(path).startsWith(QDir::cleanPath(place)))
                return false;
            return std::nullopt;
        });
    }
    ~WriteDenied() { paths::setAccessCheck({}); }
    WriteDenied(const WriteDenied&) = delete;
    WriteDenied& operator=(const WriteDenied&) = delete;
};

}  // namespace kv::test
