#pragma once
// A folder on a medium nobody can write (a CD, a read-only mount), for cookbooks that no
// program can put right in place.

#include "platform/db/database.h"
#include "platform/paths.h"
#include "tests/support/testenv.h"
#include "tests/support/writedenied.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>

#include <sched.h>
#include <sys/mount.h>

namespace kv::test {

// The folder is mounted read-only onto itself where the test may mount: in a mount
// namespace of the test's own, which the system drops with the process however it ends.
// Elsewhere (no right to mount) the layer is told that the medium is read-only and that
// the user may not write there, as root could.
class ReadOnlyMedium {
public:
    explicit ReadOnlyMedium(const QString& folder) : m_folder(QDir::cleanPath(folder))
    {
        const QByteArray path = QFile::encodeName(m_folder);
        m_mounted = ownMountNamespace() && ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_mounted &&
            ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            ::umount2(path.constData(), MNT_DETACH);
            m_mounted = false;
        }
        if (m_mounted) return;
        const QString place = m_folder;
        paths::setMediumCheck([place](const QString& p) -> std::optional<bool> {
            if (QDir::cleanPath(p).startsWith(place)) return true;
            return std::nullopt;
        });
        m_denied = std::make_unique<WriteDenied>(m_folder);
    }
    ~ReadOnlyMedium()
    {
        if (m_mounted) ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
        paths::setMediumCheck({});
    }
    ReadOnlyMedium(const ReadOnlyMedium&) = delete;
    ReadOnlyMedium& operator=(const ReadOnlyMedium&) = delete;

    bool mounted() const { return m_mounted; }

private:
    static bool ownMountNamespace()
    {
        static const bool own = ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return own;
    }

    QString m_folder;
    bool m_mounted = false;
    std::unique_ptr<WriteDenied> m_denied;
};

// What a program killed in the middle of a change leaves of it in the database `file`:
// part of the change written into the file, and what those pages held in the journal
// beside it. `scratch` names a file for the writer's own copy.
inline void leaveUnfinishedChange(const QString& file, const QString& scratch)
{
    ASSERT_TRUE(QFile::copy(file, scratch));
    {
        auto writer = db::Database::open(scratch);
        // A cache too small for the change sends its pages into the file before a commit.
        writer->execute(QStringLiteral("PRAGMA cache_size=2"));
        writer->execute(QStringLiteral("PRAGMA synchronous=OFF"));
        writer->beginTrans();
        writer->execute(
            QStringLiteral("update zubereit set ztext = replace(hex(zeroblob(2000)), '00', 'Halb geschrieben ')"));
        writeFileBytes(file, fileBytes(scratch));
        writeFileBytes(file + QStringLiteral("-journal"), fileBytes(scratch + QStringLiteral("-journal")));
        writer->rollback();
    }
    ASSERT_TRUE(fileBytes(file).contains("Halb geschrieben"));
}

}  // namespace kv::test
