#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace qdm::ui {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString Key(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}

}  // namespace

QString SettingsOrganization() {
    return QStringLiteral("应用程序向导生成的本地应用程序");
}
QString SettingsApplication() {
    return QStringLiteral("mked");
}

RecentFiles::RecentFiles() {
    QSettings settings(SettingsOrganization(), SettingsApplication());
    settings.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path)) m_files << path;
    }
}

void RecentFiles::Add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize) m_files.removeLast();
    Save();
    emit changed();
}

void RecentFiles::Remove(const QString& path) {
    if (m_files.removeAll(path) == 0) return;
    Save();
    emit changed();
}

void RecentFiles::Save() const {
    QSettings settings(SettingsOrganization(), SettingsApplication());
    settings.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            settings.setValue(Key(i), m_files[i]);
        else
            settings.remove(Key(i));
    }
}

}  // namespace qdm::ui
