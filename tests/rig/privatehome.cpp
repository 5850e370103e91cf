// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Linked into every test executable. Before main runs, the process gets a
// home and XDG folders of its own, which whatever it starts inherits: no
// test, and no program a test runs, can write the user's settings, caches
// or data, whatever a fault makes them do.

#include <QFile>
#include <QTemporaryDir>

namespace Sernix::Rig {
namespace {

class PrivateHome
{
public:
    PrivateHome()
    {
        if (!m_directory.isValid())
            qFatal("no temporary folder for the test's home");
        const QByteArray home = QFile::encodeName(m_directory.path());
        qputenv("HOME", home);
        for (const auto &[variable, folder] :
             {std::pair{"XDG_CONFIG_HOME", "/.config"}, std::pair{"XDG_CACHE_HOME", "/.cache"},
              std::pair{"XDG_DATA_HOME", "/.local/share"}, std::pair{"XDG_STATE_HOME", "/.local/state"}})
            qputenv(variable, home + folder);
    }

private:
    QTemporaryDir m_directory;
};

const PrivateHome privateHome;

} // namespace
} // namespace Sernix::Rig
