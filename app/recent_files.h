#pragma once
// The recent-file list of the File menu: four paths, newest first, kept in the settings
// store under the organisation and application names of the editor.
#include <QObject>
#include <QStringList>

namespace qdm::ui {

class RecentFiles : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSize = 4;

    RecentFiles();
    const QStringList& Files() const { return m_files; }
    // Puts the path first; a path already listed moves up, the oldest falls off.
    void Add(const QString& path);
    void Remove(const QString& path);

  signals:
    void changed();

  private:
    void Save() const;

    QStringList m_files;
};

// The settings store: organisation "应用程序向导生成的本地应用程序", application "mked".
QString SettingsOrganization();
QString SettingsApplication();

}  // namespace qdm::ui
