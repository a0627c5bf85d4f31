#pragma once
// What the window remembers between runs for its user: its size and place, the last
// folder of each file dialog and the payment files opened last. Kept apart from the
// program's own settings (Config.ini), in the user's configuration folder as
// tallivo/window.ini; tests point QSettings' user folder elsewhere.
#include <QSettings>
#include <QStringList>

namespace tallivo {

class WindowSettings : public QSettings
{
public:
    WindowSettings() : QSettings(QSettings::IniFormat, QSettings::UserScope, "tallivo", "window") {}

    static constexpr int kRecentFiles = 8;

    // The payment files opened last, the latest first.
    QStringList RecentPaymentFiles() const { return value("recent/paymentFiles").toStringList(); }
    void AddRecentPaymentFile(const QString& path)
    {
        QStringList files = RecentPaymentFiles();
        files.removeAll(path);
        files.prepend(path);
        while (files.size() > kRecentFiles)
            files.removeLast();
        setValue("recent/paymentFiles", files);
    }
    void ClearRecentPaymentFiles() { remove("recent/paymentFiles"); }
};

} // namespace tallivo
